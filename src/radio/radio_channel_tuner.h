#pragma once
// The station list's device: TRadioTools' tuner behind the channel list's interface. The radio object
// reports its own failures in boxes; the list only hears whether each call did its work.

#include "channels/channel_tuner.h"

class TRadioTools;

class RadioChannelTuner final : public ChannelTuner {
public:
    explicit RadioChannelTuner(TRadioTools& tools) : tools_(tools) {}

    // S_OK for every frequency but 0 on a tuner, as the radio object answers.
    HRESULT TuneFrequency(std::int32_t hz) override;
    // Always S_OK: an offset that could not be read is 0.
    HRESULT ReadTunerOffset(std::int32_t* offset) override;
    // Stations carry no video standard.
    HRESULT SetVideoStandard(std::int32_t standard) override;

private:
    TRadioTools& tools_;
};
