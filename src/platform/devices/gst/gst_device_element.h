#pragma once
// A GStreamer element handed out by a device moniker; the object owns one reference to it.

#include "platform/com/com_object.h"
#include "platform/devices/device_enum.h"
#include "platform/media/gst/engine_setup.h"

#include <gst/gst.h>

class GstDeviceElement final : public ComObject<IDeviceElement> {
public:
    // Takes over a new (floating) element.
    explicit GstDeviceElement(GstElement* element);
    GstElement* element() override { return element_; }

private:
    ~GstDeviceElement() override;
    GstElement* element_;
};

// Binds a freshly made element as the device's object; E_FAIL when the element could not be made.
HRESULT BindDeviceElement(GstElement* element, const Guid& iid, void** object);
