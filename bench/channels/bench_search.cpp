// SPDX-License-Identifier: GPL-2.0-or-later
// The frequency search's own cost per step, beyond the settling wait: with a tuner that answers at once and
// a clock that does not wait, what is left is the loop, the matching and the reports.

#include "model_search_tuner.h"
#include "search_bench.h"

#include <benchmark/benchmark.h>

namespace {

ChannelList StoredList(int entries, std::int32_t first, std::int32_t spacing) {
    ChannelList list;
    for (int i = 0; i < entries; ++i) {
        ChannelEntry entry = ChannelEntry::MakeTV(first + i * spacing, 16);
        entry.name = QStringLiteral("Channel %1").arg(i);
        list.append(entry);
    }
    return list;
}

void Sweep(benchmark::State& state, const FrequencySearchParameters& parameters, TunerMode mode,
           std::int32_t first, std::int32_t spacing, bool afc = true) {
    CardDefinition card = BuiltInCardDefinition();
    card.afc = afc;
    ModelSearchTuner tuner(card, mode);
    NoWaitClock clock;
    CountingProgress progress;
    const ChannelList stored = StoredList(static_cast<int>(state.range(0)), first, spacing);
    for (auto _ : state) {
        ChannelList list = stored;
        FrequencySearch search(parameters, tuner, clock, progress);
        search.run(list);
        benchmark::DoNotOptimize(list.count());
    }
    // Items are the steps taken, so the rate is per step.
    state.SetItemsProcessed(progress.steps);
}

void BM_TvSweep(benchmark::State& state) {
    Sweep(state, kTVSearch, TunerMode::Tv, 48250000, 7000000);
}
void BM_RadioSweep(benchmark::State& state) {
    Sweep(state, kRadioSearch, TunerMode::Fm, 88100000, 400000);
}

// A card without afc: the sweep also watches the signal strength at every step.
void BM_TvSweepNoAfc(benchmark::State& state) {
    Sweep(state, kTVSearch, TunerMode::Tv, 48250000, 7000000, false);
}

BENCHMARK(BM_TvSweep)->Arg(0)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TvSweepNoAfc)->Arg(0)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RadioSweep)->Arg(0)->Arg(50)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
