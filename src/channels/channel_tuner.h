// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a channel list needs of its device: the TV capture graph for the channel list, the radio tuner graph
// for the station list. A list without a tuner still edits and shows its frequencies.

#include "platform/com/hresult.h"

#include <cstdint>

// The tuner's phase-locked loop needs this long after tuning before its offset means anything.
constexpr std::uint32_t kTunerSettleMs = 100;

class ChannelTuner {
public:
    virtual ~ChannelTuner() = default;
    virtual HRESULT TuneFrequency(std::int32_t hz) = 0;
    // The phase-locked loop's signed offset after tuning; a failure the device has reported is returned, and
    // the list shows 0 for it.
    virtual HRESULT ReadTunerOffset(std::int32_t* offset) = 0;
    // Analog video standard bit value; only lists with picture settings ask for it.
    virtual HRESULT SetVideoStandard(std::int32_t standard) = 0;
};
