// SPDX-License-Identifier: GPL-2.0-or-later
// TRadioTools on the virtual TV card: FM tuning and its offset, the refused frequency's box, the sound
// routing, a card with only a tuner chosen, and one process at a time on the tuner.
#include "radio_card.h"

#include "error_boxes.h"
#include "radio/radio_tools.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

struct RadioToolsCard : ::testing::Test {
    std::vector<std::string> shown() const { return ErrorBoxTexts(boxes); }

    RadioCard radio;
    RecordingMessageBoxes boxes;
};

TEST_F(RadioToolsCard, TunesInFmModeAndReadsTheOffsetOfTheStationNearby) {
    TRadioTools tools(radio.tuner.get(), radio.tvAudio.get(), radio.crossbar.get(), {boxes});
    ASSERT_TRUE(tools.hasTuner());
    ASSERT_TRUE(tools.SetRadioMode());
    EXPECT_EQ(radio.card->mode(), TunerMode::Fm);

    // Classic FM is at 95.8 MHz: below it the loop is off upwards, on it not at all. In TV mode the tuner
    // would hear no station here and read 0 both times.
    radio.card->setMode(TunerMode::Tv);
    EXPECT_TRUE(tools.TuneFrequency(95750000));
    EXPECT_EQ(radio.card->mode(), TunerMode::Fm) << "every tune sets FM mode itself";
    EXPECT_EQ(tools.ReadTunerOffset(), 50000);
    EXPECT_TRUE(tools.IsSignalPresent());
    EXPECT_TRUE(tools.TuneFrequency(95800000));
    EXPECT_EQ(tools.ReadTunerOffset(), 0);
    EXPECT_TRUE(tools.TuneFrequency(97000000));
    EXPECT_EQ(tools.ReadTunerOffset(), 0);
    EXPECT_FALSE(tools.IsSignalPresent());
    EXPECT_TRUE(shown().empty());
}

TEST_F(RadioToolsCard, ARefusedFrequencyShowsOneBoxAndStillAnswersTrue) {
    TRadioTools tools(radio.tuner.get(), nullptr, nullptr, {boxes});
    EXPECT_TRUE(tools.TuneFrequency(60000000)) << "below the FM band";
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_EQ(shown()[0].rfind("KSPROPERTY_TUNER_FREQUENCY\n", 0), 0u) << shown()[0];
    EXPECT_GT(shown()[0].size(), std::string("KSPROPERTY_TUNER_FREQUENCY\n").size()) << "the system's text";

    boxes.clear();
    EXPECT_FALSE(tools.TuneFrequency(0));
}

TEST_F(RadioToolsCard, AFailedModeDoesNotStopTheFrequencyAndBothAreBoxed) {
    RadioCard faulty([](CardDefinition& card) { card.faults.setProperty = true; });
    TRadioTools tools(faulty.tuner.get(), nullptr, nullptr, {boxes});
    EXPECT_TRUE(tools.TuneFrequency(95800000));
    EXPECT_EQ(shown().size(), 2u) << "mode and frequency";
    EXPECT_EQ(shown().at(0).rfind("KSPROPERTY_TUNER_MODE\n", 0), 0u);
    EXPECT_EQ(shown().at(1).rfind("KSPROPERTY_TUNER_FREQUENCY\n", 0), 0u);
}

TEST_F(RadioToolsCard, RoutesTheTunersSoundToTheDecoderOutput) {
    ASSERT_TRUE(radio.card->route(0, kAudioDecoderOutput, kAudioLineInput));
    TRadioTools tools(radio.tuner.get(), radio.tvAudio.get(), radio.crossbar.get(), {boxes});
    EXPECT_TRUE(tools.RouteRadioAudio());
    EXPECT_EQ(radio.card->routedTo(0, kAudioDecoderOutput), kAudioTunerInput);
}

TEST_F(RadioToolsCard, ListsTheCrossbarsAudioInputsAndItsDecoderOutput) {
    TRadioTools tools(nullptr, nullptr, radio.crossbar.get(), {boxes});
    const RadioAudioSources sources = tools.ReadAudioSources();
    EXPECT_EQ(sources.decoderOutput, kAudioDecoderOutput);
    ASSERT_EQ(sources.inputs.size(), 2u) << "the three video inputs are not sources of sound";
    EXPECT_STREQ(sources.inputs[0].name, "Audio Tuner");
    EXPECT_EQ(sources.inputs[0].pin, kAudioTunerInput);
    EXPECT_STREQ(sources.inputs[1].name, "Audio Line");
    EXPECT_EQ(sources.inputs[1].pin, kAudioLineInput);

    EXPECT_TRUE(tools.RouteAudio(sources.decoderOutput, kAudioLineInput));
    EXPECT_EQ(radio.card->routedTo(0, kAudioDecoderOutput), kAudioLineInput);
    EXPECT_FALSE(tools.RouteAudio(0, kAudioLineInput)) << "sound cannot go to the picture's output";
}

TEST_F(RadioToolsCard, WithOnlyATunerTuningWorksAndTheRestAnswersNo) {
    TRadioTools tools(radio.tuner.get(), nullptr, nullptr, {boxes});
    EXPECT_TRUE(tools.SetRadioMode());
    EXPECT_TRUE(tools.TuneFrequency(101050000));
    EXPECT_EQ(tools.ReadTunerOffset(), 50000);
    EXPECT_FALSE(tools.RouteRadioAudio());
    EXPECT_FALSE(tools.ReadAudioModes().enabled);
    EXPECT_EQ(tools.ReadAudioSources().decoderOutput, -1);
    EXPECT_TRUE(tools.ReadAudioSources().inputs.empty());
    EXPECT_FALSE(tools.SetTvAudioMode(AMTVAUDIO_MODE_STEREO));
    EXPECT_EQ(tools.device(TRadioTools::Device::Crossbar), nullptr);
    EXPECT_TRUE(shown().empty());
}

TEST_F(RadioToolsCard, WithoutDevicesEverythingAnswersNoSilently) {
    TRadioTools tools(nullptr, nullptr, nullptr, {boxes});
    EXPECT_FALSE(tools.SetRadioMode());
    EXPECT_FALSE(tools.TuneFrequency(95800000));
    EXPECT_EQ(tools.ReadTunerOffset(), 0);
    EXPECT_FALSE(tools.IsSignalPresent());
    EXPECT_TRUE(shown().empty());
}

TEST_F(RadioToolsCard, AFailedBindLeavesThePartEmptySilently) {
    RadioCard broken([](CardDefinition& card) { card.faults.bind = true; });
    TRadioTools tools(broken.tuner.get(), broken.tvAudio.get(), broken.crossbar.get(), {boxes});
    EXPECT_FALSE(tools.hasTuner());
    EXPECT_FALSE(tools.hasTvAudio());
    EXPECT_FALSE(tools.hasCrossbar());
    EXPECT_TRUE(shown().empty());
}

TEST_F(RadioToolsCard, TheVirtualCardIsNotLockedSinceEachProcessHasItsOwn) {
    TRadioTools first(radio.tuner.get(), nullptr, nullptr, TRadioTools::Services{boxes});
    TRadioTools second(radio.tuner.get(), radio.tvAudio.get(), nullptr, {boxes});
    EXPECT_TRUE(first.hasTuner());
    EXPECT_TRUE(second.hasTuner());
    EXPECT_TRUE(shown().empty()) << shown().front();
    DeviceLock probe;
    EXPECT_TRUE(probe.acquire(TRadioTools::TunerLockName("Corvane Virtual TV Card"))) << "no lock file held";
}

} // namespace
