// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The stream formats of a GStreamer audio source's capture pin: the usual PCM formats (8 … 48 kHz, mono and
// stereo, U8/S16LE/S24LE/S32LE) its caps offer. A chosen format is fixed by a capsfilter on the capture
// output, so the recording gets exactly it; until one is chosen the source negotiates as it always did.

#include "platform/devices/virtual/pin_stream_config.h"

#include <gst/gst.h>

#include <memory>
#include <vector>

class SourceSoundFormats final : public StreamFormats {
public:
    // Adds the capsfilter to bin; source is the device element's raw output.
    SourceSoundFormats(GstBin* bin, GstPad* source);
    ~SourceSoundFormats() override;
    SourceSoundFormats(const SourceSoundFormats&) = delete;
    SourceSoundFormats& operator=(const SourceSoundFormats&) = delete;

    // To put behind the capture output's queue.
    GstElement* capsFilter() const { return filter_; }
    // The capture pin over the filter's output; answers IAMStreamConfig through config().
    void setPin(GstPin& pin) { config_ = std::make_unique<PinStreamConfig>(*this, pin); }
    IAMStreamConfig* config() const { return config_.get(); }

    HRESULT currentFormat(const GstPin& pin, AM_MEDIA_TYPE** type) override;
    // VFW_E_INVALIDMEDIATYPE for a format not among the capabilities; VFW_E_WRONG_STATE while it streams.
    HRESULT changeFormat(const GstPin& pin, const AM_MEDIA_TYPE& type) override;
    int capabilityCount(const GstPin& pin) override;
    AM_MEDIA_TYPE* capability(const GstPin& pin, int index) override;

private:
    // The offered formats as fixed caps, listed once on first use.
    const std::vector<GstCaps*>& offered();
    // The caps the source will stream: the chosen ones, else what it streams now, else what it would choose.
    GstCaps* expectedCaps() const;

    GstPad* source_;
    GstElement* filter_;
    std::unique_ptr<PinStreamConfig> config_;
    std::vector<GstCaps*> offered_;
    bool listed_ = false;
};
