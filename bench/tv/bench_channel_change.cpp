// SPDX-License-Identifier: GPL-2.0-or-later
// Channel change on the virtual TV card through TTunerTools with the preview running at 720 x 576: the time
// from the tuning call to the first frame of the new channel handed to the video renderer. The channel
// list's fixed waits (the mute preset's 200 ms, the tuner's 100 ms) are not part of it: they are waits, not
// work. Each change alternates between a received channel (colour bars) and an empty frequency (snow), so
// the new picture is told from the old one by its look. Reports figures only.

#include "components/dev_cmb_pickers.h"
#include "platform/media/gst/filter_graph.h"
#include "platform/media/video_renderer.h"
#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "tv/tuner_platform.h"
#include "tv/tuner_tools.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

namespace {

constexpr std::int32_t kChannel = 175250000; // a carrier of the built-in card
constexpr std::int32_t kNothing = 500000000; // no carrier near
constexpr int kGiveUpMs = 5000;

// Colour bars have long runs of equal pixels along a line; snow has none.
bool ShowsBars(const QImage& image) {
    if (image.isNull()) {
        return false;
    }
    const int y = image.height() / 4;
    int alike = 0;
    for (int x = 1; x < image.width(); ++x) {
        alike += image.pixel(x, y) == image.pixel(x - 1, y) ? 1 : 0;
    }
    return alike > image.width() * 9 / 10;
}

void BM_ChannelChangeToFirstNewFrame(benchmark::State& state) {
    RealClock clock;
    RecordingMessageBoxes boxes;
    std::unique_ptr<TunerPlatform> platform = MakeEngineTunerPlatform();
    QWidget owner;
    VideoTargetRecord target;
    target.owner = &owner;
    TVideoCaptureDevCombo video;
    video.SetDevice(QStringLiteral("Corvane Virtual TV Card"));
    TTunerTools tools(&target, TTunerTools::Services{*platform, boxes, clock});
    tools.notifyWindow = &owner;
    tools.previewWanted = true;
    tools.audioWanted = false;
    tools.SelectSources(video.GetMoniker(), nullptr);
    auto* graph = dynamic_cast<FilterGraph*>(tools.graph.get());
    if (!tools.videoCapture || !tools.PrepareTvTuner() || !tools.SetPreviewFormat(720, 576) ||
        !tools.previewRunning || !graph || !graph->videoRenderer()) {
        state.SkipWithError("the virtual card cannot preview");
        return;
    }
    VideoRenderer& renderer = *graph->videoRenderer();
    bool onChannel = false;
    double slowest = 0;
    double oldFrames = 0; // frames of the old channel still shown after the tuning call
    for (auto _ : state) {
        const bool toChannel = !onChannel;
        QElapsedTimer elapsed;
        elapsed.start();
        tools.TuneFrequency(toChannel ? kChannel : kNothing);
        const int before = renderer.framesPresented();
        int seen = before;
        bool arrived = false;
        while (!arrived && elapsed.elapsed() < kGiveUpMs) {
            if (renderer.framesPresented() != seen) {
                seen = renderer.framesPresented();
                arrived = ShowsBars(renderer.currentFrame()) == toChannel;
            }
            if (!arrived) {
                QCoreApplication::processEvents();
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        }
        const double seconds = double(elapsed.nsecsElapsed()) / 1e9;
        if (!arrived) {
            state.SkipWithError("the new channel never showed");
            break;
        }
        slowest = std::max(slowest, seconds);
        oldFrames += seen - before - 1;
        state.SetIterationTime(seconds);
        onChannel = toChannel;
    }
    state.counters["slowest_ms"] = slowest * 1000;
    state.counters["old_frames"] = benchmark::Counter(oldFrames, benchmark::Counter::kAvgIterations);
    state.counters["boxes"] = static_cast<double>(boxes.shown().size());
    tools.previewWanted = false;
    tools.HaltPreview();
}
BENCHMARK(BM_ChannelChangeToFirstNewFrame)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

} // namespace
