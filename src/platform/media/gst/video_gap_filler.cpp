// SPDX-License-Identifier: GPL-2.0-or-later
#include "video_gap_filler.h"

namespace {

struct GapFiller {
    std::shared_ptr<const StreamsStart> start;
    GstClockTime frameTime = GST_CLOCK_TIME_NONE; // from the stream's frame rate
    GstClockTime next = GST_CLOCK_TIME_NONE;      // when the next frame is due
    bool started = false;
    bool filling = false;
};

void ReadFrameTime(GapFiller& filler, GstEvent* caps) {
    GstCaps* format = nullptr;
    gst_event_parse_caps(caps, &format);
    gint numerator = 0;
    gint denominator = 0;
    const GstStructure* structure = format ? gst_caps_get_structure(format, 0) : nullptr;
    if (structure && gst_structure_get_fraction(structure, "framerate", &numerator, &denominator) &&
        numerator > 0 && denominator > 0) {
        filler.frameTime = gst_util_uint64_scale_int(GST_SECOND, denominator, numerator);
    }
}

// An empty chunk for the frame due at time: not a key frame, so no seek lands on it.
GstBuffer* Placeholder(GstClockTime time, GstClockTime frameTime) {
    GstBuffer* empty = gst_buffer_new();
    GST_BUFFER_PTS(empty) = time;
    GST_BUFFER_DTS(empty) = time;
    GST_BUFFER_DURATION(empty) = frameTime;
    GST_BUFFER_FLAG_SET(empty, GST_BUFFER_FLAG_DELTA_UNIT);
    return empty;
}

void FillBefore(GapFiller& filler, GstPad* pad, GstBuffer* buffer) {
    const GstClockTime time = StreamTimeOf(buffer);
    if (!GST_CLOCK_TIME_IS_VALID(time)) {
        return;
    }
    if (!filler.started) {
        // The first frame was due when the first of the streams began.
        filler.started = true;
        filler.next = filler.start ? filler.start->time() : GST_CLOCK_TIME_NONE;
    }
    if (!GST_CLOCK_TIME_IS_VALID(filler.frameTime) && GST_BUFFER_DURATION_IS_VALID(buffer) &&
        GST_BUFFER_DURATION(buffer) > 0) {
        filler.frameTime = GST_BUFFER_DURATION(buffer);
    }
    const GstClockTime frameTime = filler.frameTime;
    if (GST_CLOCK_TIME_IS_VALID(filler.next) && GST_CLOCK_TIME_IS_VALID(frameTime) &&
        time > filler.next + frameTime / 2 && time - filler.next <= kLongestFilledGap) {
        // Frames that come a little late are no gap: only whole frame times missing are filled.
        const guint64 missing = (time - filler.next + frameTime / 2) / frameTime;
        filler.filling = true;
        for (guint64 frame = 0; frame < missing; ++frame) {
            if (gst_pad_chain(pad, Placeholder(filler.next + frame * frameTime, frameTime)) != GST_FLOW_OK) {
                break; // the frame itself meets the same flow
            }
        }
        filler.filling = false;
    }
    if (GST_CLOCK_TIME_IS_VALID(frameTime)) {
        filler.next = time + frameTime;
    }
}

GstPadProbeReturn OnData(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    auto& filler = *static_cast<GapFiller*>(data);
    if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER) {
        if (!filler.filling) {
            FillBefore(filler, pad, GST_PAD_PROBE_INFO_BUFFER(info));
        }
        return GST_PAD_PROBE_OK;
    }
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    switch (GST_EVENT_TYPE(event)) {
    case GST_EVENT_CAPS:
        ReadFrameTime(filler, event);
        break;
    case GST_EVENT_STREAM_START:
    case GST_EVENT_SEGMENT:
    case GST_EVENT_FLUSH_STOP:
        // A new stream's times start afresh.
        filler.next = GST_CLOCK_TIME_NONE;
        break;
    default:
        break;
    }
    return GST_PAD_PROBE_OK;
}

} // namespace

void StreamsStart::saw(GstClockTime time) {
    GstClockTime earliest = earliest_.load();
    while (GST_CLOCK_TIME_IS_VALID(time) && time < earliest &&
           !earliest_.compare_exchange_weak(earliest, time)) {
    }
}

GstClockTime StreamTimeOf(GstBuffer* buffer) {
    return GST_BUFFER_DTS_IS_VALID(buffer) ? GST_BUFFER_DTS(buffer) : GST_BUFFER_PTS(buffer);
}

void FillVideoGaps(GstPad* input, std::shared_ptr<const StreamsStart> start) {
    auto* filler = new GapFiller;
    filler->start = std::move(start);
    gst_pad_add_probe(input,
                      GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM |
                                      GST_PAD_PROBE_TYPE_EVENT_FLUSH),
                      &OnData, filler, [](gpointer data) { delete static_cast<GapFiller*>(data); });
}
