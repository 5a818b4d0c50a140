// SPDX-License-Identifier: GPL-2.0-or-later
#include "device_loss.h"

#include "platform/media/gst/capture_device.h"

DeviceLoss::DeviceLoss(GstPad* pad, IBaseFilter& filter, std::optional<std::int64_t> afterMs, LossKind kind)
    : filter_(filter), kind_(kind) {
    if (!afterMs) {
        return;
    }
    after_ = GstClockTime(*afterMs) * GST_MSECOND;
    pad_ = GST_PAD(gst_object_ref(pad));
    probe_ = gst_pad_add_probe(pad_, GST_PAD_PROBE_TYPE_BUFFER, &DeviceLoss::onFrame, this, nullptr);
}

DeviceLoss::~DeviceLoss() {
    if (pad_) {
        gst_pad_remove_probe(pad_, probe_);
        gst_object_unref(pad_);
    }
}

GstPadProbeReturn DeviceLoss::onFrame(GstPad* pad, GstPadProbeInfo* info, gpointer self) {
    auto* loss = static_cast<DeviceLoss*>(self);
    const GstClockTime time = GST_BUFFER_PTS(GST_PAD_PROBE_INFO_BUFFER(info));
    if (!GST_CLOCK_TIME_IS_VALID(time)) {
        return loss->lost_ ? GST_PAD_PROBE_DROP : GST_PAD_PROBE_OK;
    }
    // Time running backwards is a new start of the graph: the device is back until its time comes again.
    if (time < loss->lastTime_) {
        loss->lost_ = false;
        loss->firstTime_ = GST_CLOCK_TIME_NONE;
    }
    loss->lastTime_ = time;
    if (!GST_CLOCK_TIME_IS_VALID(loss->firstTime_)) {
        loss->firstTime_ = time;
    }
    if (!loss->lost_ && time - loss->firstTime_ >= loss->after_) {
        loss->lost_ = true;
        GstElement* source = gst_pad_get_parent_element(pad);
        if (loss->kind_ == LossKind::ReadError) {
            GError* error = g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ,
                                                "Could not read from resource.");
            gst_element_post_message(
                source, gst_message_new_error(GST_OBJECT(source), error, "the device went away"));
            g_error_free(error);
            gst_object_unref(source);
            // The source's task stops on the error, says so in an error of its own and ends the stream.
            gst_buffer_unref(GST_PAD_PROBE_INFO_BUFFER(info));
            GST_PAD_PROBE_INFO_FLOW_RETURN(info) = GST_FLOW_ERROR;
            return GST_PAD_PROBE_HANDLED;
        }
        PostDeviceLost(source, &loss->filter_);
        gst_object_unref(source);
    }
    return loss->lost_ ? GST_PAD_PROBE_DROP : GST_PAD_PROBE_OK;
}
