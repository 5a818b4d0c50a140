// SPDX-License-Identifier: GPL-2.0-or-later
// The Radio page plays the tuner's own sound: the virtual card's tone for the station tuned, caught at the
// card-sound renderer's output and measured there; silence off a carrier and between the presets of a
// retune; nothing once the page is left or "Play card sound" is unticked.
#include "radio_page_on_card.h"

#include "radio/radio_card_sound.h"
#include "sound_tap.h"
#include "stderr_capture.h"
#include "tv/card_sound_engine.h"
#include "tv/tuner_platform.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// A 40 ms buffer of the card is 1920 samples; a tenth of a second holds enough crossings of every tone.
constexpr std::size_t kMeasured = 4800;
// Samples that may still be on their way behind the mute when it takes effect: the renderer's queue.
constexpr std::size_t kInFlight = 9600;

struct RadioCardSoundTest : ::testing::Test, RadioPageOnCard {
    void SetUp() override { makePage(); }
    void TearDown() override { page.reset(); }

    // What is heard now, past whatever was already on its way.
    std::vector<std::int16_t> heard() { return tap.next(tap.count() + kInFlight, kMeasured); }

    SoundTap tap;
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

// The card's sound device fails while it plays, as an unplugged ALSA device does (a read error, then its
// stopped task's own error): the sound stops with one line on standard error, and the stream's mute the
// presets hold stays valid until the page stops it. Only posted events are delivered, no timer fires: the
// graph itself tells the sound of its failure.
TEST(RadioCardSoundDevice, AFailingDeviceStopsTheSoundWithOneLine) {
    RadioCard radio([](CardDefinition& definition) { definition.faults.failSoundAfterMs = 300; });
    SoundTap tap;
    const std::unique_ptr<TunerPlatform> platform = MakeEngineTunerPlatform();
    RadioCardSound sound({*platform, &CreateEngineCardSound});
    StderrCapture errors;
    const RefPtr<IMoniker> device = TunerSoundDevice(radio.tuner.get(), radio.devices.get());
    ASSERT_TRUE(sound.Play(device.get()));
    const auto deliverPostedFor = [](qint64 ms, const std::function<bool()>& until) {
        QElapsedTimer waited;
        waited.start();
        while (!until() && waited.elapsed() < ms) {
            QThread::msleep(20);
            QCoreApplication::sendPostedEvents();
        }
    };
    deliverPostedFor(20000, [&] { return !sound.playing(); });
    EXPECT_FALSE(sound.playing());
    // The later errors of the same failure come too, and say nothing more.
    deliverPostedFor(500, [] { return false; });
    const QByteArray line = QByteArrayLiteral("the radio's sound stopped");
    EXPECT_EQ(errors.text().count(line), 1) << errors.text().toStdString();
    ASSERT_NE(sound.sound(), nullptr);
    EXPECT_EQ(sound.sound()->SetMuted(false), S_OK);
    // Played again, the device is tried anew.
    EXPECT_TRUE(sound.Play(device.get()));
    EXPECT_TRUE(sound.playing());
    sound.Stop();
    EXPECT_EQ(sound.sound(), nullptr);
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
