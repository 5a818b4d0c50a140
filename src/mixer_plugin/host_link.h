// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include "faderix.h"

#include <cstddef>

namespace faderix {

// The host record given to Open, read each time a message goes out. Only fields that lie within the
// record's own size are used, so an older host with a shorter record still works; a missing callback
// drops its messages.
class HostLink {
public:
    HostLink() = default;
    explicit HostLink(FaderixHost* host) : host_(host) {}

    bool post(uint32_t message, uintptr_t wParam, intptr_t lParam) const;
    intptr_t send(uint32_t message, uintptr_t wParam, intptr_t lParam) const;
    uintptr_t nativeParent() const;

private:
    bool holds(size_t offset, size_t size) const { return host_ != nullptr && host_->size >= offset + size; }

    FaderixHost* host_ = nullptr;
};

} // namespace faderix
