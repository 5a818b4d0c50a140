// SPDX-License-Identifier: GPL-2.0-or-later
#include "device_moniker.h"

#include <cstring>

namespace {

// "FriendlyName" always, "DevicePath" where the device has one, and for a tuner whose sound comes as an audio
// capture device "SoundDevice": that device's display name.
class DevicePropertyBag final : public ComObject<IPropertyBag> {
public:
    DevicePropertyBag(std::string name, std::string path, std::string soundDevice)
        : name_(std::move(name)), path_(std::move(path)), soundDevice_(std::move(soundDevice)) {}
    HRESULT Read(const char* property, std::string* value) override {
        if (!property || !value) {
            return E_POINTER;
        }
        if (std::strcmp(property, "FriendlyName") == 0) {
            *value = name_;
            return S_OK;
        }
        if (std::strcmp(property, "DevicePath") == 0 && !path_.empty()) {
            *value = path_;
            return S_OK;
        }
        if (std::strcmp(property, "SoundDevice") == 0 && !soundDevice_.empty()) {
            *value = soundDevice_;
            return S_OK;
        }
        return E_INVALIDARG;
    }

private:
    std::string name_;
    std::string path_;
    std::string soundDevice_;
};

} // namespace

HRESULT DeviceMoniker::BindToObject(void* bindContext, IMoniker* left, const Guid& iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (bindContext || left) {
        return E_INVALIDARG;
    }
    return device_.bind ? device_.bind(iid, object) : E_NOINTERFACE;
}

HRESULT DeviceMoniker::BindToStorage(void* bindContext, IMoniker* left, const Guid& iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (bindContext || left) {
        return E_INVALIDARG;
    }
    auto bag = MakeCom<DevicePropertyBag>(device_.friendlyName, device_.devicePath, soundDisplayName_);
    return bag->QueryInterface(iid, object);
}

HRESULT DeviceMoniker::IsEqual(IMoniker* other) {
    if (!other) {
        return E_INVALIDARG;
    }
    std::string otherName;
    if (FAILED(other->GetDisplayName(nullptr, nullptr, &otherName))) {
        return S_FALSE;
    }
    return otherName == displayName_ ? S_OK : S_FALSE;
}

HRESULT DeviceMoniker::GetDisplayName(void*, IMoniker*, std::string* name) {
    if (!name) {
        return E_POINTER;
    }
    *name = displayName_;
    return S_OK;
}
