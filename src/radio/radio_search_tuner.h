#pragma once
// The radio search's device: TRadioTools' tuner behind the sweep's interface. The radio object reports its
// own failures in boxes, and the sweep goes on after them.

#include "channels/search_tuner.h"

class TRadioTools;

class RadioSearchTuner final : public SearchTuner {
public:
    explicit RadioSearchTuner(TRadioTools& tools) : tools_(tools) {}

    // E_FAIL only for 0 or without a tuner, as the radio object answers.
    HRESULT TuneFrequency(std::int32_t hz) override;
    // Always S_OK: an offset that could not be read is 0.
    HRESULT ReadTunerOffset(std::int32_t* offset) override;
    // The radio search takes every find as a station and never asks.
    bool IsSignalLocked() override { return true; }

private:
    TRadioTools& tools_;
};
