#include "gst_device_element.h"

GstDeviceElement::GstDeviceElement(GstElement* element) : element_(element) {
    gst_object_ref_sink(element_);
}

GstDeviceElement::~GstDeviceElement() {
    gst_object_unref(element_);
}

HRESULT BindDeviceElement(GstElement* element, const Guid& iid, void** object) {
    if (!element) {
        return E_FAIL;
    }
    auto holder = MakeCom<GstDeviceElement>(element);
    return holder->QueryInterface(iid, object);
}
