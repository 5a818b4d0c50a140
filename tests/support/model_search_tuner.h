// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A search tuner that answers as the virtual card's tuner model does, for the search's tests and benchmark:
// its offset, its lock, and a full or no signal as the virtual tuner's status reports it.

#include "channels/frequency_search.h"
#include "channels/search_signal.h"
#include "platform/devices/virtual/tuner_model.h"

class ModelSearchTuner final : public SearchTuner, public SearchSignal {
public:
    ModelSearchTuner(const CardDefinition& card, TunerMode mode) : card_(card), mode_(mode) {}

    HRESULT TuneFrequency(std::int32_t hz) override {
        if (!TunerAccepts(mode_, hz)) {
            return E_INVALIDARG;
        }
        frequency_ = hz;
        return S_OK;
    }
    HRESULT ReadTunerOffset(std::int32_t* offset) override {
        *offset = Receive(card_, mode_, frequency_).pllOffset;
        return S_OK;
    }
    bool IsSignalLocked() override { return Receive(card_, mode_, frequency_).horizontalLock; }
    bool ReadSignalStrength(std::int32_t* percent) override {
        *percent = Receive(card_, mode_, frequency_).heard() ? 100 : 0;
        return true;
    }

private:
    const CardDefinition& card_;
    TunerMode mode_;
    std::int64_t frequency_ = 0;
};
