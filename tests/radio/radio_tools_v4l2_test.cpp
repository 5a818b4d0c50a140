// SPDX-License-Identifier: GPL-2.0-or-later
// TRadioTools on V4L2 radios through the ioctl seam: a USB FM radio that counts in 62.5 Hz and reports no
// afc, and the radio node of a PCI analog card, which does. Tuning must reach the radio node only, and a
// station search on the radio without afc must find its stations by their signal.
#include "../channels/search_doubles.h"
#include "../platform/devices/v4l2/fake_v4l2.h"
#include "channel_rows.h"
#include "error_boxes.h"
#include "platform/devices/v4l2/v4l2_provider.h"
#include "platform/media/gst/engine_setup.h"
#include "platform/win/clock.h"
#include "radio/radio_channel_tuner.h"
#include "radio/radio_tools.h"
#include "virtual_card_devices.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

class RadioToolsV4l2 : public ::testing::Test {
protected:
    RadioToolsV4l2() { EnsureGstInitialised(); }

    // The category's device listed at index; with one PCI card and one USB radio the tuners are the PCI
    // radio node (0), the USB radio (1) and the PCI capture node's TV tuner (2).
    RefPtr<IMoniker> Device(const Guid& category, std::size_t index) {
        const RefPtr<ICreateDevEnum> devices = MakeDeviceEnum({MakeV4l2Provider(system)});
        RefPtr<IEnumMoniker> monikers;
        if (devices->CreateClassEnumerator(category, monikers.put(), 0) != S_OK) {
            return {};
        }
        RefPtr<IMoniker> found;
        for (std::size_t skipped = 0; monikers->Next(1, found.put(), nullptr) == S_OK; ++skipped) {
            if (skipped == index) {
                return found;
            }
        }
        return {};
    }

    std::int32_t TunedHertz(TRadioTools& tools) {
        LONG hertz = 0;
        const RefPtr<IAMTVTuner> tuner = query<IAMTVTuner>(tools.device(TRadioTools::Device::Tuner));
        EXPECT_EQ(tuner->get_VideoFrequency(&hertz), S_OK);
        return hertz;
    }

    // The nodes that were asked to change frequency, in order.
    std::vector<std::string> Retuned() const {
        std::vector<std::string> nodes;
        for (const auto& [node, request] : system->calls()) {
            if (request == VIDIOC_S_FREQUENCY) {
                nodes.push_back(node);
            }
        }
        return nodes;
    }

    std::shared_ptr<FakeV4l2> system = std::make_shared<FakeV4l2>();
    RecordingMessageBoxes boxes;
};

TEST_F(RadioToolsV4l2, UsbRadioTunesIn62Point5HertzAndHearsItsStationsWithoutAfc) {
    system->addPciCard();
    const std::string usb = system->addUsbRadio();
    TRadioTools tools(Device(AM_KSCATEGORY_TVTUNER, 1).get(), Device(AM_KSCATEGORY_TVAUDIO, 1).get(), nullptr,
                      {boxes});
    ASSERT_TRUE(tools.hasTuner());
    ASSERT_TRUE(tools.SetRadioMode());
    LONG mode = 0;
    query<IAMTVTuner>(tools.device(TRadioTools::Device::Tuner))->get_Mode(&mode);
    EXPECT_EQ(mode, AMTUNER_MODE_FM_RADIO);

    EXPECT_TRUE(tools.TuneFrequency(101100000));
    EXPECT_EQ(system->node(usb).frequency, 1617600u);
    EXPECT_EQ(TunedHertz(tools), 101100000);
    // Off the 62.5 Hz grid: the nearest step, and back in whole hertz from that step.
    EXPECT_TRUE(tools.TuneFrequency(95800040));
    EXPECT_EQ(system->node(usb).frequency, 1532801u);
    EXPECT_EQ(TunedHertz(tools), 95800063); // 1532801 × 62.5 Hz, rounded
    // The driver sets the band's ends: what the radio reports is where it is.
    system->node(usb).frequency = 1728000;
    EXPECT_EQ(TunedHertz(tools), 108000000);

    // No afc: the offset reads 0 beside a station as on it, and the signal alone says a station is there.
    EXPECT_TRUE(tools.TuneFrequency(101050000));
    EXPECT_EQ(tools.ReadTunerOffset(), 0);
    EXPECT_TRUE(tools.IsSignalPresent());
    EXPECT_TRUE(tools.TuneFrequency(99000000));
    EXPECT_FALSE(tools.IsSignalPresent());
    // The radio's sound modes from its tuner.
    EXPECT_TRUE(tools.ReadAudioModes().enabled);
    EXPECT_TRUE(ErrorBoxTexts(boxes).empty());
}

TEST_F(RadioToolsV4l2, PciRadioNodeReadsAfcAsAnOffsetPositiveBelowTheStation) {
    const std::string video = system->addPciCard();
    TRadioTools tools(Device(AM_KSCATEGORY_TVTUNER, 0).get(), nullptr, nullptr, {boxes});
    ASSERT_TRUE(tools.hasTuner());
    EXPECT_TRUE(tools.SetRadioMode());
    EXPECT_TRUE(tools.TuneFrequency(101050000)); // 50 kHz below the station at 101.1 MHz
    EXPECT_EQ(system->node("/dev/radio0").frequency, 1616800u);
    EXPECT_EQ(tools.ReadTunerOffset(), 50000);
    EXPECT_TRUE(tools.IsSignalPresent());
    EXPECT_TRUE(tools.TuneFrequency(101150000));
    EXPECT_EQ(tools.ReadTunerOffset(), -50000);
    EXPECT_TRUE(tools.TuneFrequency(101100000));
    EXPECT_EQ(tools.ReadTunerOffset(), 0);
    EXPECT_TRUE(tools.TuneFrequency(99000000));
    EXPECT_EQ(tools.ReadTunerOffset(), 0);
    EXPECT_FALSE(tools.IsSignalPresent());

    // Every retune went to the radio node: the capture node keeps its TV channel.
    EXPECT_EQ(Retuned(), std::vector<std::string>(4, "/dev/radio0"));
    EXPECT_EQ(system->node(video).frequency, 0u);
    EXPECT_TRUE(ErrorBoxTexts(boxes).empty());
}

TEST_F(RadioToolsV4l2, ARadioNodeIsTunedByOneProcessAtATime) {
    system->addUsbRadio();
    const RefPtr<IMoniker> radio = Device(AM_KSCATEGORY_TVTUNER, 0);
    std::optional<TRadioTools> first;
    first.emplace(radio.get(), nullptr, nullptr, TRadioTools::Services{boxes});
    ASSERT_TRUE(first->hasTuner());
    {
        TRadioTools second(radio.get(), nullptr, nullptr, {boxes});
        EXPECT_FALSE(second.hasTuner());
        const std::vector<std::string> shown = ErrorBoxTexts(boxes);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].rfind("device busy: FM Radio radio tuner is in use by process", 0), 0u)
            << shown[0];
    }
    // Keyed by the node, and let go with the object.
    first.reset();
    DeviceLock probe;
    ASSERT_TRUE(probe.acquire(TRadioTools::TunerLockName("/dev/radio0")));
    EXPECT_FALSE(TRadioTools(radio.get(), nullptr, nullptr, {boxes}).hasTuner());
    probe.release();
    boxes.clear();
    first.emplace(radio.get(), nullptr, nullptr, TRadioTools::Services{boxes});
    EXPECT_TRUE(first->hasTuner());
    EXPECT_TRUE(ErrorBoxTexts(boxes).empty());
}

TEST_F(RadioToolsV4l2, UnpluggedRadioTunesNothingAndReadsNoStation) {
    const std::string usb = system->addUsbRadio();
    TRadioTools tools(Device(AM_KSCATEGORY_TVTUNER, 0).get(), nullptr, nullptr, {boxes});
    ASSERT_TRUE(tools.hasTuner());
    EXPECT_TRUE(tools.TuneFrequency(101100000));
    system->unplug(usb);
    EXPECT_TRUE(tools.TuneFrequency(95800000));
    const std::vector<std::string> shown = ErrorBoxTexts(boxes);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().rfind("KSPROPERTY_TUNER_FREQUENCY\n", 0), 0u) << shown.back();
    EXPECT_EQ(tools.ReadTunerOffset(), 0);
    EXPECT_FALSE(tools.IsSignalPresent());
}

TEST_F(RadioToolsV4l2, SearchOnTheUsbRadioFindsItsStationsByTheirSignal) {
    system->addUsbRadio();
    TRadioTools tools(Device(AM_KSCATEGORY_TVTUNER, 0).get(), nullptr, nullptr, {boxes});
    ASSERT_TRUE(tools.hasTuner());
    RadioChannelTuner tuner(tools);
    VirtualClock clock;
    RecordingProgress progress;
    ChannelList list;
    list.replaceAll({Station("Classic", MHz(95.85))});
    FrequencySearch search(kRadioSearch, tuner, clock, progress);
    const std::optional<SearchResult> result = search.run(list);
    ASSERT_TRUE(result);
    EXPECT_EQ(Rows(list), (std::vector<Row>{
                              {MHz(95.8), true, "Classic"},
                              {MHz(88.3), true, "found station 88.30 MHz"},
                              {MHz(101.1), true, "found station 101.10 MHz"},
                              {MHz(104.6), true, "found station 104.60 MHz"},
                          }));
    EXPECT_EQ(result->counts, (SearchCounts{.updated = 1, .added = 3, .incorrect = 0}));
    EXPECT_TRUE(ErrorBoxTexts(boxes).empty());
}

} // namespace
