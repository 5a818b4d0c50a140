// SPDX-License-Identifier: GPL-2.0-or-later
// The thin users of the tuner operations on the virtual TV card: the signal indicator, the sound-mode box
// and the channel list's device.
#include "card_tools.h"
#include "tv/tuner_channel_tuner.h"
#include "tv/tv_audio_modes.h"
#include "tv/tv_signal_indicator.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr std::int32_t kLocking = 175250000;
constexpr std::int32_t kNothing = 300000000;

std::string Caption(const char* caption) {
    return caption ? caption : "(unchanged)";
}

TEST(TunerUsersOnTheCard, SignalLabelChangesOnlyWhenTheLockDoes) {
    CardTools card;
    card.select();
    TvSignalIndicator indicator;

    card.tools.TuneFrequency(kNothing);
    EXPECT_EQ(Caption(indicator.tick(&card.tools, true)), "(unchanged)") << "the label starts at no signal";
    card.tools.TuneFrequency(kLocking);
    // Hidden page or no tuner object: nothing is asked, so the lock is not taken for shown.
    EXPECT_EQ(Caption(indicator.tick(&card.tools, false)), "(unchanged)");
    EXPECT_EQ(Caption(indicator.tick(nullptr, true)), "(unchanged)");
    EXPECT_EQ(Caption(indicator.tick(&card.tools, true)), "[signal OK]");
    EXPECT_EQ(Caption(indicator.tick(&card.tools, true)), "(unchanged)");
    card.tools.TuneFrequency(kNothing);
    EXPECT_EQ(Caption(indicator.tick(&card.tools, true)), "[no signal]");
    EXPECT_EQ(Caption(indicator.tick(&card.tools, true)), "(unchanged)");
}

TEST(TunerUsersOnTheCard, SoundModeBoxOffersTheCardsModesAndSetsThem) {
    CardTools card;
    card.select();
    ASSERT_EQ(card.tools.tvAudio->put_TVAudioMode(AMTVAUDIO_MODE_LANG_A), S_OK);

    const TvAudioModeBox box = ReadTvAudioModes(card.tools.tvAudio.get());
    EXPECT_TRUE(box.enabled);
    std::vector<std::string> texts;
    for (const TvAudioModeItem& item : box.items) {
        texts.push_back(item.text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"Mono", "Stereo", "Lang A", "Lang B"}));
    EXPECT_EQ(box.selected, 2);

    ChooseTvAudioMode(&card.tools, box, 1);
    LONG mode = 0;
    ASSERT_EQ(card.tools.tvAudio->get_TVAudioMode(&mode), S_OK);
    EXPECT_EQ(mode, AMTVAUDIO_MODE_STEREO);
    // No item chosen, or past the end: the mode stays.
    ChooseTvAudioMode(&card.tools, box, -1);
    ChooseTvAudioMode(&card.tools, box, 4);
    ASSERT_EQ(card.tools.tvAudio->get_TVAudioMode(&mode), S_OK);
    EXPECT_EQ(mode, AMTVAUDIO_MODE_STEREO);

    const TvAudioModeBox none = ReadTvAudioModes(nullptr);
    EXPECT_FALSE(none.enabled);
    EXPECT_TRUE(none.items.empty());
}

TEST(TunerUsersOnTheCard, ChannelListTunesThroughTheTunerObject) {
    CardTools card;
    card.select();
    TunerChannelTuner device(card.tools);

    EXPECT_EQ(device.TuneFrequency(kLocking - 125000), S_OK);
    std::int32_t offset = 0;
    EXPECT_EQ(device.ReadTunerOffset(&offset), S_OK);
    EXPECT_EQ(offset, 125000);
    EXPECT_EQ(device.SetVideoStandard(AnalogVideo_PAL_D), S_OK);
    LONG standard = 0;
    const RefPtr<IAMAnalogVideoDecoder> decoder = query<IAMAnalogVideoDecoder>(card.tools.videoCapture);
    ASSERT_EQ(decoder->get_TVFormat(&standard), S_OK);
    EXPECT_EQ(standard, AnalogVideo_PAL_D);
    EXPECT_TRUE(card.shown().empty());

    EXPECT_TRUE(FAILED(device.TuneFrequency(0)));
    EXPECT_EQ(card.shown().size(), 1u) << "the tuner's refusal of 0 is shown";
}

} // namespace
