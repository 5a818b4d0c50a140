// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// IAMStreamConfig of an audio encoder's output pin: the format it records, as a WAVEFORMATEX. That is the
// format negotiated on the encoder's output while it runs, and before that the one it will produce for the
// sound coming in (the capture's default sound when nothing is connected yet). The format is the encoder's
// own choice; SetFormat is not offered.

#include "platform/media/gst/gst_filter.h"
#include "platform/media/gst/video_format.h"

#include <gst/gst.h>

class EncoderOutputFormat final : public IAMStreamConfig {
public:
    // encoder sits in pin's filter; pin is its output.
    EncoderOutputFormat(GstElement* encoder, GstPin& pin) : encoder_(encoder), pin_(pin) {}

    HRESULT QueryInterface(const Guid& iid, void** object) override {
        return pin_.QueryInterface(iid, object);
    }
    std::uint32_t AddRef() override { return pin_.AddRef(); }
    std::uint32_t Release() override { return pin_.Release(); }

    // E_FAIL when the output is no sound format a WAVEFORMATEX can describe.
    HRESULT GetFormat(AM_MEDIA_TYPE** type) override;
    HRESULT SetFormat(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    HRESULT GetNumberOfCapabilities(int* count, int* size) override;
    HRESULT GetStreamCaps(int, AM_MEDIA_TYPE** type, BYTE*) override;

private:
    // The caps the encoder will produce for the sound that comes in; the caller owns them.
    GstCaps* expectedCaps() const;
    // The sound coming into the filter: what its input negotiated, else the capture's default sound.
    AudioFormat incomingSound() const;

    GstElement* encoder_;
    GstPin& pin_;
};

// The media type of a fixed sound caps (raw or one of the encoded formats of kWaveFormatTags), allocated
// for the caller; null for anything else.
AM_MEDIA_TYPE* NewWaveMediaType(const GstCaps* caps);
