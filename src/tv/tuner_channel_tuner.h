#pragma once
// The TV channel list's device: TTunerTools' tuner and decoder behind the channel list's interface. The
// tuner object reports its own failures in boxes; the list only hears whether each call did its work.

#include "channels/channel_tuner.h"

class TTunerTools;

class TunerChannelTuner final : public ChannelTuner {
public:
    explicit TunerChannelTuner(TTunerTools& tools) : tools_(tools) {}

    // S_OK for every frequency but 0, as the tuner object answers.
    HRESULT TuneFrequency(std::int32_t hz) override;
    // Always S_OK: an offset that could not be read has had its box and is 0.
    HRESULT ReadTunerOffset(std::int32_t* offset) override;
    HRESULT SetVideoStandard(std::int32_t standard) override;

private:
    TTunerTools& tools_;
};
