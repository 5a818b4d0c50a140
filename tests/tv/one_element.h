// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One GStreamer element as the only device of its category: an encoder as a compressor, or a source as an
// audio capture device, bound as the GStreamer providers bind theirs.

#include "platform/devices/device_provider.h"
#include "platform/devices/gst/gst_device_element.h"
#include "virtual_card_devices.h"

#include <functional>
#include <string>

class OneElement final : public DeviceProvider {
public:
    // arrange may set the new element's properties.
    OneElement(const Guid& category, std::string factory, FilterRole role,
               std::function<void(GstElement*)> arrange = {})
        : category_(category), factory_(std::move(factory)), role_(role), arrange_(std::move(arrange)) {}
    const char* name() const override { return "test-element"; }
    std::vector<DeviceDescription> devices(const Guid& category) override {
        if (category != category_) {
            return {};
        }
        // The moniker outlives the provider: the binding holds copies.
        return {{factory_, factory_,
                 [factory = factory_, role = role_, arrange = arrange_](const Guid& iid, void** object) {
                     GstElement* element = gst_element_factory_make(factory.c_str(), nullptr);
                     if (element && arrange) {
                         arrange(element);
                     }
                     return BindDeviceElement(element, role, iid, object);
                 }}};
    }

private:
    Guid category_;
    std::string factory_;
    FilterRole role_;
    std::function<void(GstElement*)> arrange_;
};

inline RefPtr<IMoniker> OneDevice(std::shared_ptr<OneElement> provider, const Guid& category) {
    const RefPtr<ICreateDevEnum> devices = MakeDeviceEnum({std::move(provider)});
    return FirstDevice(devices.get(), category);
}

inline RefPtr<IMoniker> Compressor(const Guid& category, const char* factory) {
    return OneDevice(std::make_shared<OneElement>(category, factory, FilterRole::Encoder), category);
}
