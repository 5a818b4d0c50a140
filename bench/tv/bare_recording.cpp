// SPDX-License-Identifier: GPL-2.0-or-later
#include "bare_recording.h"

#include "card_bench.h"

#include <gst/gst.h>

#include <atomic>

namespace {

constexpr double kFramesPerSecond = 25.0;
constexpr GstClockTime kEndWait = 30 * GST_SECOND;

GstPadProbeReturn CountFrame(GstPad*, GstPadProbeInfo*, gpointer frames) {
    static_cast<std::atomic<long>*>(frames)->fetch_add(1, std::memory_order_relaxed);
    return GST_PAD_PROBE_OK;
}

// Waits up to timeout for end of stream or an error; the error's text, or empty on end of stream.
bool AwaitEnd(GstElement* pipeline, GstClockTime timeout, std::string& error) {
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message =
        gst_bus_timed_pop_filtered(bus, timeout, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    gst_object_unref(bus);
    if (!message) {
        return false;
    }
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
        GError* failure = nullptr;
        gst_message_parse_error(message, &failure, nullptr);
        error = failure ? failure->message : "error";
        g_clear_error(&failure);
    }
    gst_message_unref(message);
    return true;
}

} // namespace

std::string BarePipeline(const std::string& file) {
    return "videotestsrc is-live=true pattern=smpte horizontal-speed=4 "
           "! video/x-raw,format=YUY2,width=" +
           std::to_string(kWidth) + ",height=" + std::to_string(kHeight) +
           ",framerate=25/1 ! queue name=frames ! mux. "
           "audiotestsrc is-live=true ! audio/x-raw,format=S16LE,rate=44100,channels=2,layout=interleaved "
           "! queue ! mux. "
           "avimux name=mux ! filesink location=\"" +
           file + "\"";
}

BareRecording RecordBare(const std::string& file, double seconds) {
    BareRecording result;
    GError* failure = nullptr;
    GstElement* pipeline = gst_parse_launch(BarePipeline(file).c_str(), &failure);
    if (!pipeline) {
        result.error = failure ? failure->message : "cannot make the pipeline";
        g_clear_error(&failure);
        return result;
    }
    std::atomic<long> frames{0};
    GstElement* queue = gst_bin_get_by_name(GST_BIN(pipeline), "frames");
    GstPad* written = gst_element_get_static_pad(queue, "src");
    gst_pad_add_probe(written, GST_PAD_PROBE_TYPE_BUFFER, CountFrame, &frames, nullptr);
    gst_object_unref(written);
    gst_object_unref(queue);

    const double cpuBefore = ProcessCpuSeconds();
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    std::string error;
    if (AwaitEnd(pipeline, GstClockTime(seconds * GST_SECOND), error)) {
        result.error = error.empty() ? "ended early" : error;
    } else {
        gst_element_send_event(pipeline, gst_event_new_eos());
        if (!AwaitEnd(pipeline, kEndWait, error)) {
            result.error = "the file was not finished";
        } else {
            result.error = error;
        }
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    result.cpuSeconds = ProcessCpuSeconds() - cpuBefore;
    gst_object_unref(pipeline);
    result.recordedSeconds = double(frames.load()) / kFramesPerSecond;
    result.ok = result.error.empty() && frames.load() > 0;
    return result;
}
