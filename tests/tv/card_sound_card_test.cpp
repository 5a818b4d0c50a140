// SPDX-License-Identifier: GPL-2.0-or-later
// The TV side plays the card's sound from the same capture as the recording: the tuned channel's tone
// measured at the card-sound renderer's output, during the preview and while recording with sound, with
// one capture of the card's sound in the graph.
#include "avi_structure.h"
#include "capture_test_support.h"
#include "card_tools.h"

#include "platform/media/gst/filter_graph.h"
#include "sound_tap.h"
#include "tv/card_sound_engine.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr std::size_t kMeasured = 4800;
constexpr std::size_t kInFlight = 9600;
// The virtual card's sound comes in 40 ms buffers; resampled for the output, a buffer's time is rounded.
constexpr GstClockTime kOneBuffer = 41 * GST_MSECOND;

LONG Dropped(IAMDroppedFrames* counters) {
    LONG dropped = 0;
    counters->GetNumDropped(&dropped);
    return dropped;
}

// The counters of the Smart Tee's preview output, which feeds the card sound.
RefPtr<IAMDroppedFrames> SmartTeePreviewCounters(IGraphBuilder* graph) {
    RefPtr<IBaseFilter> tee;
    RefPtr<IPin> preview;
    if (FAILED(graph->FindFilterByName(L"Smart Tee", tee.put())) ||
        FAILED(tee->FindPin(L"Preview", preview.put()))) {
        return nullptr;
    }
    return query<IAMDroppedFrames>(preview);
}

// How many of the card's sound sources the graph's pipeline holds, at any depth.
int SoundSourcesIn(IGraphBuilder* graph) {
    auto* engine = dynamic_cast<FilterGraph*>(graph);
    if (!engine) {
        return -1;
    }
    int count = 0;
    GstIterator* elements = gst_bin_iterate_recurse(GST_BIN(engine->pipeline()));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(elements, &item) == GST_ITERATOR_OK) {
        GstElementFactory* factory = gst_element_get_factory(GST_ELEMENT(g_value_get_object(&item)));
        if (factory && g_strcmp0(gst_plugin_feature_get_name(factory), "corvanetvsound") == 0) {
            ++count;
        }
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(elements);
    return count;
}

struct TvCardSound : ::testing::Test {
    void SetUp() override {
        channel = card.tuneFirstChannelWithSound();
        ASSERT_TRUE(card.tools.cardSound);
    }
    std::vector<std::int16_t> heard() { return tap.next(tap.count() + kInFlight, kMeasured); }

    SoundTap tap;
    CardTools card;
    TvCarrier channel;
};

TEST_F(TvCardSound, ThePreviewPlaysTheChannelsTone) {
    ASSERT_TRUE(card.tools.AssemblePreview());
    ASSERT_TRUE(card.tools.RunPreview());
    const std::vector<std::int16_t> samples = heard();
    ASSERT_EQ(samples.size(), kMeasured);
    const double tone = card.card().sound().toneHz;
    ASSERT_GT(tone, 0.0);
    EXPECT_NEAR(ToneFrequency(samples, kTapRate), tone, 3.0);
    EXPECT_EQ(SoundSourcesIn(card.tools.graph.get()), 1);
    // Halting the preview (leaving the page) stops the stream.
    ASSERT_TRUE(card.tools.HaltPreview());
    EXPECT_EQ(GST_STATE(tap.sinks().front()), GST_STATE_NULL);
    card.tools.DismantleGraph();
    EXPECT_TRUE(card.shown().empty());
}

TEST_F(TvCardSound, RecordingWithSoundAndListeningShareOneCapture) {
    QTemporaryDir folder;
    card.tools.outputFile = (std::filesystem::path(folder.path().toStdString()) / "capture.avi").wstring();
    ASSERT_TRUE(card.tools.AssembleCapture());
    ASSERT_TRUE(card.tools.RunCapture());
    EXPECT_EQ(SoundSourcesIn(card.tools.graph.get()), 1);
    const std::vector<std::int16_t> samples = heard();
    ASSERT_EQ(samples.size(), kMeasured);
    EXPECT_NEAR(ToneFrequency(samples, kTapRate), card.card().sound().toneHz, 3.0);
    ASSERT_TRUE(card.tools.HaltCapture());
    card.tools.DismantleGraph();
    // The recording got the sound too: the AVI holds an audio stream header.
    std::ifstream in(std::filesystem::path(card.tools.outputFile), std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(file.find("auds"), std::string::npos);
    EXPECT_TRUE(card.shown().empty());
}

TEST_F(TvCardSound, RecordingsBesideThePreviewLeaveTheSoundUnbroken) {
    QTemporaryDir folder;
    const auto file = [&](const char* name) {
        return (std::filesystem::path(folder.path().toStdString()) / name).wstring();
    };
    ASSERT_TRUE(card.tools.AssemblePreview());
    ASSERT_TRUE(card.tools.RunPreview());
    ASSERT_GT(Peak(heard()), 3000);
    // A stream's first moments may stutter on a busy machine, as the output starts: measured once a second
    // of it came without a gap.
    ASSERT_TRUE(WaitUntil([&] {
        const std::size_t played = tap.buffers();
        return played > 25 && tap.longestGapSince(played - 25) == 0;
    }));
    GstElement* output = tap.sinks().front();
    const std::size_t fromBuffer = tap.buffers();
    // Sound a busy machine gave the card sound no time for is dropped before it, counted by the tee's output.
    const RefPtr<IAMDroppedFrames> previewDrops = SmartTeePreviewCounters(card.tools.graph.get());
    ASSERT_TRUE(previewDrops);
    const LONG droppedBefore = Dropped(previewDrops.get());

    // Two in a row: the streams the first recording ended take data again for the second.
    std::string moments; // the buffers played when each recording started and stopped, should one fail
    for (const char* name : {"first.avi", "second.avi"}) {
        card.tools.outputFile = file(name);
        moments += " start " + std::to_string(tap.buffers());
        ASSERT_TRUE(card.tools.CanCaptureBesidePreview());
        ASSERT_TRUE(card.tools.StartCaptureBesidePreview());
        EXPECT_TRUE(card.tools.captureRunning);
        EXPECT_EQ(SoundSourcesIn(card.tools.graph.get()), 1);
        ASSERT_TRUE(card.tools.droppedFrames);
        const LONG base = card.tools.notDroppedBase;
        ASSERT_TRUE(WaitUntil([&] { return Delivered(card.tools.droppedFrames.get()) >= base + 10; }));
        moments += " stop " + std::to_string(tap.buffers());
        ASSERT_TRUE(card.tools.HaltCapture());
        EXPECT_FALSE(card.tools.captureRunning);
        EXPECT_TRUE(card.tools.previewRunning);
        EXPECT_GT(Peak(heard()), 3000) << name;
    }

    // The output was never restarted.
    EXPECT_EQ(tap.sinks().size(), 1u);
    EXPECT_EQ(GST_STATE(output), GST_STATE_PLAYING);
    std::string gaps;
    for (const auto& [buffer, gap] : tap.gapsSince(fromBuffer)) {
        gaps += " " + std::to_string(gap / GST_MSECOND) + " ms before " + std::to_string(buffer);
    }
    // No more than one buffer went missing, but for the sound a busy machine gave the card sound no time for:
    // the tee drops it for a consumer too slow to take it, and counts it.
    const LONG busyDrops = Dropped(previewDrops.get()) - droppedBefore;
    EXPECT_LE(tap.longestGapSince(fromBuffer), GstClockTime(1 + busyDrops) * kOneBuffer)
        << "gaps:" << gaps << "; buffers at" << moments << "; dropped for a slow consumer: " << busyDrops;
    for (const char* name : {"first.avi", "second.avi"}) {
        const AviStructure avi = ReadAviStructure(QString::fromStdWString(file(name)));
        EXPECT_TRUE(avi.complete()) << name;
        EXPECT_GE(avi.pictures(), 10) << name;
        EXPECT_GT(avi.audioChunks, 0) << name;
    }
    // Back to the preview alone, which a recording in a graph built anew can follow as before.
    card.tools.HaltPreview();
    card.tools.DismantleGraph();
    card.tools.outputFile = file("third.avi");
    ASSERT_TRUE(card.tools.AssembleCapture());
    ASSERT_TRUE(card.tools.RunCapture());
    ASSERT_TRUE(WaitUntil(
        [&] { return Delivered(card.tools.droppedFrames.get()) >= card.tools.notDroppedBase + 5; }));
    ASSERT_TRUE(card.tools.HaltCapture());
    card.tools.DismantleGraph();
    EXPECT_TRUE(ReadAviStructure(QString::fromStdWString(file("third.avi"))).complete());
    EXPECT_TRUE(card.shown().empty());
}

TEST_F(TvCardSound, MutedStreamIsSilentAndComesBack) {
    ASSERT_TRUE(card.tools.AssemblePreview());
    ASSERT_TRUE(card.tools.RunPreview());
    const RefPtr<ICardSound> sound = query<ICardSound>(card.tools.cardSound);
    ASSERT_TRUE(sound);
    ASSERT_GT(Peak(heard()), 3000);
    sound->SetMuted(true);
    EXPECT_EQ(Peak(heard()), 0);
    sound->SetMuted(false);
    EXPECT_GT(Peak(heard()), 3000);
    card.tools.HaltPreview();
    card.tools.DismantleGraph();
}

} // namespace
