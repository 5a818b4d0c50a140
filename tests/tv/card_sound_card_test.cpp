// SPDX-License-Identifier: GPL-2.0-or-later
// The TV side plays the card's sound from the same capture as the recording: the tuned channel's tone
// measured at the card-sound renderer's output, during the preview and while recording with sound, with
// one capture of the card's sound in the graph.
#include "card_tools.h"

#include "platform/media/gst/filter_graph.h"
#include "sound_tap.h"
#include "tv/card_sound_engine.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

constexpr std::size_t kMeasured = 4800;
constexpr std::size_t kInFlight = 9600;

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
