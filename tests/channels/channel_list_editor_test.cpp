// SPDX-License-Identifier: GPL-2.0-or-later
#include "channels/channel_list_editor.h"
#include "recording_channel_view.h"

#include <gtest/gtest.h>

namespace {

using Events = std::vector<std::string>;

class EditorTest : public ::testing::Test {
protected:
    ChannelEntry Entry(const char* name, std::int32_t freq, bool enabled = true) {
        ChannelEntry entry = ChannelEntry::MakeTV(freq, kDefaultChannelStandard);
        entry.name = QString::fromUtf8(name);
        entry.enabled = enabled;
        return entry;
    }
    void Fill(ChannelListEditor& editor, std::vector<ChannelEntry> entries, int selected) {
        editor.list().replaceAll(std::move(entries));
        editor.list().select(selected);
    }
    std::vector<QString> Names(const ChannelListEditor& editor) const {
        std::vector<QString> names;
        for (const ChannelEntry& entry : editor.list().entries()) {
            names.push_back(entry.name);
        }
        return names;
    }

    EventLog log;
    RecordingChannelView view{log};
    RecordingTuner tuner{log};
    RecordingPresets presets{log};
    LoggingClock clock{log};
    TVChannelList tv{view, &presets, clock, QLocale::c()};
    RadioStationList radio{view, &presets, clock, QLocale::c()};
};

TEST_F(EditorTest, TypedFrequenciesAreClampedIntoEachBand) {
    Fill(tv, {Entry("A", 100000000)}, 0);
    view.freqText = "1000";
    tv.TVChanFreqEditKeyDown(kEnterKey);
    EXPECT_EQ(view.freqText, "800.00");
    EXPECT_EQ(tv.list().at(0).freq, 800000000);

    // Above the 32-bit range of hertz the text still ends at the top of the band.
    view.freqText = "4294.967396";
    tv.TVChanFreqEditExit();
    EXPECT_EQ(view.freqText, "800.00");

    Fill(radio, {Entry("R", 100000000)}, 0);
    view.freqText = "50";
    radio.RadioFreqEditExit();
    EXPECT_EQ(view.freqText, "88.00");
    EXPECT_EQ(radio.list().at(0).freq, 88000000);

    // Other keys do nothing; letters give back the entry's frequency.
    view.freqText = "95.5";
    radio.RadioFreqEditKeyDown('A');
    EXPECT_EQ(radio.list().at(0).freq, 88000000);
    view.freqText = "abc";
    radio.RadioFreqEditExit();
    EXPECT_EQ(view.freqText, "88.00");
    EXPECT_EQ(radio.list().at(0).freq, 88000000);
}

TEST_F(EditorTest, FrequencyEditsWithoutSelectionChangeNothing) {
    Fill(tv, {Entry("A", 100000000)}, -1);
    view.freqText = "200";
    tv.TVChanFreqEditExit();
    tv.TVChanFreqUpDownChangingEx(StepDirection::Up);
    EXPECT_EQ(tv.list().at(0).freq, 100000000);
    EXPECT_EQ(view.freqText, "200");
}

TEST_F(EditorTest, FrequencyStepperUsesEachListsStepAndNeverOverflows) {
    Fill(tv, {Entry("A", 100000000)}, 0);
    tv.TVChanFreqUpDownChangingEx(StepDirection::Up);
    EXPECT_EQ(tv.list().at(0).freq, 100100000);
    tv.TVChanFreqUpDownChangingEx(StepDirection::None);
    EXPECT_EQ(tv.list().at(0).freq, 100100000);

    Fill(radio, {Entry("R", 100000000)}, 0);
    radio.RadioFreqUpDownChangingEx(StepDirection::Down);
    EXPECT_EQ(radio.list().at(0).freq, 99950000);
    EXPECT_EQ(view.freqText, "99.95");

    // A damaged stored frequency at the 32-bit limit steps without wrapping and clamps to the band.
    radio.list().at(0).freq = std::numeric_limits<std::int32_t>::max();
    radio.RadioFreqUpDownChangingEx(StepDirection::Up);
    EXPECT_EQ(radio.list().at(0).freq, 108000000);
}

TEST_F(EditorTest, StepperPassesOverUncheckedEntriesAndWraps) {
    Fill(tv, {Entry("A", 1), Entry("B", 2, false), Entry("C", 3)}, 1);
    tv.TVChanUpDownChangingEx(StepDirection::Up);
    EXPECT_EQ(tv.list().selectedIndex(), 2);
    EXPECT_EQ(view.shownSelection, 2);
    EXPECT_EQ(view.description, "C");
    tv.TVChanUpDownChangingEx(StepDirection::Down);
    EXPECT_EQ(tv.list().selectedIndex(), 0);
    tv.TVChanUpDownChangingEx(StepDirection::Down); // wraps from the first to the last checked
    EXPECT_EQ(tv.list().selectedIndex(), 2);
    tv.TVChanUpDownChangingEx(StepDirection::Up);
    EXPECT_EQ(tv.list().selectedIndex(), 0);
    tv.TVChanUpDownChangingEx(StepDirection::None);
    EXPECT_EQ(tv.list().selectedIndex(), 0);
}

TEST_F(EditorTest, StepperWithoutCheckedEntriesReselectsAndRetunes) {
    view.visible = true;
    tv.setTuner(&tuner);
    Fill(tv, {Entry("A", 50000000, false), Entry("B", 60000000, false)}, 1);
    tv.TVChanUpDownChangingEx(StepDirection::Up);
    EXPECT_EQ(tv.list().selectedIndex(), 1);
    EXPECT_NE(std::find(log.events.begin(), log.events.end(), "tune 60000000"), log.events.end());

    tv.list().select(-1);
    tv.TVChanUpDownChangingEx(StepDirection::Down);
    EXPECT_EQ(tv.list().selectedIndex(), 0);

    Fill(radio, {}, -1);
    radio.RadioUpDownChangingEx(StepDirection::Up);
    EXPECT_EQ(radio.list().selectedIndex(), -1);
}

TEST_F(EditorTest, SelectingOnTheVisiblePageTunesBetweenTheMutePresets) {
    tv.setTuner(&tuner);
    ChannelEntry entry = Entry("Alpha", 900000000);
    entry.palSecam = 0x1000;
    entry.brightness = 7000;
    Fill(tv, {entry}, 0);

    tv.TVChanCheckListBoxClick(); // page hidden: shown, not tuned
    EXPECT_EQ(view.nameShow, "Alpha");
    EXPECT_EQ(view.description, "Alpha");
    EXPECT_EQ(view.standard, 0x1000);
    EXPECT_EQ(log.events, Events{"picture 7000"});

    log.events.clear();
    view.visible = true;
    tv.TVChanCheckListBoxClick();
    EXPECT_EQ(log.events, (Events{"picture 7000", "TV_Mute", "sleep 200", "tune 800000000", "sleep 100",
                                  "standard 4096", "TV_Unmute"}));
    EXPECT_EQ(view.tunning, "Fine tunning: -3");
    EXPECT_EQ(tv.list().at(0).freq, 800000000); // the clamp stays in the entry
    tuner.offset_ = 5;
    tv.TVChanCheckListBoxClick();
    EXPECT_EQ(view.tunning, "Fine tunning: +5");
}

TEST_F(EditorTest, RadioSelectionUsesRadioPresetsAndNoStandard) {
    view.visible = true;
    radio.setTuner(&tuner);
    Fill(radio, {Entry("FM", 95000000)}, 0);
    radio.RadioCheckListBoxClick();
    EXPECT_EQ(log.events, (Events{"Radio_Mute", "sleep 200", "tune 95000000", "sleep 100", "Radio_Unmute"}));
}

TEST_F(EditorTest, WithoutTunerOrMixerOnlyTheDisplayChanges) {
    TVChannelList bare{view, nullptr, clock, QLocale::c()};
    view.visible = true;
    Fill(bare, {Entry("A", 10)}, 0);
    bare.TVChanCheckListBoxClick();
    EXPECT_EQ(view.freqText, "40.00");
    EXPECT_EQ(log.events, (Events{"picture 5000", "sleep 200"}));
}

TEST_F(EditorTest, UnknownStoredStandardBecomesPalDOnTheNextTune) {
    view.visible = true;
    ChannelEntry entry = Entry("A", 100000000);
    entry.palSecam = 64; // PAL_G has no row
    Fill(tv, {entry}, 0);
    tv.TVChanCheckListBoxClick();
    EXPECT_FALSE(view.standard);
    EXPECT_EQ(tv.list().at(0).palSecam, kStandardWhenNoneSelected);
}

TEST_F(EditorTest, DescriptionEditRenamesTheSelectedEntry) {
    Fill(radio, {Entry("Old", 95000000)}, -1);
    radio.RadioNameEditChange("ignored");
    EXPECT_EQ(radio.list().at(0).name, "Old");
    radio.list().select(0);
    radio.RadioNameEditChange("New");
    EXPECT_EQ(radio.list().at(0).name, "New");
    EXPECT_EQ(view.nameShow, "New");
    EXPECT_TRUE(radio.list().at(0).enabled);
}

TEST_F(EditorTest, AddAppendsAFreshUncheckedEntryAndSelectsIt) {
    tv.TVAddChanButtonClick();
    ASSERT_EQ(tv.list().count(), 1);
    EXPECT_EQ(tv.list().at(0), [] {
        ChannelEntry e = ChannelEntry::MakeTV(100000000, 16);
        e.name = "new channel";
        return e;
    }());
    EXPECT_EQ(view.description, "new channel");

    ChannelEntry tuned = Entry("A", 500000000);
    tuned.palSecam = 1;
    tuned.hue = 1;
    Fill(tv, {tuned}, 0);
    tv.TVAddChanButtonClick();
    EXPECT_EQ(tv.list().selectedIndex(), 1);
    EXPECT_EQ(tv.list().at(1).freq, 500000000);
    EXPECT_EQ(tv.list().at(1).palSecam, 16);
    EXPECT_EQ(tv.list().at(1).hue, 5000);

    radio.RadioAddButtonClick();
    EXPECT_EQ(radio.list().at(0).name, "new station");
    EXPECT_EQ(radio.list().at(0).freq, 100000000);
}

TEST_F(EditorTest, DeleteSelectsTheNextOrThePreviousEntry) {
    Fill(radio, {Entry("A", 1), Entry("B", 2), Entry("C", 3)}, 1);
    radio.RadioDelButtonClick();
    EXPECT_EQ(Names(radio), (std::vector<QString>{"A", "C"}));
    EXPECT_EQ(radio.list().selectedIndex(), 1);
    EXPECT_EQ(view.description, "C");
    radio.RadioDelButtonClick(); // the last one: its predecessor
    EXPECT_EQ(radio.list().selectedIndex(), 0);
    EXPECT_EQ(view.description, "A");
    radio.RadioDelButtonClick(); // the only one: nothing left
    EXPECT_EQ(radio.list().count(), 0);
    EXPECT_EQ(radio.list().selectedIndex(), -1);
    EXPECT_EQ(view.description, "");
    radio.RadioDelButtonClick();
    EXPECT_EQ(radio.list().count(), 0);
}

TEST_F(EditorTest, UpAndDownMoveWithCheckMarksButDoNotRetune) {
    view.visible = true;
    tv.setTuner(&tuner);
    Fill(tv, {Entry("A", 100000000, true), Entry("B", 200000000, false)}, 0);
    tv.TVChanUpButtonClick();
    EXPECT_EQ(Names(tv), (std::vector<QString>{"A", "B"}));
    tv.TVChanDownButtonClick();
    EXPECT_EQ(Names(tv), (std::vector<QString>{"B", "A"}));
    EXPECT_EQ(tv.list().selectedIndex(), 1);
    EXPECT_TRUE(tv.list().at(1).enabled);
    EXPECT_FALSE(tv.list().at(0).enabled);
    tv.TVChanDownButtonClick();
    EXPECT_EQ(tv.list().selectedIndex(), 1);
    tv.TVChanUpButtonClick();
    EXPECT_EQ(Names(tv), (std::vector<QString>{"A", "B"}));
    EXPECT_EQ(tv.list().selectedIndex(), 0);
    EXPECT_TRUE(log.events.empty());
}

TEST_F(EditorTest, SortsAreStableAndKeepTheSelectedIndex) {
    Fill(
        tv,
        {Entry("c", 300000000), Entry("b1", 100000000, false), Entry("a", 200000000), Entry("B2", 100000000)},
        2);
    tv.TVChanSortFreqButtonClick();
    EXPECT_EQ(Names(tv), (std::vector<QString>{"b1", "B2", "a", "c"}));
    EXPECT_FALSE(tv.list().at(0).enabled);
    EXPECT_EQ(tv.list().selectedIndex(), 2);
    EXPECT_EQ(view.description, "a");

    Fill(radio, {Entry("beta", 1), Entry("Alpha", 2), Entry("ALPHA", 3), Entry("alpha", 4)}, 0);
    radio.RadioSordDescButtonClick();
    EXPECT_EQ(Names(radio), (std::vector<QString>{"Alpha", "ALPHA", "alpha", "beta"}));
    EXPECT_EQ(radio.list().at(0).freq, 2);
    EXPECT_EQ(radio.list().selectedIndex(), 0);
}

TEST(PictureScale, MapsFromTheMinimumAndTruncates) {
    EXPECT_EQ(PicturePositionFromValue(5000, 0, 255), 127);
    EXPECT_EQ(PictureValueFromPosition(127, 0, 255), 4980);
    EXPECT_EQ(PicturePositionFromValue(5000, -128, 127), -1)
        << "the middle value is the middle of a signed range";
    EXPECT_EQ(PictureValueFromPosition(-128, -128, 127), 0) << "stored values stay within 0 … 10000";
    EXPECT_EQ(PictureValueFromPosition(127, -128, 127), 10000);
    EXPECT_EQ(PictureValueFromPosition(-64, -128, 127), 2509);
    EXPECT_EQ(PictureValueFromPosition(3, 7, 7), 0); // a device without a range does not divide by zero
    EXPECT_EQ(PicturePositionFromValue(5000, 7, 7), 7);
}

TEST(PictureScale, SelectingAChannelAgainKeepsItsPicture) {
    // A stored value brings back the position it was stored from, whatever the range.
    for (const auto& [min, max] : {std::pair{0, 255}, std::pair{-128, 127}, std::pair{0, 127},
                                   std::pair{0, 10000}, std::pair{-10, 9000}}) {
        for (std::int32_t position = min; position <= max; ++position) {
            const std::int32_t stored = PictureValueFromPosition(position, min, max);
            ASSERT_EQ(PicturePositionFromValue(stored, min, max), position) << min << ".." << max;
        }
    }
    // A range finer than the scale cannot keep every position, but a stored value stays as it is.
    for (std::int32_t value = 0; value <= 10000; ++value) {
        ASSERT_EQ(PictureValueFromPosition(PicturePositionFromValue(value, 0, 20000), 0, 20000), value);
    }
    EXPECT_EQ(PicturePositionFromValue(4980, 0, 255), 127);
}

} // namespace
