// SPDX-License-Identifier: GPL-2.0-or-later
// Records 20 s at 720 x 576 with sound from the virtual TV card through TTunerTools, beside a bare pipeline
// writing the same format, and runs its preview for as long (with deinterlacing off and with the default
// method), reporting dropped frames, CPU seconds per second of picture and the data rate written. Reports
// figures only; it asserts nothing. CORVANE_BENCH_SECONDS shortens the runs for a quick look.

#include "bare_recording.h"
#include "card_bench.h"
#include "platform/media/deinterlace_methods.h"
#include "thread_cpu.h"
#include "tv/capture_events.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>

namespace {

// The program's recording and, in the same run, the bare pipeline writing the same format: CPU seconds per
// recorded second of each and their ratio. The busiest threads of both go to standard error, so where the
// program spends more shows by name (the card's own picture is drawn on "source:src").
void BM_Record720x576WithSound(benchmark::State& state) {
    const double seconds = Seconds();
    for (auto _ : state) {
        QTemporaryDir folder;
        const std::filesystem::path bareFile =
            std::filesystem::path(folder.path().toStdString()) / "bare.avi";
        const ThreadCpu bareThreadsBefore = ReadThreadCpu();
        const BareRecording bare = RecordBare(bareFile.string(), seconds);
        const ThreadCpu bareThreads = ReadThreadCpu();
        std::filesystem::remove(bareFile);
        if (!bare.ok) {
            state.SkipWithError(("the bare pipeline cannot record: " + bare.error).c_str());
            return;
        }

        Card card;
        const std::filesystem::path file = std::filesystem::path(folder.path().toStdString()) / "capture.avi";
        card.tools.outputFile = file.wstring();
        if (!card.ready() || !card.tuneChannel() || !card.tools.SetCaptureFormat(kWidth, kHeight) ||
            !card.tools.AssembleCapture()) {
            state.SkipWithError("the virtual card cannot record");
            return;
        }
        const ThreadCpu threadsBefore = ReadThreadCpu();
        const double cpuBefore = ProcessCpuSeconds();
        if (!card.tools.RunCapture()) {
            state.SkipWithError("the recording does not start");
            return;
        }
        RunFor(seconds);
        LONG dropped = 0;
        LONG delivered = 0;
        if (card.tools.droppedFrames) {
            card.tools.droppedFrames->GetNumDropped(&dropped);
            card.tools.droppedFrames->GetNumNotDropped(&delivered);
        }
        const ThreadCpu threads = ReadThreadCpu();
        card.tools.HaltCapture();
        const double cpu = ProcessCpuSeconds() - cpuBefore;
        const double recorded = (delivered - card.tools.notDroppedBase) / 25.0;
        const double cpuPerSecond = recorded > 0 ? cpu / recorded : 0;
        const double bareCpuPerSecond = bare.cpuSeconds / bare.recordedSeconds;
        state.counters["dropped_frames"] = dropped - card.tools.droppedBase;
        state.counters["frames"] = delivered - card.tools.notDroppedBase;
        state.counters["cpu_s_per_s"] = cpuPerSecond;
        state.counters["bare_cpu_s_per_s"] = bareCpuPerSecond;
        state.counters["ratio"] = cpuPerSecond / bareCpuPerSecond;
        state.counters["MB_per_s"] =
            recorded > 0 ? static_cast<double>(std::filesystem::file_size(file)) / 1e6 / recorded : 0;
        state.counters["boxes"] = static_cast<double>(card.boxes.shown().size());
        std::fprintf(stderr, "bare pipeline, %.1f s recorded, CPU by thread:\n%s", bare.recordedSeconds,
                     ThreadCpuReport(bareThreadsBefore, bareThreads).c_str());
        std::fprintf(stderr, "program, %.1f s recorded, CPU by thread:\n%s", recorded,
                     ThreadCpuReport(threadsBefore, threads).c_str());
    }
}
BENCHMARK(BM_Record720x576WithSound)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// Argument 0: deinterlacing off; 1: the default method. The card's 720 x 576 picture is interlaced.
void BM_Preview720x576(benchmark::State& state) {
    const double seconds = Seconds();
    const std::string deinterlace = state.range(0) ? kDefaultDeinterlace : kDeinterlaceOff;
    SetDefaultDeinterlace(deinterlace);
    state.SetLabel("deinterlace " + deinterlace);
    for (auto _ : state) {
        Card card;
        card.tools.previewWanted = true;
        if (!card.ready() || !card.tools.SetPreviewFormat(kWidth, kHeight) || !card.tools.previewRunning) {
            state.SkipWithError("the virtual card cannot preview");
            return;
        }
        const double cpuBefore = ProcessCpuSeconds();
        RunFor(seconds);
        const double cpu = ProcessCpuSeconds() - cpuBefore;
        card.tools.previewWanted = false;
        card.tools.HaltPreview();
        state.counters["cpu_s_per_s"] = cpu / seconds;
        state.counters["boxes"] = static_cast<double>(card.boxes.shown().size());
    }
}
BENCHMARK(BM_Preview720x576)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

} // namespace
