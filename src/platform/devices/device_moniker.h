// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The moniker of one device of a provider, and the property bag behind it.

#include "device_provider.h"
#include "platform/com/com_object.h"

class DeviceMoniker final : public ComObject<IMoniker> {
public:
    DeviceMoniker(std::string providerName, DeviceDescription device)
        : displayName_(providerName + ":" + device.id),
          soundDisplayName_(device.soundId.empty() ? std::string() : providerName + ":" + device.soundId),
          device_(std::move(device)) {}

    HRESULT BindToObject(void* bindContext, IMoniker* left, const Guid& iid, void** object) override;
    HRESULT BindToStorage(void* bindContext, IMoniker* left, const Guid& iid, void** object) override;
    HRESULT IsEqual(IMoniker* other) override;
    HRESULT GetDisplayName(void* bindContext, IMoniker* left, std::string* name) override;

private:
    std::string displayName_;
    std::string soundDisplayName_;
    DeviceDescription device_;
};
