// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The system device enumerator: device categories, monikers that name one device each, and the property bag
// that gives a device's friendly name. Callers never see which provider a device comes from.

#include "platform/com/unknown.h"

#include <cstdint>
#include <string>

using ULONG = std::uint32_t;

inline constexpr Guid CLSID_SystemDeviceEnum = Guid::of("{62BE5D10-60EB-11D0-BD3B-00A0C911CE86}");

inline constexpr Guid CLSID_AudioInputDeviceCategory = Guid::of("{33D9A762-90C8-11D0-BD43-00A0C911CE86}");
inline constexpr Guid CLSID_VideoInputDeviceCategory = Guid::of("{860BB310-5D01-11D0-BD3B-00A0C911CE86}");
inline constexpr Guid AM_KSCATEGORY_TVTUNER = Guid::of("{A799A800-A46D-11D0-A18C-00A02401DCD4}");
inline constexpr Guid AM_KSCATEGORY_TVAUDIO = Guid::of("{A799A802-A46D-11D0-A18C-00A02401DCD4}");
inline constexpr Guid AM_KSCATEGORY_CROSSBAR = Guid::of("{A799A801-A46D-11D0-A18C-00A02401DCD4}");
inline constexpr Guid CLSID_VideoCompressorCategory = Guid::of("{33D9A760-90C8-11D0-BD43-00A0C911CE86}");
inline constexpr Guid CLSID_AudioCompressorCategory = Guid::of("{33D9A761-90C8-11D0-BD43-00A0C911CE86}");

struct IPropertyBag : IUnknown {
    static constexpr Guid IID = Guid::of("{55272A00-42CB-11CE-8135-00AA004BB851}");

    // A text property such as "FriendlyName" (UTF-8), or "DevicePath" for a device one process at a time can
    // use; E_INVALIDARG when the device has no such property.
    virtual HRESULT Read(const char* name, std::string* value) = 0;
};

struct IMoniker : IUnknown {
    static constexpr Guid IID = Guid::of("{0000000F-0000-0000-C000-000000000046}");

    // Makes the device's object (a filter or a device interface) and hands out its interface iid.
    // The bind context and left moniker are accepted for the platform's signature and must be null.
    virtual HRESULT BindToObject(void* bindContext, IMoniker* left, const Guid& iid, void** object) = 0;
    // The device's property bag (iid IPropertyBag).
    virtual HRESULT BindToStorage(void* bindContext, IMoniker* left, const Guid& iid, void** object) = 0;
    // S_OK when other names the same device, S_FALSE otherwise.
    virtual HRESULT IsEqual(IMoniker* other) = 0;
    // A text that identifies the device across enumerations: provider and the provider's own device id.
    virtual HRESULT GetDisplayName(void* bindContext, IMoniker* left, std::string* name) = 0;
};

struct IEnumMoniker : IUnknown {
    static constexpr Guid IID = Guid::of("{00000102-0000-0000-C000-000000000046}");

    // S_OK when count monikers were fetched, S_FALSE when fewer (none at the end).
    virtual HRESULT Next(ULONG count, IMoniker** monikers, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
};

struct ICreateDevEnum : IUnknown {
    static constexpr Guid IID = Guid::of("{29840822-5B84-11D0-BD3B-00A0C911CE86}");

    // S_OK with an enumerator of the category's devices in a stable order; S_FALSE and no enumerator when
    // the category is empty or unknown.
    virtual HRESULT CreateClassEnumerator(const Guid& category, IEnumMoniker** enumerator,
                                          std::uint32_t flags) = 0;
};

// What a moniker of the built-in providers binds to when a GStreamer element stands for the device. The
// object is a filter of the media engine (IBaseFilter) made for this one binding; this interface hands out
// the element inside it, for the device's own settings.
struct _GstElement;
struct IDeviceElement : IUnknown {
    static constexpr Guid IID = Guid::of("{6C0E1F52-8D3A-4B7E-9A51-3E2F4C8B7D10}");

    virtual _GstElement* deviceElement() = 0;
};

// The system device enumerator with the providers that CORVANE_DEVICES selects (see device_providers.cpp).
HRESULT CreateSystemDeviceEnum(ICreateDevEnum** enumerator);
