#pragma once

#include "faderix.h"

namespace faderix {

// The host record given to Open. Only the fields that fit in the record's own size are taken, so an
// older host with a shorter record still works; missing callbacks drop their messages.
class HostLink {
public:
    HostLink() = default;
    explicit HostLink(FaderixHost* host);

    bool post(uint32_t message, uintptr_t wParam, intptr_t lParam) const;
    intptr_t send(uint32_t message, uintptr_t wParam, intptr_t lParam) const;
    uintptr_t nativeParent() const { return fields_.nativeParent; }

private:
    FaderixHost* host_ = nullptr; // handed back to the callbacks, which may use its context
    FaderixHost fields_{};
};

} // namespace faderix
