// SPDX-License-Identifier: GPL-2.0-or-later
#include "capture_device.h"

#include "filter_graph.h"

void PostDeviceLost(GstElement* element, IBaseFilter* filter) {
    if (filter) {
        filter->AddRef();
    }
    GstStructure* details = gst_structure_new(DeviceLostMessageName, "device", G_TYPE_POINTER,
                                              static_cast<IUnknown*>(filter), nullptr);
    gst_element_post_message(element, gst_message_new_element(GST_OBJECT(element), details));
}
