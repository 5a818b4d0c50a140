#pragma once
// How the virtual card samples its picture, as an analog card does. At 576 and 480 lines a frame is two
// fields taken a field apart (20 ms at 625 lines, 16.7 ms at 525), woven line by line, so anything that moves
// shows combs; the caps say interlace-mode=interleaved and the field order (top field first at 625 lines,
// bottom first at 525, as V4L2 gives them). At other sizes, such as a card's single field of 288 or 240
// lines, a frame is one picture taken at one time.
//
// The sampler is a GStreamer element of its own ("corvanefieldsampler") between the card's pattern and its
// text: progressive, it passes frames on; interlaced, the pattern is drawn at the field rate and the sampler
// weaves pairs (interlace) and keeps the frame rate asked for (videorate).

#include "platform/media/gst/video_format.h"

#include <gst/gst.h>

extern const char* const kFieldSamplerElement;

struct FieldSampling {
    bool interlaced = false;
    bool topFieldFirst = true;
    // Fields a second, as a fraction: 50/1 or 60000/1001.
    int fieldRateNumerator = 50;
    int fieldRateDenominator = 1;

    friend bool operator==(const FieldSampling&, const FieldSampling&) = default;
};

// The sampling of a drawn format under a standard of 525 lines or not. Only YUV layouts are woven; the
// weaver takes no RGB.
FieldSampling FieldSamplingOf(const VideoFormat& drawn, bool lines525);

// The caps the pattern is drawn at: the format's, at the field rate when interlaced. The caller owns them.
GstCaps* PatternCapsOf(const VideoFormat& drawn, const FieldSampling& sampling);

// Registers the element type once (with the card's sources).
GType FieldSamplerType();

// Sets the sampler for a drawn format; only while it does not stream.
void SetFieldSampling(GstElement* sampler, const VideoFormat& drawn, const FieldSampling& sampling);
