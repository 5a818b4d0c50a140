// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Keeps a recording's picture in time with its sound. An AVI has no time per chunk: each video chunk is one
// frame time, so a frame the source never delivered (a driver's drop, a full capture queue) pulls every later
// picture forward, and a long recording drifts out of lip sync. For each missing frame an empty chunk goes in
// its place, which players take as the previous picture shown once more, as capture programs have always
// written dropped frames.

#include <gst/gst.h>

#include <atomic>
#include <memory>

// When the recording's first data of any stream was taken. Its streams all start at the file's start, so a
// picture that starts later than its sound (a video device is slower to start streaming) is filled from
// here, or its sound would be late by that much from the first second to the last.
class StreamsStart {
public:
    // A stream's first data was taken at time.
    void saw(GstClockTime time);
    // GST_CLOCK_TIME_NONE until a stream's data came.
    GstClockTime time() const { return earliest_.load(); }

private:
    std::atomic<GstClockTime> earliest_{GST_CLOCK_TIME_NONE};
};

// The time a buffer of a stream counts at: its decoding time where it has one, since reordered (B-frame)
// streams keep that steady while their presentation times jump back and forth.
GstClockTime StreamTimeOf(GstBuffer* buffer);

// Fills the gaps in the frames reaching input, a multiplexer's video input, from the streams' start on;
// lives as long as the pad.
void FillVideoGaps(GstPad* input, std::shared_ptr<const StreamsStart> start);

// A gap this long is a jump in the source's timestamps, not frames lost: nothing is filled for it.
inline constexpr GstClockTime kLongestFilledGap = 60 * GST_SECOND;
