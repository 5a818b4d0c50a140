// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The recording's live figures as the "Capture" sheet and corvane-ctl show them: time, frames and dropped
// frames since the recording began, frames per second and the written data rate.

#include <cstdint>
#include <optional>
#include <string>

struct IAMDroppedFrames;
class Clock;
class TTunerTools;

struct CaptureStatistics {
    std::int32_t elapsedMs = 0;
    std::int32_t delivered = 0;
    std::int32_t dropped = 0;
    double fps = 0.0;
    // Bytes per second.
    std::int32_t rate = 0;
};

// From the counters read now, their values when recording began, the average frame size in bytes and the
// milliseconds since recording began.
CaptureStatistics ComputeCaptureStatistics(std::int32_t dropped, std::int32_t delivered, std::int32_t average,
                                           std::int32_t droppedBase, std::int32_t notDroppedBase,
                                           std::int32_t elapsedMs);

// "Time: 1.5"
std::string FormatCaptureTime(const CaptureStatistics& stats);
// "Frames: 12 (dropped 0)"
std::string FormatCaptureFrames(const CaptureStatistics& stats);
// "FPS: 8.0, Data rate: 2.050 MB/sec" (a megabyte is 1,000,000 bytes; every digit truncated)
std::string FormatCaptureRate(const CaptureStatistics& stats);
// The three above on one line, two spaces apart.
std::string FormatCaptureLine(const CaptureStatistics& stats);

// The figures of the recording that tools runs, read from the dropped-frames counters now; none without
// counters or when one of them cannot be read.
std::optional<CaptureStatistics> ReadCaptureStatistics(IAMDroppedFrames* counters, const TTunerTools& tools,
                                                       const Clock& clock);
