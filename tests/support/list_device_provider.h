// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A device provider with a fixed list of names in one category. Binding a device makes an object whose
// property bag tells which device of the list it is ("Index").

#include "platform/com/com_object.h"
#include "platform/devices/device_provider.h"

#include <string>
#include <vector>

class IndexObject final : public ComObject<IPropertyBag> {
public:
    explicit IndexObject(std::size_t index) : index_(index) {}
    HRESULT Read(const char*, std::string* value) override {
        *value = std::to_string(index_);
        return S_OK;
    }

private:
    std::size_t index_;
};

class ListDeviceProvider final : public DeviceProvider {
public:
    ListDeviceProvider(Guid category, std::vector<std::string> names)
        : category_(category), names_(std::move(names)) {}
    const char* name() const override { return "list"; }
    std::vector<DeviceDescription> devices(const Guid& category) override {
        std::vector<DeviceDescription> out;
        for (std::size_t i = 0; category == category_ && i < names_.size(); ++i) {
            out.push_back({names_[i], std::to_string(i), [i](const Guid& iid, void** object) {
                               return MakeCom<IndexObject>(i)->QueryInterface(iid, object);
                           }});
        }
        return out;
    }

private:
    Guid category_;
    std::vector<std::string> names_;
};

// A factory for a picker: the system device enumerator over one list provider.
inline auto ListDevices(Guid category, std::vector<std::string> names) {
    auto provider = std::make_shared<ListDeviceProvider>(category, std::move(names));
    return [provider](ICreateDevEnum** out) {
        *out = MakeDeviceEnum({provider}).detach();
        return S_OK;
    };
}
