// SPDX-License-Identifier: GPL-2.0-or-later
#include "preset_actions.h"

#include "test_support.h"

#include <gtest/gtest.h>

using namespace faderix;
using faderix_test::valueOf;
using faderix_test::valuesOf;

namespace {

MixerControl fader(uint32_t min = 0, uint32_t max = 65535) {
    return MixerControl{1, control_types::Volume, 0, 0, "Volume", min, max};
}

MixerControl slider(int32_t min, int32_t max) {
    return MixerControl{2,
                        control_types::SignedSlider,
                        0,
                        0,
                        "Balance",
                        static_cast<uint32_t>(min),
                        static_cast<uint32_t>(max)};
}

uint32_t written(const MixerControl& control, uint32_t current, uint16_t action) {
    return volumeStep(control, current, action).value().written;
}

PresetItem item(uint32_t id, uint16_t action, uint16_t checked = 0) {
    return PresetItem{0, id, action, checked, ""};
}

class PresetActions : public ::testing::Test {
protected:
    faderix_test::TempDir dir;
    std::unique_ptr<VirtualMixerBackend> mixer =
        faderix_test::makeMixer(faderix_test::kTestMixer, dir.file("state.json"));
};

} // namespace

TEST(VolumeArithmetic, UnsignedFaderSteps) {
    EXPECT_EQ(written(fader(), 0, 5), 32768u);
    EXPECT_EQ(written(fader(), 0, 3), 65535u) << "the top of the scale is written as max";
    EXPECT_EQ(written(fader(), 40000, 7), 0u);
    EXPECT_EQ(written(fader(), 0, 1), 4097u);
    EXPECT_EQ(written(fader(), 65535, 2), 61440u);
    EXPECT_EQ(written(fader(), 65535, 8), 65535u);
    EXPECT_EQ(written(fader(), 0, 4), 49152u);
    EXPECT_EQ(written(fader(), 0, 14), 49152u) << "the second \"Set 75%\" multiplies first";
    EXPECT_EQ(written(fader(), 0, 10), 62259u);
    EXPECT_EQ(written(fader(), 0, 28), 3276u);
    EXPECT_FALSE(volumeStep(fader(), 1000, 99)->writes) << "an unknown code leaves the value alone";
    EXPECT_FALSE(volumeStep(fader(), 1000, 0)->writes);
    EXPECT_FALSE(volumeStep(fader(), 1000, 29)->writes);
    EXPECT_EQ(written(fader(100, 200), 150, 9), 150u) << "101 / 64 steps by 1";
}

TEST(VolumeArithmetic, ReadOnlyReportsThePercentage) {
    EXPECT_EQ(volumeStep(fader(), 65535, 29)->percent, 100u);
    EXPECT_EQ(volumeStep(fader(), 0, 29)->percent, 0u);
    EXPECT_EQ(volumeStep(fader(), 70000, 29)->percent, 100u) << "a value above max counts as the top";
}

TEST(VolumeArithmetic, SignedSliderSteps) {
    EXPECT_EQ(volumeStep(slider(-10, 10), 0, 5)->position, 10u);
    EXPECT_EQ(static_cast<int32_t>(written(slider(-10, 10), 0, 5)), 0);
    EXPECT_EQ(volumeStep(slider(-10, 10), 0, 4)->position, 15u);
    EXPECT_EQ(static_cast<int32_t>(written(slider(-10, 10), 0, 4)), 5);
    EXPECT_EQ(static_cast<int32_t>(written(slider(-10, 10), static_cast<uint32_t>(-10), 7)), -10);
    EXPECT_EQ(static_cast<int32_t>(written(slider(INT32_MIN, INT32_MAX - 1), 0, 3)), INT32_MAX - 1)
        << "wrapping signed ranges compute without overflow traps";
}

TEST(VolumeArithmetic, FullRangeHasNoStep) {
    EXPECT_FALSE(volumeStep(fader(0, 0xFFFFFFFF), 5, 5).has_value());
    EXPECT_FALSE(volumeStep(slider(INT32_MIN, INT32_MAX), 5, 5).has_value());
}

TEST_F(PresetActions, AppliesVolumeSwitchAndListItemsAndReportsTheLastCheckedOne) {
    Preset preset;
    preset.items = {item(1, 5, 1), item(3, 3), item(5, 5, 1), item(2, 4)};
    EXPECT_EQ(applyPreset(*mixer, preset), 1) << "the last checked item decides";
    EXPECT_EQ(valueOf(*mixer, 1), 32768u);
    EXPECT_EQ(valueOf(*mixer, 3), 0u) << "toggle of a switch that was on";
    EXPECT_EQ(valuesOf(*mixer, 5), (std::vector<uint32_t>{1, 0, 1, 0, 0}));
    EXPECT_EQ(static_cast<int32_t>(valueOf(*mixer, 2)), 5);

    preset.items = {item(1, 29, 1)};
    EXPECT_EQ(applyPreset(*mixer, preset), 50);
    preset.items = {item(1, 0), item(1, 200)};
    applyPreset(*mixer, preset);
    EXPECT_EQ(valueOf(*mixer, 1), 32768u) << "codes without a step do not creep the value upwards";
    preset.items = {item(3, 4, 1)};
    EXPECT_EQ(applyPreset(*mixer, preset), 0);
    faderix_test::setValueOf(*mixer, 3, 1);
    EXPECT_EQ(applyPreset(*mixer, preset), 1) << "a read-only switch reports its value";
    EXPECT_EQ(valueOf(*mixer, 3), 1u);
}

TEST_F(PresetActions, SkipsVanishedAndUnsupportedControlsAndStillAppliesTheRest) {
    Preset preset;
    preset.items = {item(999, 3, 1), item(4, 3, 1), PresetItem{7, 1, 3, 1, ""}, item(6, 3)};
    EXPECT_EQ(applyPreset(*mixer, preset), 0);
    EXPECT_EQ(valueOf(*mixer, 6), 65535u);
    EXPECT_EQ(applyPreset(*mixer, Preset{}), 0);
}

TEST_F(PresetActions, ListMaskDeselectsItemsItDoesNotName) {
    faderix_test::setValueOf(*mixer, 3, 0);
    Preset preset;
    preset.items = {item(5, 0x1A)};
    applyPreset(*mixer, preset);
    EXPECT_EQ(valuesOf(*mixer, 5), (std::vector<uint32_t>{0, 1, 0, 1, 1}));
}
