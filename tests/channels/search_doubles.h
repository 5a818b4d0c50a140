// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Doubles for the frequency search: a tuner that plays back a script of offsets and a progress that records
// what it is shown and stops when told.

#include "channels/frequency_search.h"
#include "channels/search_signal.h"

#include <functional>
#include <map>
#include <set>
#include <vector>

// Every frequency reads offset 0 unless the script says otherwise.
class ScriptedTuner : public SearchTuner {
public:
    HRESULT TuneFrequency(std::int32_t hz) override {
        tuned.push_back(hz);
        current = hz;
        return failTune.count(hz) ? E_FAIL : S_OK;
    }
    HRESULT ReadTunerOffset(std::int32_t* offset) override {
        ++reads;
        if (failRead.count(current)) {
            return E_FAIL;
        }
        const auto it = offsets.find(current);
        *offset = it == offsets.end() ? 0 : it->second;
        return S_OK;
    }
    bool IsSignalLocked() override {
        lockAsked.push_back(current);
        return !unlocked.count(current);
    }

    // A carrier at hz (on the 50 kHz grid of the sweep) is crossed on the step after it.
    void carrier(std::int32_t hz, bool lock = true) {
        offsets[hz + 50000] = -20000;
        if (!lock) {
            unlocked.insert(hz + 50000);
        }
    }

    std::map<std::int32_t, std::int32_t> offsets;
    std::set<std::int32_t> unlocked;
    std::set<std::int32_t> failTune;
    std::set<std::int32_t> failRead;
    std::vector<std::int32_t> tuned;
    std::vector<std::int32_t> lockAsked;
    std::int32_t current = 0;
    int reads = 0;
};

// The scripted tuner that also tells its signal: 0 unless the script says otherwise.
class ScriptedSignalTuner final : public ScriptedTuner, public SearchSignal {
public:
    bool ReadSignalStrength(std::int32_t* percent) override {
        signalAsked.push_back(current);
        const auto it = strengths.find(current);
        *percent = it == strengths.end() ? 0 : it->second;
        return true;
    }

    std::map<std::int32_t, std::int32_t> strengths;
    std::vector<std::int32_t> signalAsked;
};

class RecordingProgress final : public SearchProgress {
public:
    void showFrequency(std::int32_t hz) override { frequencies.push_back(hz); }
    void showCounts(const SearchCounts& shown) override { counts.push_back(shown); }
    void found(const SearchFind& find) override { finds.push_back(find); }
    bool processPending() override {
        ++pendingCalls;
        if (onPending) {
            onPending();
        }
        return stopAtCall == 0 || pendingCalls < stopAtCall;
    }

    std::vector<std::int32_t> frequencies;
    std::vector<SearchCounts> counts;
    std::vector<SearchFind> finds;
    int pendingCalls = 0;
    // The call of processPending (counting from 1, the one before the sweep) that reports a cancel; 0 never.
    int stopAtCall = 0;
    std::function<void()> onPending;
};
