// SPDX-License-Identifier: LGPL-2.1-or-later
#include "host_link.h"

namespace faderix {

bool HostLink::post(uint32_t message, uintptr_t wParam, intptr_t lParam) const {
    if (!holds(offsetof(FaderixHost, post), sizeof(FaderixPostFn)) || host_->post == nullptr) {
        return false;
    }
    return host_->post(host_, message, wParam, lParam) != 0;
}

intptr_t HostLink::send(uint32_t message, uintptr_t wParam, intptr_t lParam) const {
    if (!holds(offsetof(FaderixHost, send), sizeof(FaderixSendFn)) || host_->send == nullptr) {
        return 0;
    }
    return host_->send(host_, message, wParam, lParam);
}

uintptr_t HostLink::nativeParent() const {
    return holds(offsetof(FaderixHost, nativeParent), sizeof(uintptr_t)) ? host_->nativeParent : 0;
}

} // namespace faderix
