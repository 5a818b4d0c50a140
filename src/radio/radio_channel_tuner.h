// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The station list's device and its search's: TRadioTools' tuner behind the interfaces of both. The radio
// object reports its own failures in boxes; the list and the search only hear whether each call did its
// work, and the search ends at a failure rather than showing it at every step.

#include "channels/channel_tuner.h"
#include "channels/search_signal.h"
#include "channels/search_tuner.h"

class TRadioTools;

class RadioChannelTuner final : public ChannelTuner, public SearchTuner, public SearchSignal {
public:
    explicit RadioChannelTuner(TRadioTools& tools) : tools_(tools) {}

    // S_OK for every frequency but 0 that the tuner took; the code of the first property it refused (shown
    // in the radio error box already) otherwise.
    HRESULT TuneFrequency(std::int32_t hz) override;
    // Always S_OK: an offset that could not be read is 0.
    HRESULT ReadTunerOffset(std::int32_t* offset) override;
    // Stations carry no video standard.
    HRESULT SetVideoStandard(std::int32_t standard) override;
    // The radio search takes every find as a station and never asks.
    bool IsSignalLocked() override { return true; }
    // The tuner's own strength reading, which the search uses on cards that report no offset.
    bool ReadSignalStrength(std::int32_t* percent) override;

private:
    TRadioTools& tools_;
};
