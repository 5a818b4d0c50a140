// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The yardstick of a recording's cost: the same format the program records from the virtual card (720 x 576
// YUY2 at 25 frames a second, 44.1 kHz 16-bit stereo) written by a bare pipeline from live test sources, as
// gst-launch-1.0 would run it, in this process so both are measured alike.

#include <string>

struct BareRecording {
    bool ok = false;
    std::string error;
    double cpuSeconds = 0;      // the process's CPU from the start until the file is complete
    double recordedSeconds = 0; // frames written / 25
};

// The pipeline, as gst-launch-1.0 takes it, writing to file.
std::string BarePipeline(const std::string& file);

BareRecording RecordBare(const std::string& file, double seconds);
