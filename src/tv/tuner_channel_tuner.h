// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The TV channel list's device and its search's: TTunerTools' tuner and decoder behind the interfaces of
// both. The tuner object reports its own failures in boxes; the list and the search only hear whether each
// call did its work, and the search ends at a failure rather than showing it at every step.

#include "channels/channel_tuner.h"
#include "channels/search_signal.h"
#include "channels/search_tuner.h"

class TTunerTools;

class TunerChannelTuner final : public ChannelTuner, public SearchTuner, public SearchSignal {
public:
    explicit TunerChannelTuner(TTunerTools& tools) : tools_(tools) {}

    // S_OK for every frequency but 0 that the tuner took; the code of the first property it refused (shown
    // in its box already) otherwise.
    HRESULT TuneFrequency(std::int32_t hz) override;
    // The code of a failed read, which has had its box; the offset is then 0.
    HRESULT ReadTunerOffset(std::int32_t* offset) override;
    HRESULT SetVideoStandard(std::int32_t standard) override;
    // The decoder's horizontal lock, which decides whether a TV find is checked.
    bool IsSignalLocked() override;
    // The tuner's own strength reading, which the search uses on cards that report no offset.
    bool ReadSignalStrength(std::int32_t* percent) override;

private:
    TTunerTools& tools_;
};
