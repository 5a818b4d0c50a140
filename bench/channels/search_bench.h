// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the search's benchmarks share: a clock that does not wait, so what is measured is the sweep beyond
// its settling waits, and a progress that costs no more than a dialog's least.

#include "channels/frequency_search.h"
#include "platform/win/clock.h"

#include <benchmark/benchmark.h>

class NoWaitClock final : public Clock {
public:
    void Sleep(std::uint32_t) override {}
    std::uint32_t timeGetTime() const override { return 0; }
};

// The frequency shown per step, counted.
class CountingProgress final : public SearchProgress {
public:
    void showFrequency(std::int32_t hz) override {
        benchmark::DoNotOptimize(hz);
        ++steps;
    }
    void showCounts(const SearchCounts& counts) override { benchmark::DoNotOptimize(counts.added); }
    bool processPending() override { return true; }

    std::int64_t steps = 0;
};
