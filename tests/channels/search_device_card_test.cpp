// SPDX-License-Identifier: GPL-2.0-or-later
// The search through its two device adapters on the virtual TV card: TTunerTools for the TV list and
// TRadioTools for the radio list find every carrier where the card puts it, with the lock the card reports.
#include "card_search_devices.h"
#include "channel_rows.h"
#include "channels/frequency_search.h"
#include "platform/win/clock.h"
#include "search_doubles.h"

#include <gtest/gtest.h>

namespace {

// Every carrier the built-in card has, as both adapters find it whether or not the tuner reports an offset.
const std::vector<Row> kCardTvFinds{
    {49750000, true, "found channel 49.75 MHz"},   {175250000, true, "found channel 175.25 MHz"},
    {183250000, true, "found channel 183.25 MHz"}, {503250000, false, "something found 503.25 MHz"},
    {527250000, true, "found channel 527.25 MHz"}, {743250000, true, "found channel 743.25 MHz"},
};
const std::vector<Row> kCardRadioFinds{
    {88300000, true, "found station 88.30 MHz"},
    {95800000, true, "found station 95.80 MHz"},
    {101100000, true, "found station 101.10 MHz"},
    {104600000, true, "found station 104.60 MHz"},
};

class DeviceSearchTest : public ::testing::Test {
protected:
    void Run(const FrequencySearchParameters& parameters, CardSearchDevice& device) {
        FrequencySearch search(parameters, device.tuner(), clock, progress);
        ASSERT_TRUE(search.run(list));
    }

    VirtualClock clock;
    RecordingProgress progress;
    ChannelList list;
};

TEST_F(DeviceSearchTest, TvSearchThroughTheCaptureDevicesTuner) {
    const auto device = MakeTvCardSearchDevice();
    Run(kTVSearch, *device);
    EXPECT_EQ(Rows(list), kCardTvFinds);
    EXPECT_EQ(progress.frequencies.back(), 800000000);
    EXPECT_TRUE(device->shown().empty());
}

TEST_F(DeviceSearchTest, RadioSearchThroughTheRadioTunerWithOrWithoutItsOtherDevices) {
    for (const bool tunerOnly : {false, true}) {
        list.clear();
        const auto device = MakeRadioCardSearchDevice(tunerOnly);
        Run(kRadioSearch, *device);
        EXPECT_EQ(Rows(list), kCardRadioFinds) << (tunerOnly ? "tuner only" : "all three devices");
        EXPECT_EQ(progress.frequencies.back(), 108000000);
        EXPECT_TRUE(device->shown().empty());
    }
}

// A card that never reports an offset is searched by the signal strength both adapters read from the tuner.
TEST_F(DeviceSearchTest, BothAdaptersFindACardWithoutOffsetByItsSignal) {
    const auto tv = MakeTvCardSearchDevice(CardAfc::None);
    Run(kTVSearch, *tv);
    EXPECT_EQ(Rows(list), kCardTvFinds);
    EXPECT_TRUE(tv->shown().empty());

    list.clear();
    const auto radio = MakeRadioCardSearchDevice(true, CardAfc::None);
    Run(kRadioSearch, *radio);
    EXPECT_EQ(Rows(list), kCardRadioFinds);
    EXPECT_TRUE(radio->shown().empty());
}

TEST_F(DeviceSearchTest, WithoutATunerTheFirstStepEndsTheSweepAndNoMarkIsLost) {
    list.replaceAll({Station("Kept", 100000000)});
    const auto device = MakeAbsentRadioSearchDevice();
    EXPECT_TRUE(FAILED(device->tuner().TuneFrequency(100000000)));
    Run(kRadioSearch, *device);
    EXPECT_EQ(Rows(list), (std::vector<Row>{{100000000, true, "Kept"}}));
    EXPECT_EQ(progress.frequencies.size(), 1u);
}

TEST_F(DeviceSearchTest, ATunerThatRefusesTuningShowsItsBoxesOnceAndEndsTheSweep) {
    for (const bool tv : {true, false}) {
        const auto device = tv ? MakeTvCardSearchDevice(CardAfc::RefusesTuning)
                               : MakeRadioCardSearchDevice(true, CardAfc::RefusesTuning);
        list.replaceAll({Station("Kept", 100000000)});
        progress = RecordingProgress{};
        FrequencySearch search(tv ? kTVSearch : kRadioSearch, device->tuner(), clock, progress);
        const std::optional<SearchResult> result = search.run(list);
        ASSERT_TRUE(result);
        EXPECT_TRUE(result->cancelled);
        EXPECT_TRUE(FAILED(result->error));
        // One tuning's two refusals, as channel tuning shows them, and no further step.
        EXPECT_EQ(device->shown(),
                  (std::vector<std::string>{"KSPROPERTY_TUNER_MODE\nUnspecified error.",
                                            "KSPROPERTY_TUNER_FREQUENCY\nUnspecified error."}))
            << (tv ? "tv" : "radio");
        EXPECT_EQ(progress.frequencies.size(), 1u);
        EXPECT_EQ(Rows(list), (std::vector<Row>{{100000000, true, "Kept"}}));
    }
}

} // namespace
