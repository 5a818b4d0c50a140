#include "host_link.h"

#include <algorithm>
#include <cstring>

namespace faderix {

HostLink::HostLink(FaderixHost* host) : host_(host) {
    if (host == nullptr || host->size < sizeof(uint32_t))
        return;
    std::memcpy(&fields_, host, std::min<size_t>(host->size, sizeof fields_));
}

bool HostLink::post(uint32_t message, uintptr_t wParam, intptr_t lParam) const {
    return fields_.post != nullptr && fields_.post(host_, message, wParam, lParam) != 0;
}

intptr_t HostLink::send(uint32_t message, uintptr_t wParam, intptr_t lParam) const {
    return fields_.send != nullptr ? fields_.send(host_, message, wParam, lParam) : 0;
}

} // namespace faderix
