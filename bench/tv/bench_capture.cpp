// Records 20 s at 720 x 576 with sound from the virtual TV card through TTunerTools, and runs its preview for
// as long (with deinterlacing off and with the default method), reporting dropped frames, CPU seconds per
// second of picture and the data rate written. Reports
// figures only; it asserts nothing. CORVANE_BENCH_SECONDS shortens the runs for a quick look.

#include "components/dev_cmb_pickers.h"
#include "platform/media/deinterlace_methods.h"
#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "tv/capture_events.h"
#include "tv/tuner_platform.h"
#include "tv/tuner_tools.h"

#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 576;

double Seconds() {
    const char* text = std::getenv("CORVANE_BENCH_SECONDS");
    const double seconds = text ? std::atof(text) : 0.0;
    return seconds > 0 ? seconds : 20.0;
}

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Runs the event loop for the time given, so the graph's posted messages are handled as in the program.
void RunFor(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Card {
    Card() : tools(&target, TTunerTools::Services{*platform, boxes, clock}) {
        target.owner = &owner;
        video.SetDevice(QStringLiteral("Corvane Virtual TV Card"));
        audio.SetDevice(QStringLiteral("Corvane Virtual TV Card Audio"));
        tools.notifyWindow = &owner;
        tools.previewWanted = false;
        tools.audioWanted = audio.GetMoniker() != nullptr;
        tools.SelectSources(video.GetMoniker(), audio.GetMoniker());
    }
    bool ready() const { return tools.videoCapture && boxes.shown().empty(); }

    RealClock clock;
    RecordingMessageBoxes boxes;
    std::unique_ptr<TunerPlatform> platform = MakeEngineTunerPlatform();
    QWidget owner;
    VideoTargetRecord target;
    TVideoCaptureDevCombo video;
    TAudioCaptureDevCombo audio;
    TTunerTools tools;
};

void BM_Record720x576WithSound(benchmark::State& state) {
    const double seconds = Seconds();
    for (auto _ : state) {
        QTemporaryDir folder;
        Card card;
        const std::filesystem::path file = std::filesystem::path(folder.path().toStdString()) / "capture.avi";
        card.tools.outputFile = file.wstring();
        if (!card.ready() || !card.tools.SetCaptureFormat(kWidth, kHeight) || !card.tools.AssembleCapture()) {
            state.SkipWithError("the virtual card cannot record");
            return;
        }
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
        card.tools.HaltCapture();
        const double cpu = ProcessCpuSeconds() - cpuBefore;
        const double recorded = (delivered - card.tools.notDroppedBase) / 25.0;
        state.counters["dropped_frames"] = dropped - card.tools.droppedBase;
        state.counters["frames"] = delivered - card.tools.notDroppedBase;
        state.counters["cpu_s_per_s"] = recorded > 0 ? cpu / recorded : 0;
        state.counters["MB_per_s"] =
            recorded > 0 ? static_cast<double>(std::filesystem::file_size(file)) / 1e6 / recorded : 0;
        state.counters["boxes"] = static_cast<double>(card.boxes.shown().size());
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
