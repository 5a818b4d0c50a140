// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the virtual card's tuner hears at a frequency. TV mode hears TV carriers within 1,000,000 Hz, FM mode
// radio carriers within 150,000 Hz; of those, the nearest (the lower one on a tie). The phase-locked loop's
// offset is carrier − tuned frequency (always 0 on a card without afc); the picture locks when a TV carrier
// is heard and locks.

#include "card_definition.h"

#include <cstdint>

enum class TunerMode { Tv, Fm };

constexpr std::int64_t kTvCaptureRange = 1000000;
constexpr std::int64_t kFmCaptureRange = 150000;
// A locked carrier this close gives a clear picture; further off it is faint.
constexpr std::int64_t kClearPictureRange = 250000;

struct Reception {
    // Index into the card's tv or radio list (by mode), -1 when nothing is heard.
    int carrier = -1;
    std::int32_t pllOffset = 0;
    bool horizontalLock = false;

    bool heard() const { return carrier >= 0; }
};

Reception Receive(const CardDefinition& card, TunerMode mode, std::int64_t frequency);

// TV 40–870 MHz, FM 87.5–108 MHz, both ends included.
bool TunerAccepts(TunerMode mode, std::int64_t frequency);
