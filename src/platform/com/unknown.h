// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The root interface of every platform object: lookup by identifier and shared ownership by reference count.

#include "guid.h"
#include "hresult.h"

#include <cstdint>

struct IUnknown {
    static constexpr Guid IID = Guid::of("{00000000-0000-0000-C000-000000000046}");

    virtual HRESULT QueryInterface(const Guid& iid, void** object) = 0;
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

protected:
    ~IUnknown() = default;
};
