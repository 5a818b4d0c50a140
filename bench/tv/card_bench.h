// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the TV benchmarks share: the virtual card's video and sound opened through TTunerTools as the TV page
// opens them, the length of a run, the process's CPU time, and running the event loop for a while.

#include "components/dev_cmb_pickers.h"
#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "tv/tuner_platform.h"
#include "tv/tuner_tools.h"

#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <ctime>
#include <memory>

inline constexpr int kWidth = 720;
inline constexpr int kHeight = 576;

// The length of a run: CORVANE_BENCH_SECONDS, or fallback.
inline double Seconds(double fallback = 20.0) {
    const char* text = std::getenv("CORVANE_BENCH_SECONDS");
    const double seconds = text ? std::atof(text) : 0.0;
    return seconds > 0 ? seconds : fallback;
}

inline double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Runs the event loop for the time given, so the graph's posted messages are handled as in the program.
inline void RunFor(double seconds) {
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
    // Tunes a carrier of the built-in card, so the picture is a received channel rather than snow.
    bool tuneChannel() { return tools.PrepareTvTuner() && tools.TuneFrequency(kChannelHz); }

    static constexpr std::int32_t kChannelHz = 175250000;

    RealClock clock;
    RecordingMessageBoxes boxes;
    std::unique_ptr<TunerPlatform> platform = MakeEngineTunerPlatform();
    QWidget owner;
    VideoTargetRecord target;
    TVideoCaptureDevCombo video;
    TAudioCaptureDevCombo audio;
    TTunerTools tools;
};
