// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The lose_device_after_ms fault: the source's data stops that long after its graph starts running and the
// graph hears EC_DEVICE_LOST. The fail_sound_after_ms fault: the source posts a read error and its stream
// stops, as GStreamer's ALSA source does when its device is unplugged. Measured in the running time of the
// source's own frames, so it follows the pipeline clock and every start of the graph counts from zero again.

#include "platform/media/gst/gst_filter.h"

#include <atomic>
#include <cstdint>
#include <optional>

enum class LossKind { Vanish, ReadError };

class DeviceLoss {
public:
    // Watches the frames leaving pad of a source inside filter; does nothing without a time.
    DeviceLoss(GstPad* pad, IBaseFilter& filter, std::optional<std::int64_t> afterMs,
               LossKind kind = LossKind::Vanish);
    ~DeviceLoss();
    DeviceLoss(const DeviceLoss&) = delete;
    DeviceLoss& operator=(const DeviceLoss&) = delete;

    bool lost() const { return lost_; }

private:
    static GstPadProbeReturn onFrame(GstPad* pad, GstPadProbeInfo* info, gpointer self);

    GstPad* pad_ = nullptr;
    gulong probe_ = 0;
    IBaseFilter& filter_;
    LossKind kind_;
    GstClockTime after_ = GST_CLOCK_TIME_NONE;
    GstClockTime lastTime_ = 0;
    // The time of the first frame since the graph started: the loss counts from there, so a recording holds
    // that much picture however long a busy machine took to start the graph.
    GstClockTime firstTime_ = GST_CLOCK_TIME_NONE;
    std::atomic<bool> lost_{false};
};
