// SPDX-License-Identifier: GPL-2.0-or-later
// The search against the virtual card's own tuner model, so the sweep and the card agree on the sign of the
// offset and on where a carrier is found.
#include "channel_rows.h"
#include "channels/frequency_search.h"
#include "model_search_tuner.h"
#include "platform/win/clock.h"
#include "search_doubles.h"

#include <gtest/gtest.h>

namespace {

class CardSearchTest : public ::testing::Test {
protected:
    SearchResult Run(const FrequencySearchParameters& parameters, TunerMode mode) {
        ModelSearchTuner tuner(card, mode);
        FrequencySearch search(parameters, tuner, clock, progress);
        return search.run(list).value_or(SearchResult{});
    }

    CardDefinition card = BuiltInCardDefinition();
    VirtualClock clock;
    RecordingProgress progress;
    ChannelList list;
};

TEST_F(CardSearchTest, TvSweepFindsEveryCarrierOfTheBuiltInCard) {
    ChannelEntry two = ChannelEntry::MakeTV(176500000, 16);
    two.name = "Two";
    ChannelEntry lost = ChannelEntry::MakeTV(300000000, 16);
    lost.name = "Lost";
    list.replaceAll({two, lost});
    const SearchResult result = Run(kTVSearch, TunerMode::Tv);
    EXPECT_EQ(Rows(list), (std::vector<Row>{
                              {175250000, true, "Two"},
                              {300000000, false, "Lost"},
                              {49750000, true, "found channel 49.75 MHz"},
                              {183250000, true, "found channel 183.25 MHz"},
                              {503250000, false, "something found 503.25 MHz"},
                              {527250000, true, "found channel 527.25 MHz"},
                              {743250000, true, "found channel 743.25 MHz"},
                          }));
    EXPECT_EQ(result.counts, (SearchCounts{.updated = 1, .added = 5, .incorrect = 1}));
    // The first six finds took a jump each; the rest of the band was stepped through.
    EXPECT_EQ(clock.sleeps().size(), 15201u - 6u * 40u);
}

TEST_F(CardSearchTest, RadioSweepFindsEveryStationOfTheBuiltInCard) {
    const SearchResult result = Run(kRadioSearch, TunerMode::Fm);
    EXPECT_EQ(Rows(list), (std::vector<Row>{
                              {88300000, true, "found station 88.30 MHz"},
                              {95800000, true, "found station 95.80 MHz"},
                              {101100000, true, "found station 101.10 MHz"},
                              {104600000, true, "found station 104.60 MHz"},
                          }));
    EXPECT_EQ(result.counts, (SearchCounts{.updated = 0, .added = 4, .incorrect = 0}));
    EXPECT_EQ(progress.frequencies.back(), 108000000);
}

TEST_F(CardSearchTest, CardWithoutAfcIsSearchedByItsSignal) {
    card.afc = false;
    ChannelEntry two = ChannelEntry::MakeTV(176500000, 16);
    two.name = "Two";
    list.replaceAll({two});
    const SearchResult tv = Run(kTVSearch, TunerMode::Tv);
    // Every carrier at its own frequency, the unlocked one unchecked, as a card with afc finds them.
    EXPECT_EQ(Rows(list), (std::vector<Row>{
                              {175250000, true, "Two"},
                              {49750000, true, "found channel 49.75 MHz"},
                              {183250000, true, "found channel 183.25 MHz"},
                              {503250000, false, "something found 503.25 MHz"},
                              {527250000, true, "found channel 527.25 MHz"},
                              {743250000, true, "found channel 743.25 MHz"},
                          }));
    EXPECT_EQ(tv.counts, (SearchCounts{.updated = 1, .added = 5, .incorrect = 0}));
    // Each find is tuned once more, to ask its lock in the carrier's middle.
    EXPECT_EQ(clock.sleeps().size(), 15201u + 6u);

    list.replaceAll({});
    Run(kRadioSearch, TunerMode::Fm);
    EXPECT_EQ(Rows(list), (std::vector<Row>{
                              {88300000, true, "found station 88.30 MHz"},
                              {95800000, true, "found station 95.80 MHz"},
                              {101100000, true, "found station 101.10 MHz"},
                              {104600000, true, "found station 104.60 MHz"},
                          }));
}

TEST_F(CardSearchTest, CarrierHeardUpToTheEndOfTheBandEndsThere) {
    card.afc = false;
    card.radio = {{107950000, "Top"}};
    Run(kRadioSearch, TunerMode::Fm);
    // Heard from 107.80 to 108.00, the band's last step: the middle is 107.90.
    EXPECT_EQ(Rows(list), (std::vector<Row>{{107900000, true, "found station 107.90 MHz"}}));
}

TEST_F(CardSearchTest, CarriersJustBelowTheBandAreFoundAtTheFirstStep) {
    card.tv = {{39600000, "Below", true, CarrierAudio::Mono}};
    card.radio = {{87900000, "Below"}};
    Run(kTVSearch, TunerMode::Tv);
    Run(kRadioSearch, TunerMode::Fm);
    // The radio sweep saw the TV find as a far-off entry and left it unchecked.
    EXPECT_EQ(Rows(list), (std::vector<Row>{
                              {39950000, false, "found channel 39.95 MHz"},
                              {87950000, true, "found station 87.95 MHz"},
                          }));
}

} // namespace
