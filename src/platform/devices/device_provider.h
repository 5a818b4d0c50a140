// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One source of devices (the GStreamer sources and encoders, the virtual TV card, V4L2): for a category, its
// devices in a stable order, each with a friendly name, an id unique within the provider, and a way to make
// the device's object.

#include "device_enum.h"
#include "platform/com/ref_ptr.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Set the fields after bind by name (designated initialisers): a field added later cannot take another's
// value.
struct DeviceDescription {
    std::string friendlyName;
    std::string id;
    // Makes the device's object and hands out interface iid, as IMoniker::BindToObject.
    std::function<HRESULT(const Guid& iid, void** object)> bind;
    // The "DevicePath" property: the node or sound card ("/dev/video0", "hw:1") of a device that one process
    // at a time can use; empty for devices that can be shared (the virtual card, sound-server sources).
    std::string devicePath = {};
    // For a tuner: the id, within the same provider, of the audio capture device that carries its sound;
    // empty when the card's sound leaves it on a cable only.
    std::string soundId = {};
};

class DeviceProvider {
public:
    virtual ~DeviceProvider() = default;
    // Short name used in display names ("gst-audio", "virtual", ...).
    virtual const char* name() const = 0;
    virtual std::vector<DeviceDescription> devices(const Guid& category) = 0;
};

using DeviceProviderList = std::vector<std::shared_ptr<DeviceProvider>>;

// An enumerator over exactly these providers, in this order; tests give their own.
RefPtr<ICreateDevEnum> MakeDeviceEnum(DeviceProviderList providers);
// The providers CORVANE_DEVICES selects ("all" when unset or unknown, "virtual", "v4l2", "none").
DeviceProviderList SelectedDeviceProviders();
