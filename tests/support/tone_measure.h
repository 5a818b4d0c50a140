// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Measures of 16-bit sound samples: a tone's frequency counted from its rising zero crossings, and the peak.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

// Frequency of a tone in samples at rate, from its rising zero crossings; 0 for silence.
inline double ToneFrequency(const std::vector<std::int16_t>& samples, int rate) {
    int first = -1;
    int last = -1;
    int crossings = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1] < 0 && samples[i] >= 0) {
            if (first < 0) {
                first = static_cast<int>(i);
            }
            last = static_cast<int>(i);
            ++crossings;
        }
    }
    if (crossings < 2) {
        return 0.0;
    }
    return double(crossings - 1) * rate / double(last - first);
}

inline int Peak(const std::vector<std::int16_t>& samples) {
    int peak = 0;
    for (std::int16_t sample : samples) {
        peak = std::max(peak, std::abs(int(sample)));
    }
    return peak;
}
