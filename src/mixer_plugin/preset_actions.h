// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include "mixer_backend.h"
#include "preset.h"

#include <optional>

namespace faderix {

// The new position on the scale 0..N for a volume action, with 32-bit arithmetic that is unsigned for a
// fader-class control and signed (wrapping) for a slider-class one. Exposed for the arithmetic tests.
struct VolumeStep {
    uint32_t position; // new P
    uint32_t written;  // min + P, with the top of the scale written as max
    uint32_t percent;  // P * 100 / N
    bool writes;       // false for "Get current value only" and for codes without a step
};
// Nothing when the range covers all 2^32 values (N = 0), for which no step is defined.
std::optional<VolumeStep> volumeStep(const MixerControl& control, uint32_t current, uint16_t action);

// Applies the items in order and returns the value the last checked item reports (0 with none).
// Items whose control cannot be fetched are skipped.
int32_t applyPreset(MixerBackend& backend, const Preset& preset);

} // namespace faderix
