// SPDX-License-Identifier: GPL-2.0-or-later
// The Radio page plays the tuner's own sound: the virtual card's tone for the station tuned, caught at the
// card-sound renderer's output and measured there; silence off a carrier and between the presets of a
// retune; nothing once the page is left or "Play card sound" is unticked.
#include "radio_card.h"

#include "channels/channel_list_editor.h"
#include "components/mixer_presets.h"
#include "error_boxes.h"
#include "radio/radio_card_sound.h"
#include "radio/radio_page.h"
#include "recording_channel_view.h"
#include "sound_tap.h"

#include <QCheckBox>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// A 40 ms buffer of the card is 1920 samples; a tenth of a second holds enough crossings of every tone.
constexpr std::size_t kMeasured = 4800;
// Samples that may still be on their way behind the mute when it takes effect: the renderer's queue.
constexpr std::size_t kInFlight = 9600;

class CallbackPresets final : public MixerPresets {
public:
    void ActionPreset(const char* name) override {
        applied.push_back(name);
        if (onPreset) {
            onPreset(name);
        }
    }
    void ActionSetup(const char*) override {}
    std::vector<std::string> applied;
    std::function<void(const std::string&)> onPreset;
};

struct RadioCardSoundTest : ::testing::Test {
    void SetUp() override {
        page = std::make_unique<RadioPage>(
            clock, presets, boxes, [this] { return shown; }, nullptr, radio.factory());
        RadioStationList& stations = page->stations();
        const RadioCarrier& carrier = radio.card->definition().radio.at(0);
        for (const auto& [name, freq] :
             {std::pair{"On air", std::int32_t(carrier.frequency)}, std::pair{"Nothing", 107900000}}) {
            ChannelEntry entry = ChannelEntry::MakeRadio(freq);
            entry.name = QString::fromLatin1(name);
            stations.list().append(entry);
        }
        stations.list().select(0);
        stations.showEntries();
    }
    void TearDown() override { page.reset(); }

    void show() {
        shown = true;
        page->RadioTabSheetShow();
    }
    void leave() {
        page->leavePage();
        shown = false;
    }
    void select(int index) {
        page->stations().list().select(index);
        page->stations().RadioCheckListBoxClick();
    }
    // What is heard now, past whatever was already on its way.
    std::vector<std::int16_t> heard() { return tap.next(tap.count() + kInFlight, kMeasured); }

    SoundTap tap;
    RadioCard radio;
    EventLog log;
    LoggingClock clock{log};
    CallbackPresets presets;
    RecordingMessageBoxes boxes;
    bool shown = false;
    std::unique_ptr<RadioPage> page;
};

TEST_F(RadioCardSoundTest, PlaysTheStationsToneAndSilenceOffCarrier) {
    show();
    ASSERT_TRUE(page->cardSound().playing());
    const std::vector<std::int16_t> station = heard();
    ASSERT_EQ(station.size(), kMeasured);
    EXPECT_GT(Peak(station), 3000);
    const double tone = radio.card->sound().toneHz;
    ASSERT_GT(tone, 0.0);
    EXPECT_NEAR(ToneFrequency(station, kTapRate), tone, 3.0);

    select(1);
    ASSERT_TRUE(radio.card->sound().silent);
    EXPECT_EQ(Peak(heard()), 0);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(RadioCardSoundTest, RetuningIsSilentBetweenMuteAndUnmute) {
    show();
    ASSERT_GT(Peak(heard()), 3000);
    std::vector<int> peaks;
    // At each preset of the retune, before the unmute has taken effect: what plays then.
    presets.onPreset = [&](const std::string&) { peaks.push_back(Peak(heard())); };
    select(1);
    select(0);
    presets.onPreset = nullptr;
    EXPECT_EQ(presets.applied, (std::vector<std::string>{"Radio_Mute", "Radio_Unmute", "Radio_Mute",
                                                         "Radio_Unmute", "Radio_Mute", "Radio_Unmute"}));
    // The mute preset and the unmute preset of both retunes met silence, even with empty presets.
    EXPECT_EQ(peaks, (std::vector<int>{0, 0, 0, 0}));
    EXPECT_GT(Peak(heard()), 3000);
}

TEST_F(RadioCardSoundTest, LeavingThePageStopsTheSoundButNotTheTuner) {
    show();
    ASSERT_GT(Peak(heard()), 3000);
    leave();
    EXPECT_FALSE(page->cardSound().playing());
    ASSERT_EQ(tap.sinks().size(), 1u);
    EXPECT_EQ(GST_STATE(tap.sinks().front()), GST_STATE_NULL);
    EXPECT_EQ(radio.card->frequency(), radio.card->definition().radio.at(0).frequency);
    // Shown again, it plays again.
    show();
    EXPECT_GT(Peak(heard()), 3000);
}

TEST_F(RadioCardSoundTest, UntickedPlayCardSoundPlaysNothing) {
    page->cardSoundBox()->setChecked(false);
    show();
    EXPECT_FALSE(page->cardSound().playing());
    EXPECT_TRUE(tap.sinks().empty());
    page->cardSoundBox()->click();
    EXPECT_TRUE(page->cardSound().playing());
    // The station was tuned and unmuted before: ticking the box lets it be heard at once.
    EXPECT_GT(Peak(heard()), 3000);
    page->cardSoundBox()->click();
    EXPECT_FALSE(page->cardSound().playing());
}

TEST(TunerSoundDevice, TheVirtualTunersSoundIsTheCardsAudioDevice) {
    RadioCard radio;
    const RefPtr<IMoniker> sound = TunerSoundDevice(radio.tuner.get(), radio.devices.get());
    ASSERT_TRUE(sound);
    std::string name;
    sound->GetDisplayName(nullptr, nullptr, &name);
    EXPECT_EQ(name, "virtual:audio");
    // A crossbar names no sound of its own.
    EXPECT_FALSE(TunerSoundDevice(radio.crossbar.get(), radio.devices.get()));
}

} // namespace
