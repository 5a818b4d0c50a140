// SPDX-License-Identifier: GPL-2.0-or-later
// The frequency search on the virtual TV card as the program and corvane-ctl run it: through the TV and
// radio device adapters, in its dialog, and as corvane-ctl scan with --settle 0. The settling waits are
// left out (a clock that does not wait); what they add is computed from the steps taken and reported as
// default_waits_s, the time a sweep takes with the program's 50 ms (TV) and 100 ms (radio) per step.

#include "card_search_devices.h"
#include "channels/search_form.h"
#include "model_search_tuner.h"
#include "search_bench.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

// Counts the steps of a progress that is not ours to count: the dialog.
class CountingTuner final : public SearchTuner {
public:
    explicit CountingTuner(SearchTuner& inner) : inner_(inner) {}
    HRESULT TuneFrequency(std::int32_t hz) override {
        ++tunes;
        return inner_.TuneFrequency(hz);
    }
    HRESULT ReadTunerOffset(std::int32_t* offset) override { return inner_.ReadTunerOffset(offset); }
    bool IsSignalLocked() override { return inner_.IsSignalLocked(); }

    std::int64_t tunes = 0;

private:
    SearchTuner& inner_;
};

void ReportSteps(benchmark::State& state, std::int64_t steps, const FrequencySearchParameters& parameters) {
    const double perSweep = static_cast<double>(steps) / static_cast<double>(state.iterations());
    state.counters["steps"] = perSweep;
    state.counters["default_waits_s"] = perSweep * parameters.settleMs / 1000.0;
    state.SetItemsProcessed(steps);
}

// A whole sweep through the device adapter: the card's tuner model behind the media engine's interfaces.
void CardSweep(benchmark::State& state, const FrequencySearchParameters& parameters, bool tv) {
    const auto device = tv ? MakeTvCardSearchDevice() : MakeRadioCardSearchDevice(false);
    NoWaitClock clock;
    CountingProgress progress;
    for (auto _ : state) {
        ChannelList list;
        FrequencySearch search(parameters, device->tuner(), clock, progress);
        search.run(list);
        benchmark::DoNotOptimize(list.count());
    }
    ReportSteps(state, progress.steps, parameters);
}
void BM_CardSweepTv(benchmark::State& state) {
    CardSweep(state, kTVSearch, true);
}
void BM_CardSweepRadio(benchmark::State& state) {
    CardSweep(state, kRadioSearch, false);
}
BENCHMARK(BM_CardSweepTv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CardSweepRadio)->Unit(benchmark::kMillisecond);

// The dialog's share of a step: its frequency label and one turn of the event loop, the dialog on screen.
void BM_DialogSweepRadio(benchmark::State& state) {
    const CardDefinition card = BuiltInCardDefinition();
    ModelSearchTuner model(card, TunerMode::Fm);
    CountingTuner tuner(model);
    NoWaitClock clock;
    TRadioSearchForm form(clock);
    form.show();
    for (auto _ : state) {
        ChannelList list;
        FrequencySearch search(kRadioSearch, tuner, clock, form);
        search.run(list);
    }
    form.hide();
    ReportSteps(state, tuner.tunes, kRadioSearch);
}
BENCHMARK(BM_DialogSweepRadio)->Unit(benchmark::kMillisecond);

// corvane-ctl scan --settle 0, the process with its start, the device's opening and the save.
void CtlScan(benchmark::State& state, const char* band) {
    QTemporaryDir folder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CORVANE_DEVICES"), QStringLiteral("virtual"));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(folder.filePath(QStringLiteral("registry.sqlite")));
        environment.insert(QStringLiteral("CORVANE_REGISTRY"),
                           folder.filePath(QStringLiteral("registry.sqlite")));
        QProcess process;
        process.setProcessEnvironment(environment);
        state.ResumeTiming();
        process.start(QStringLiteral(CORVANE_CTL_PATH), {QStringLiteral("scan"), QString::fromLatin1(band),
                                                         QStringLiteral("--settle"), QStringLiteral("0")});
        process.waitForFinished(120000);
        if (process.exitCode() != 0) {
            state.SkipWithError(process.readAllStandardError().constData());
            break;
        }
    }
}
void BM_CtlScanTv(benchmark::State& state) {
    CtlScan(state, "tv");
}
void BM_CtlScanRadio(benchmark::State& state) {
    CtlScan(state, "radio");
}
BENCHMARK(BM_CtlScanTv)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CtlScanRadio)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The card's device locks must not meet a running program's.
    QTemporaryDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
