// SPDX-License-Identifier: GPL-2.0-or-later
// TTunerTools' tuner operations on the virtual TV card: tuning near a carrier reads back how far off it is,
// the decoder locks only on a locking carrier heard through the tuner input, and frequencies the tuner
// refuses or property sets that fail bring up their boxes.
#include "card_tools.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int32_t kCorvaneTwo = 175250000;

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

TEST(TunerControlOnTheCard, TuningReadsTheOffsetAndTheLock) {
    CardTools card;
    card.select();
    ASSERT_TRUE(card.tools.PrepareTvTuner());
    EXPECT_TRUE(card.tools.SetVideoStandard(AnalogVideo_PAL_B));

    struct Case {
        std::int32_t hertz;
        std::int32_t offset;
        bool locked;
    };
    for (const Case& c : {Case{kCorvaneTwo - 250000, 250000, true}, Case{kCorvaneTwo, 0, true},
                          Case{kCorvaneTwo + 999999, -999999, true}, Case{300000000, 0, false},
                          // A carrier that is heard but never locks.
                          Case{503250000 - 100000, 100000, false}}) {
        EXPECT_TRUE(card.tools.TuneFrequency(c.hertz)) << c.hertz;
        EXPECT_EQ(card.tools.ReadTunerOffset(), c.offset) << c.hertz;
        EXPECT_EQ(card.tools.IsSignalLocked(), c.locked) << c.hertz;
    }
    EXPECT_TRUE(card.shown().empty());
}

TEST(TunerControlOnTheCard, TuningPutsARadioTunerBackIntoTv) {
    CardTools card;
    card.select();
    ASSERT_EQ(card.tools.tuner->put_Mode(AMTUNER_MODE_FM_RADIO), S_OK);

    EXPECT_TRUE(card.tools.TuneFrequency(kCorvaneTwo + 50000));
    EXPECT_EQ(card.tools.ReadTunerOffset(), -50000);
    EXPECT_TRUE(card.tools.IsSignalLocked());
    EXPECT_TRUE(card.shown().empty());
}

TEST(TunerControlOnTheCard, RefusedFrequenciesShowTheirBox) {
    CardTools card;
    card.select();

    // The tuner refuses 0 as any other frequency outside its band; only 0 also answers false.
    EXPECT_FALSE(card.tools.TuneFrequency(0));
    EXPECT_TRUE(card.tools.TuneFrequency(900000000));
    const auto texts = card.shown();
    ASSERT_EQ(texts.size(), 2u);
    for (const std::string& text : texts) {
        EXPECT_TRUE(StartsWith(text, "KSPROPERTY_TUNER_FREQUENCY\n")) << text;
    }
}

TEST(TunerControlOnTheCard, TwoBoxesForOneTuningWhenBothPropertySetsFail) {
    CardTools card([](CardDefinition& d) { d.faults.setProperty = true; });
    card.select();

    EXPECT_TRUE(card.tools.TuneFrequency(kCorvaneTwo));
    const auto texts = card.shown();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_TRUE(StartsWith(texts[0], "KSPROPERTY_TUNER_MODE\n")) << texts[0];
    EXPECT_TRUE(StartsWith(texts[1], "KSPROPERTY_TUNER_FREQUENCY\n")) << texts[1];
}

TEST(TunerControlOnTheCard, RoutingBringsTheTunerBackAfterAnotherInput) {
    CardTools card;
    card.select();
    ASSERT_TRUE(card.tools.crossbar);
    EXPECT_TRUE(card.tools.TuneFrequency(300000000));
    EXPECT_FALSE(card.tools.IsSignalLocked());

    // Another video input shows its own picture, which the decoder locks to.
    char name[32];
    card.tools.crossbar->InputName(1, name, sizeof name);
    ASSERT_STRNE(name, "Video Tuner");
    ASSERT_EQ(card.tools.crossbar->Routing(1), S_OK);
    EXPECT_TRUE(card.tools.IsSignalLocked());

    EXPECT_TRUE(card.tools.RouteTunerInputs());
    EXPECT_FALSE(card.tools.IsSignalLocked());
    EXPECT_TRUE(card.shown().empty());
}

TEST(TunerControlOnTheCard, SoundModes) {
    CardTools card;
    card.select();
    ASSERT_TRUE(card.tools.tvAudio);
    EXPECT_TRUE(card.tools.SetTvAudioMode(AMTVAUDIO_MODE_STEREO));
    LONG mode = 0;
    ASSERT_EQ(card.tools.tvAudio->get_TVAudioMode(&mode), S_OK);
    EXPECT_EQ(mode, AMTVAUDIO_MODE_STEREO);
    // Language C is none of the card's modes.
    EXPECT_FALSE(card.tools.SetTvAudioMode(AMTVAUDIO_MODE_LANG_C));

    card.tools.tvAudio = nullptr;
    EXPECT_FALSE(card.tools.SetTvAudioMode(AMTVAUDIO_MODE_MONO));
}

} // namespace
