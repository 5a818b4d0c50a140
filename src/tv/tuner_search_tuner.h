#pragma once
// The TV search's device: TTunerTools' tuner and decoder behind the sweep's interface. The tuner object
// reports its own failures in boxes, and the sweep goes on after them.

#include "channels/search_tuner.h"

class TTunerTools;

class TunerSearchTuner final : public SearchTuner {
public:
    explicit TunerSearchTuner(TTunerTools& tools) : tools_(tools) {}

    // E_FAIL only for 0 or without a tuner, as the tuner object answers.
    HRESULT TuneFrequency(std::int32_t hz) override;
    // Always S_OK: an offset that could not be read has had its box and is 0.
    HRESULT ReadTunerOffset(std::int32_t* offset) override;
    bool IsSignalLocked() override;

private:
    TTunerTools& tools_;
};
