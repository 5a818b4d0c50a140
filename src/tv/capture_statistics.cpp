// SPDX-License-Identifier: GPL-2.0-or-later
#include "capture_statistics.h"

#include "platform/win/clock.h"
#include "tuner_tools.h"

#include <cstdio>

CaptureStatistics ComputeCaptureStatistics(std::int32_t dropped, std::int32_t delivered, std::int32_t average,
                                           std::int32_t droppedBase, std::int32_t notDroppedBase,
                                           std::int32_t elapsedMs) {
    CaptureStatistics stats;
    stats.dropped = dropped - droppedBase;
    stats.delivered = delivered - notDroppedBase;
    stats.elapsedMs = elapsedMs;
    if (elapsedMs > 0) {
        stats.fps = static_cast<double>(stats.delivered) * 1000.0 / elapsedMs;
        stats.rate = static_cast<std::int32_t>(static_cast<double>(stats.delivered) / elapsedMs * 1000.0 *
                                               static_cast<double>(average));
    }
    return stats;
}

std::string FormatCaptureTime(const CaptureStatistics& stats) {
    char text[64];
    const std::int32_t ms = stats.elapsedMs;
    std::snprintf(text, sizeof text, "Time: %d.%d", ms / 1000, ms / 100 - (ms / 1000) * 10);
    return text;
}

std::string FormatCaptureFrames(const CaptureStatistics& stats) {
    char text[64];
    std::snprintf(text, sizeof text, "Frames: %d (dropped %d)", stats.delivered, stats.dropped);
    return text;
}

std::string FormatCaptureRate(const CaptureStatistics& stats) {
    const int whole = static_cast<int>(stats.fps);
    const int tenths = static_cast<int>(stats.fps * 10) - 10 * whole;
    const std::int32_t rate = stats.rate;
    char text[96];
    std::snprintf(text, sizeof text, "FPS: %d.%d, Data rate: %d.%.3d MB/sec", whole, tenths, rate / 1000000,
                  rate / 1000 - (rate / 1000000) * 1000);
    return text;
}

std::string FormatCaptureLine(const CaptureStatistics& stats) {
    return FormatCaptureTime(stats) + "  " + FormatCaptureFrames(stats) + "  " + FormatCaptureRate(stats);
}

std::optional<CaptureStatistics> ReadCaptureStatistics(IAMDroppedFrames* counters, const TTunerTools& tools,
                                                       const Clock& clock) {
    LONG dropped = 0;
    LONG delivered = 0;
    LONG average = 0;
    if (!counters || FAILED(counters->GetNumDropped(&dropped)) ||
        FAILED(counters->GetNumNotDropped(&delivered)) || FAILED(counters->GetAverageFrameSize(&average))) {
        return std::nullopt;
    }
    const auto elapsed = static_cast<std::int32_t>(clock.timeGetTime() - tools.captureStartMs);
    return ComputeCaptureStatistics(dropped, delivered, average, tools.droppedBase, tools.notDroppedBase,
                                    elapsed);
}
