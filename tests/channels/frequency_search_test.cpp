// SPDX-License-Identifier: GPL-2.0-or-later
#include "channel_rows.h"
#include "channels/frequency_search.h"
#include "platform/win/clock.h"
#include "search_doubles.h"

#include <QLocale>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

class SearchTest : public ::testing::Test {
protected:
    SearchResult Run(const FrequencySearchParameters& parameters) {
        FrequencySearch search(parameters, tuner, clock, progress);
        const std::optional<SearchResult> result = search.run(list);
        EXPECT_TRUE(result.has_value());
        return result.value_or(SearchResult{});
    }

    ScriptedTuner tuner;
    VirtualClock clock;
    RecordingProgress progress;
    ChannelList list;
};

TEST_F(SearchTest, QuietBandsAreSweptStepByStepUpToTheLastFrequencyIncluded) {
    const SearchResult radio = Run(kRadioSearch);
    ASSERT_EQ(tuner.tuned.size(), 401u);
    EXPECT_EQ(tuner.tuned.front(), MHz(88));
    EXPECT_EQ(tuner.tuned[1], MHz(88.05));
    EXPECT_EQ(tuner.tuned.back(), MHz(108));
    EXPECT_EQ(progress.frequencies, tuner.tuned);
    // The settling wait is taken between every tune and its reading, on the clock alone.
    EXPECT_EQ(clock.sleeps(), std::vector<std::uint32_t>(401, 100));
    EXPECT_EQ(tuner.reads, 401);
    EXPECT_EQ(radio.counts, SearchCounts{});
    EXPECT_FALSE(radio.cancelled);
    EXPECT_TRUE(list.isEmpty());

    tuner.tuned.clear();
    clock.clearSleeps();
    Run(kTVSearch);
    ASSERT_EQ(tuner.tuned.size(), 15201u);
    EXPECT_EQ(tuner.tuned.front(), MHz(40));
    EXPECT_EQ(tuner.tuned.back(), MHz(800));
    EXPECT_EQ(clock.sleeps(), std::vector<std::uint32_t>(15201, 50));
}

TEST_F(SearchTest, NegativeOffsetAtTheFirstFrequencyIsACarrierJustBelowTheBand) {
    tuner.offsets[MHz(88)] = -5;
    Run(kRadioSearch);
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.at(0).freq, MHz(87.95));
    EXPECT_EQ(list.at(0).name, "found station 87.95 MHz");
    EXPECT_TRUE(list.at(0).enabled);
    // After the find the sweep jumps 300 kHz and steps on.
    EXPECT_EQ(tuner.tuned[1], MHz(88.35));

    list.clear();
    tuner = ScriptedTuner{};
    tuner.offsets[MHz(40)] = -1;
    Run(kTVSearch);
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.at(0).freq, MHz(39.95));
    EXPECT_EQ(list.at(0).name, "found channel 39.95 MHz");
    EXPECT_EQ(tuner.tuned[1], MHz(42.05));
}

TEST_F(SearchTest, OnlyACrossingFromZeroOrPositiveToNegativeIsAFind) {
    // Positive, zero, then two negative readings: one find, at the step before the first negative one.
    tuner.offsets[MHz(90)] = 40000;
    tuner.offsets[MHz(90.1)] = -10000;
    tuner.offsets[MHz(90.45)] = -10000;
    tuner.offsets[MHz(95)] = 1;
    tuner.offsets[MHz(95.05)] = 0;
    Run(kRadioSearch);
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.at(0).freq, MHz(90.05));
}

TEST_F(SearchTest, RadioStationsWithin200kHzSnapAndOthersStay) {
    list.replaceAll(
        {Station("Near", MHz(100.15), false), Station("Far", MHz(100.25)), Station("Gone", MHz(90))});
    list.select(1);
    tuner.carrier(MHz(100));
    tuner.carrier(MHz(104.6));
    const SearchResult result = Run(kRadioSearch);

    // The first station within the window is snapped, even before a nearer one, and checked.
    ASSERT_EQ(list.count(), 4);
    EXPECT_EQ(list.at(0).freq, MHz(100));
    EXPECT_TRUE(list.at(0).enabled);
    EXPECT_EQ(list.at(0).name, "Near");
    // 250 kHz from the carrier it is not the same station; no find came near the others.
    EXPECT_EQ(list.at(1).freq, MHz(100.25));
    EXPECT_FALSE(list.at(1).enabled);
    EXPECT_FALSE(list.at(2).enabled);
    EXPECT_EQ(list.at(3).name, "found station 104.60 MHz");
    EXPECT_EQ(list.at(3).freq, MHz(104.6));
    EXPECT_TRUE(list.at(3).enabled);
    EXPECT_EQ(result.counts, (SearchCounts{.updated = 1, .added = 1, .incorrect = 2}));
    EXPECT_FALSE(result.cancelled);
    // The selection is the caller's business.
    EXPECT_EQ(list.selectedIndex(), 1);
    // Radio never asks for a picture lock.
    EXPECT_TRUE(tuner.lockAsked.empty());

    // What was shown: the starting count of unconfirmed entries, then one update per change.
    ASSERT_EQ(progress.counts.size(), 3u);
    EXPECT_EQ(progress.counts.front(), (SearchCounts{.updated = 0, .added = 0, .incorrect = 3}));
    EXPECT_EQ(progress.counts.back(), result.counts);
    ASSERT_EQ(progress.finds.size(), 2u);
    EXPECT_EQ(progress.finds[0].index, 0);
    EXPECT_FALSE(progress.finds[0].added);
    EXPECT_EQ(progress.finds[1].index, 3);
    EXPECT_TRUE(progress.finds[1].added);
    EXPECT_EQ(progress.finds[1].name, "found station 104.60 MHz");

    // 250 kHz the other way adds as well: the window is strict on both sides.
    list.replaceAll({Station("Low", MHz(99.8))});
    tuner.offsets.clear();
    tuner.carrier(MHz(100.05));
    Run(kRadioSearch);
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.at(0).freq, MHz(99.8));
}

TEST_F(SearchTest, TvCarriersWithoutLockAreKeptUnchecked) {
    ChannelEntry known = ChannelEntry::MakeTV(MHz(176.5), 1);
    known.name = "Known";
    known.brightness = 1234;
    list.replaceAll({known});
    tuner.carrier(MHz(175.25), false);
    tuner.carrier(MHz(503.25), false);
    tuner.carrier(MHz(743.25));
    const SearchResult result = Run(kTVSearch);

    ASSERT_EQ(list.count(), 3);
    // Snapped without lock: moved, still unchecked, and still counted as incorrect; its settings stay.
    EXPECT_EQ(list.at(0).freq, MHz(175.25));
    EXPECT_FALSE(list.at(0).enabled);
    EXPECT_EQ(list.at(0).palSecam, 1);
    EXPECT_EQ(list.at(0).brightness, 1234);
    EXPECT_EQ(list.at(1).name, "something found 503.25 MHz");
    EXPECT_FALSE(list.at(1).enabled);
    EXPECT_EQ(list.at(2).name, "found channel 743.25 MHz");
    EXPECT_TRUE(list.at(2).enabled);
    // New TV entries start as the Add button's do.
    EXPECT_EQ(list.at(2), [] {
        ChannelEntry fresh = ChannelEntry::MakeTV(MHz(743.25), 16);
        fresh.name = "found channel 743.25 MHz";
        fresh.enabled = true;
        return fresh;
    }());
    EXPECT_EQ(result.counts, (SearchCounts{.updated = 1, .added = 2, .incorrect = 1}));
    // The lock is read at the step that found the carrier, not later.
    EXPECT_EQ(tuner.lockAsked, (std::vector<std::int32_t>{MHz(175.3), MHz(503.3), MHz(743.3)}));
}

TEST_F(SearchTest, FindsSkipTheJumpAndNeverMatchAnEntryTwice) {
    // With the TV's 2 MHz jump, a crossing within it is never read.
    list.replaceAll({Station("A", MHz(100.5))});
    tuner.carrier(MHz(100));
    tuner.carrier(MHz(101));
    Run(kTVSearch);
    EXPECT_EQ(std::count(tuner.tuned.begin(), tuner.tuned.end(), MHz(101.05)), 0);
    const auto next = std::find(tuner.tuned.begin(), tuner.tuned.end(), MHz(100.05)) + 1;
    EXPECT_EQ(*next, MHz(102.1));
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.at(0).freq, MHz(100));

    // Parameters whose jump is smaller than the window still never move one entry twice: the second find
    // goes to the next entry in range, then becomes a new one.
    FrequencySearchParameters close = kRadioSearch;
    close.jump = 0;
    close.matchWindow = 1000000;
    list.replaceAll({Station("A", MHz(95)), Station("B", MHz(95.5))});
    tuner = ScriptedTuner{};
    tuner.carrier(MHz(95.1));
    tuner.carrier(MHz(95.2));
    tuner.carrier(MHz(95.3));
    const SearchResult result = Run(close);
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.at(0).freq, MHz(95.1));
    EXPECT_EQ(list.at(1).freq, MHz(95.2));
    EXPECT_EQ(list.at(2).freq, MHz(95.3));
    EXPECT_EQ(result.counts, (SearchCounts{.updated = 2, .added = 1, .incorrect = 0}));
}

TEST_F(SearchTest, CancelEndsAfterTheCurrentStepAndLeavesTheEntriesNotReached) {
    list.replaceAll({Station("A", MHz(88.3)), Station("B", MHz(101)), Station("Passed", MHz(88.2)),
                     Station("At", MHz(88.75)), Station("Edge", MHz(88.8)), Station("Below", MHz(80)),
                     Station("Off", MHz(90), false)});
    tuner.carrier(MHz(88.3));
    tuner.carrier(MHz(104.6));
    // Call 1 is before the sweep; call 11 follows the tenth step. The find at the eighth step (88.35 MHz)
    // jumps 300 kHz, so the tenth and last frequency tried is 88.75 MHz.
    progress.stopAtCall = 11;
    const SearchResult result = Run(kRadioSearch);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.error, S_OK);
    EXPECT_EQ(tuner.tuned.size(), 10u);
    EXPECT_EQ(tuner.tuned.back(), MHz(88.75));
    EXPECT_EQ(clock.sleeps().size(), 10u);
    EXPECT_EQ(progress.pendingCalls, 11);
    EXPECT_EQ(Rows(list), (std::vector<Row>{{MHz(88.3), true, "A"},
                                            {MHz(101), true, "B"},
                                            {MHz(88.2), false, "Passed"},
                                            {MHz(88.75), false, "At"},
                                            {MHz(88.8), true, "Edge"},
                                            {MHz(80), false, "Below"},
                                            {MHz(90), false, "Off"}}))
        << "only what the sweep tried follows its rules; above 88.75 MHz the check marks are as they were";
    EXPECT_EQ(result.counts, (SearchCounts{.updated = 1, .added = 0, .incorrect = 6}));

    // Run to the end, the same list loses every mark no find confirmed, beyond the band too.
    list.append(Station("Beyond", MHz(120)));
    progress = RecordingProgress{};
    Run(kRadioSearch);
    EXPECT_EQ(Rows(list), (std::vector<Row>{{MHz(88.3), true, "A"},
                                            {MHz(101), false, "B"},
                                            {MHz(88.2), false, "Passed"},
                                            {MHz(88.75), false, "At"},
                                            {MHz(88.8), false, "Edge"},
                                            {MHz(80), false, "Below"},
                                            {MHz(90), false, "Off"},
                                            {MHz(120), false, "Beyond"},
                                            {MHz(104.6), true, "found station 104.60 MHz"}}));

    // A cancel already pending when the sweep starts still lets the first step run, and only that.
    tuner = ScriptedTuner{};
    progress = RecordingProgress{};
    progress.stopAtCall = 1;
    list.replaceAll({Station("High", MHz(400))});
    EXPECT_TRUE(Run(kTVSearch).cancelled);
    EXPECT_EQ(tuner.tuned, (std::vector<std::int32_t>{MHz(40)}));
    EXPECT_TRUE(list.at(0).enabled);
}

TEST_F(SearchTest, ATunerFailureEndsTheSweepAsACancelAtTheStepBefore) {
    list.replaceAll({Station("Low", MHz(89)), Station("At", MHz(90)), Station("High", MHz(100))});
    tuner.carrier(MHz(88.5));
    tuner.failTune.insert(MHz(90));
    SearchResult result = Run(kRadioSearch);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.error, E_FAIL);
    EXPECT_EQ(tuner.tuned.back(), MHz(90)) << "the sweep goes no further than the refused step";
    EXPECT_EQ(tuner.reads, static_cast<int>(tuner.tuned.size()) - 1) << "a refused tuning is not read";
    // The refused frequency counts as not tried: its entry keeps its mark as the ones above do.
    EXPECT_EQ(Rows(list), (std::vector<Row>{{MHz(89), false, "Low"},
                                            {MHz(90), true, "At"},
                                            {MHz(100), true, "High"},
                                            {MHz(88.5), true, "found station 88.50 MHz"}}));

    // A refused reading ends it the same way.
    tuner = ScriptedTuner{};
    progress = RecordingProgress{};
    tuner.failRead.insert(MHz(95.05));
    result = Run(kRadioSearch);
    EXPECT_EQ(result.error, E_FAIL);
    EXPECT_EQ(tuner.tuned.back(), MHz(95.05));
    EXPECT_EQ(progress.frequencies.back(), MHz(95.05));
}

TEST_F(SearchTest, ASecondRunWhileOneIsGoingOnIsRefused) {
    FrequencySearch search(kRadioSearch, tuner, clock, progress);
    std::optional<SearchResult> inner = SearchResult{};
    progress.onPending = [&] {
        if (progress.pendingCalls == 3) {
            EXPECT_TRUE(search.running());
            inner = search.run(list);
        }
    };
    ASSERT_TRUE(search.run(list).has_value());
    EXPECT_FALSE(inner.has_value());
    EXPECT_EQ(tuner.tuned.size(), 401u);
    EXPECT_FALSE(search.running());
    // Once finished it runs again.
    EXPECT_TRUE(search.run(list).has_value());
}

class SignalSearchTest : public ::testing::Test {
protected:
    SearchResult Run() {
        FrequencySearch search(kTVSearch, tuner, clock, progress);
        return search.run(list).value_or(SearchResult{});
    }
    // Strength percent from..to (inclusive) on the 50 kHz grid.
    void strong(double fromMHz, double toMHz, std::int32_t percent = 100) {
        for (std::int32_t hz = MHz(fromMHz); hz <= MHz(toMHz); hz += 50000) {
            tuner.strengths[hz] = percent;
        }
    }

    ScriptedSignalTuner tuner;
    VirtualClock clock;
    RecordingProgress progress;
    ChannelList list;
};

TEST_F(SignalSearchTest, ARiseAcrossHalfTheRangeAndItsFallAreOneCarrierInTheMiddle) {
    strong(100.0, 100.0, 49); // below half: nothing
    strong(100.05, 100.25, 50);
    strong(100.30, 100.30, 10);
    strong(200.0, 200.40);
    tuner.unlocked.insert(MHz(200.20));
    const SearchResult result = Run();
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.at(0).freq, MHz(100.15));
    EXPECT_TRUE(list.at(0).enabled);
    EXPECT_EQ(list.at(1).freq, MHz(200.20));
    EXPECT_EQ(list.at(1).name, "something found 200.20 MHz");
    EXPECT_EQ(result.counts.added, 2);
    // The find is tuned again after the fall, and its lock asked there.
    const auto fall = std::find(tuner.tuned.begin(), tuner.tuned.end(), MHz(100.30));
    ASSERT_NE(fall, tuner.tuned.end());
    EXPECT_EQ(*(fall + 1), MHz(100.15));
    EXPECT_EQ(tuner.lockAsked, (std::vector<std::int32_t>{MHz(100.15), MHz(200.20)}));
    // No jump: the sweep goes on from the fall.
    EXPECT_EQ(*(fall + 2), MHz(100.35));
}

TEST_F(SignalSearchTest, TheFirstOffsetEndsTheSearchBySignal) {
    strong(60.0, 60.2);
    tuner.offsets[MHz(61.0)] = 3000; // the tuner does report afc after all
    strong(61.0, 61.5);              // a rise cut off by that offset is no carrier
    strong(100.0, 100.2);
    Run();
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.at(0).freq, MHz(60.1));
    // The signal is not even asked once the offset came.
    EXPECT_EQ(tuner.signalAsked.back(), MHz(60.95));
}

TEST(SearchEntryNameTest, UsesAPointAndTwoDecimalsWhateverTheLocale) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German));
    EXPECT_EQ(SearchEntryName(kTVSearch.nameWithoutSignal, 503250000), "something found 503.25 MHz");
    EXPECT_EQ(SearchEntryName(kRadioSearch.nameWithSignal, 87950000), "found station 87.95 MHz");
    QLocale::setDefault(before);
}

} // namespace
