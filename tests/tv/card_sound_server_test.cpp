// SPDX-License-Identifier: GPL-2.0-or-later
// How long the TV sound pauses when a recording starts and stops beside the preview, as the TV page's record
// buttons do, heard where the user hears it: on a PulseAudio daemon of this test, read back from its null
// sink's monitor, which plays silence whenever the program's stream gives nothing.
#include "card_tools.h"
#include "private_sound_server.h"
#include "tone_measure.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

constexpr const char* kSink = "corvane_tv_test";
constexpr std::size_t kWindow = 4800;
constexpr int kAudible = 3000;
// Below this a sample is silence: the tone (amplitude near 10000) passes it within a sample.
constexpr int kSilent = 200;
// A window is the tone heard steadily when no silence in it lasts this long.
constexpr double kSteadyMs = 1.0;
// The first seconds of a stream may still stutter on a slow (sanitized) build: the recording starts once
// this many windows in a row held the tone steadily.
constexpr int kSettledWindows = 10;
// The card's sound may pause for one 40 ms buffer; the bound leaves room for the sound server's own
// scheduling on a busy machine, and stays below what rebuilding the graph took (over 160 ms).
constexpr double kLongestPauseMs = 100.0;

// The longest run of silent samples, in milliseconds.
double LongestSilenceMs(const std::vector<std::int16_t>& samples) {
    std::size_t longest = 0;
    std::size_t run = 0;
    for (std::int16_t sample : samples) {
        run = std::abs(int(sample)) < kSilent ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return 1000.0 * double(longest) / SinkMonitor::kRate;
}

struct TvOnSoundServer : OnPrivateSoundServer {
    TvOnSoundServer() : OnPrivateSoundServer(kSink) {}
    void SetUp() override {
        OnPrivateSoundServer::SetUp();
        if (!started()) {
            return;
        }
        card = std::make_unique<CardTools>();
        card->tuneFirstChannelWithSound();
        ASSERT_TRUE(card->tools.cardSound);
        monitor = std::make_unique<SinkMonitor>(QLatin1String(kSink));
    }
    void TearDown() override {
        if (card) {
            card->tools.HaltPreview();
            card->tools.HaltCapture();
            card->tools.DismantleGraph();
        }
        monitor.reset();
        card.reset();
    }

    // Everything the monitor gives until windows in a row hold the tone steadily again (or the wait ends).
    std::vector<std::int16_t> untilSteadyTone(int inARow = 1) {
        std::vector<std::int16_t> all;
        int steady = 0;
        for (int windows = 0; windows < 400; ++windows) {
            const std::vector<std::int16_t> window = monitor->next(kWindow);
            all.insert(all.end(), window.begin(), window.end());
            if (window.size() < kWindow) {
                break;
            }
            steady = Peak(window) > kAudible && LongestSilenceMs(window) < kSteadyMs ? steady + 1 : 0;
            if (steady == inARow) {
                break;
            }
        }
        return all;
    }

    std::unique_ptr<CardTools> card;
    std::unique_ptr<SinkMonitor> monitor;
};

TEST_F(TvOnSoundServer, StartingAndStoppingARecordingHardlyPausesTheSound) {
    QTemporaryDir folder;
    TTunerTools& tools = card->tools;
    tools.outputFile = (std::filesystem::path(folder.path().toStdString()) / "capture.avi").wstring();
    ASSERT_TRUE(tools.AssemblePreview());
    ASSERT_TRUE(tools.RunPreview());
    const std::vector<std::int16_t> before = untilSteadyTone(kSettledWindows);
    ASSERT_GT(Peak({before.end() - std::min(before.size(), kWindow), before.end()}), kAudible)
        << "the preview's sound never reaches the server";

    // As the TV page's record buttons do.
    tools.previewWanted = true;
    ASSERT_TRUE(tools.CanCaptureBesidePreview());
    ASSERT_TRUE(tools.StartCaptureBesidePreview());
    const std::vector<std::int16_t> started = untilSteadyTone();

    ASSERT_TRUE(tools.HaltCapture());
    ASSERT_TRUE(tools.AssemblePreview());
    ASSERT_TRUE(tools.RunPreview());
    const std::vector<std::int16_t> stopped = untilSteadyTone();

    const double startGap = LongestSilenceMs(started);
    const double stopGap = LongestSilenceMs(stopped);
    std::printf("silence heard when the recording starts: %.1f ms, when it stops: %.1f ms\n", startGap,
                stopGap);
    RecordProperty("start_gap_ms", int(startGap));
    RecordProperty("stop_gap_ms", int(stopGap));
    EXPECT_LT(startGap, kLongestPauseMs);
    EXPECT_LT(stopGap, kLongestPauseMs);
    // The sound came back each time.
    EXPECT_GT(Peak({started.end() - std::min(started.size(), kWindow), started.end()}), kAudible);
    EXPECT_GT(Peak({stopped.end() - std::min(stopped.size(), kWindow), stopped.end()}), kAudible);
    EXPECT_TRUE(card->shown().empty());
}

} // namespace
