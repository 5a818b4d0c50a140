// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A device object's settings page over a table of its controls: it answers ISpecifyPropertyPages with the
// generated page and IDeviceControls from the table, and takes its identity and reference count from the
// object it belongs to (a filter or one of its pins), as an interface of that object.

#include "device_controls.h"
#include "platform/media/capture_interfaces.h"
#include "platform/media/gst/dmo_interfaces.h"

#include <functional>
#include <vector>

struct DeviceControlEntry {
    DeviceControl control;
    std::function<std::int32_t()> get;     // not needed for a button
    std::function<bool(std::int32_t)> set; // false when the device refuses the value
};

class DeviceControlPages final : public ISpecifyPropertyPages, public IDeviceControls {
public:
    // entries is asked anew each time, so ranges and choices follow the device.
    DeviceControlPages(IUnknown& owner, std::function<std::vector<DeviceControlEntry>()> entries)
        : owner_(owner), entries_(std::move(entries)) {}
    DeviceControlPages(const DeviceControlPages&) = delete;
    DeviceControlPages& operator=(const DeviceControlPages&) = delete;

    HRESULT QueryInterface(const Guid& iid, void** object) override {
        return owner_.QueryInterface(iid, object);
    }
    std::uint32_t AddRef() override { return owner_.AddRef(); }
    std::uint32_t Release() override { return owner_.Release(); }

    // The interface asked for when it is one of these two, else null: for the owner's own lookup.
    void* answer(const Guid& iid);

    // ISpecifyPropertyPages
    HRESULT GetPages(CAUUID* pages) override;

    // IDeviceControls
    std::vector<DeviceControl> controls() override;
    HRESULT GetValue(std::uint32_t id, std::int32_t* value) override;
    HRESULT SetValue(std::uint32_t id, std::int32_t value) override;

private:
    IUnknown& owner_;
    std::function<std::vector<DeviceControlEntry>()> entries_;
};
