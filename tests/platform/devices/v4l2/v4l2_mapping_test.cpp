// SPDX-License-Identifier: GPL-2.0-or-later
// The V4L2 mappings one by one: tuner units both ways, the afc's sign, the standard bit map, TV sound modes
// and connector types.
#include "platform/devices/v4l2/v4l2_mapping.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

namespace {

TEST(V4l2Mapping, TvTunerCountsIn62Point5Kilohertz) {
    // 175.25 MHz is exactly 2804 steps; a frequency between two steps goes to the nearer one.
    EXPECT_EQ(TunerUnitsOf(175250000, V4L2_TUNER_CAP_NORM), 2804u);
    EXPECT_EQ(TunerUnitsOf(175281250, 0), 2805u);
    EXPECT_EQ(TunerUnitsOf(175281249, 0), 2804u);
    EXPECT_EQ(HertzOf(2804, 0), 175250000);
    EXPECT_EQ(HertzOf(TunerUnitsOf(800000000, 0), 0), 800000000);
    EXPECT_EQ(TunerUnitsOf(-5, 0), 0u);
}

TEST(V4l2Mapping, LowTunerCountsIn62Point5Hertz) {
    EXPECT_EQ(TunerUnitsOf(101100000, V4L2_TUNER_CAP_LOW), 1617600u);
    EXPECT_EQ(HertzOf(1617600, V4L2_TUNER_CAP_LOW), 101100000);
    // An odd step is 62.5 Hz: half a hertz rounds away.
    EXPECT_EQ(HertzOf(1, V4L2_TUNER_CAP_LOW), 63);
    EXPECT_EQ(TunerUnitsOf(108000000, V4L2_TUNER_CAP_LOW | V4L2_TUNER_CAP_STEREO), 1728000u);
    EXPECT_EQ(TunerUnitsOf(101100000, V4L2_TUNER_CAP_1HZ), 101100000u);
    EXPECT_EQ(TunerUnitsOf(101100000, V4L2_TUNER_CAP_LOW | V4L2_TUNER_CAP_1HZ), 1617600u);
    EXPECT_EQ(HertzOf(101100001, V4L2_TUNER_CAP_1HZ), 101100001);
    // Every 50 kHz search step survives the round trip.
    for (std::int64_t hz = 87500000; hz <= 108000000; hz += 50000) {
        ASSERT_EQ(HertzOf(TunerUnitsOf(hz, V4L2_TUNER_CAP_LOW), V4L2_TUNER_CAP_LOW), hz);
    }
}

TEST(V4l2Mapping, AfcTooLowIsAPositiveOffsetBelowTheCarrier) {
    EXPECT_EQ(PllOffsetOf(-37500), 37500);
    EXPECT_EQ(PllOffsetOf(12500), -12500);
    EXPECT_EQ(PllOffsetOf(0), 0);
    EXPECT_EQ(PllOffsetOf(INT32_MIN), INT32_MAX);
    EXPECT_EQ(SignalPercentOf(65535), 100u);
    EXPECT_EQ(SignalPercentOf(32768), 50u);
    EXPECT_EQ(SignalPercentOf(0), 0u);
    EXPECT_EQ(SignalPercentOf(-1), 0u);
}

TEST(V4l2Mapping, EveryStandardIsOneV4l2StandardAndComesBack) {
    LONG seen = 0;
    for (int bit = 0; bit < 21; ++bit) {
        const LONG standard = LONG(1) << bit;
        const v4l2_std_id v4l2 = V4l2StandardOf(standard);
        if (v4l2 == 0) {
            continue; // bits 3 to 4 are not standards
        }
        EXPECT_EQ(std::popcount(v4l2), 1) << standard;
        EXPECT_EQ(AnalogStandardsOf(v4l2), standard) << standard;
        EXPECT_FALSE(seen & standard);
        seen |= standard;
    }
    EXPECT_EQ(seen, 0x1FFFF7);
    EXPECT_EQ(V4l2StandardOf(AnalogVideo_PAL_B), V4L2_STD_PAL_B);
    EXPECT_EQ(V4l2StandardOf(AnalogVideo_SECAM_L1), V4L2_STD_SECAM_LC);
    EXPECT_EQ(V4l2StandardOf(AnalogVideo_PAL_N_COMBO), V4L2_STD_PAL_Nc);
    EXPECT_EQ(V4l2StandardOf(AnalogVideo_PAL_B | AnalogVideo_PAL_D), 0u);
    EXPECT_EQ(V4l2StandardOf(0), 0u);
}

TEST(V4l2Mapping, GroupsAndVariantsReadAsThePlatformsStandards) {
    EXPECT_EQ(AnalogStandardsOf(V4L2_STD_PAL_BG), AnalogVideo_PAL_B | AnalogVideo_PAL_G);
    EXPECT_EQ(AnalogStandardsOf(V4L2_STD_PAL_DK), AnalogVideo_PAL_D);
    EXPECT_EQ(AnalogStandardsOf(V4L2_STD_SECAM_DK),
              AnalogVideo_SECAM_D | AnalogVideo_SECAM_K | AnalogVideo_SECAM_K1);
    EXPECT_EQ(AnalogStandardsOf(V4L2_STD_NTSC_M_KR), AnalogVideo_NTSC_M);
    EXPECT_EQ(AnalogStandardsOf(V4L2_STD_ALL), 0x1FFFF7);
    EXPECT_EQ(AnalogStandardsOf(0), 0);
}

TEST(V4l2Mapping, SoundModesFollowCapabilityAndSubchannels) {
    EXPECT_EQ(HardwareAudioModesOf(0), AMTVAUDIO_MODE_MONO);
    EXPECT_EQ(HardwareAudioModesOf(V4L2_TUNER_CAP_STEREO | V4L2_TUNER_CAP_LANG1 | V4L2_TUNER_CAP_LANG2),
              AMTVAUDIO_MODE_MONO | AMTVAUDIO_MODE_STEREO | AMTVAUDIO_MODE_LANG_A | AMTVAUDIO_MODE_LANG_B);
    EXPECT_EQ(HeardAudioModesOf(V4L2_TUNER_SUB_MONO | V4L2_TUNER_SUB_STEREO),
              AMTVAUDIO_MODE_MONO | AMTVAUDIO_MODE_STEREO);
    EXPECT_EQ(HeardAudioModesOf(V4L2_TUNER_SUB_LANG1 | V4L2_TUNER_SUB_LANG2),
              AMTVAUDIO_MODE_LANG_A | AMTVAUDIO_MODE_LANG_B);
    for (LONG mode :
         {AMTVAUDIO_MODE_MONO, AMTVAUDIO_MODE_STEREO, AMTVAUDIO_MODE_LANG_A, AMTVAUDIO_MODE_LANG_B}) {
        ASSERT_TRUE(AudmodeOf(mode).has_value());
        EXPECT_EQ(AudioModeOf(*AudmodeOf(mode)), mode);
    }
    EXPECT_FALSE(AudmodeOf(AMTVAUDIO_MODE_LANG_C).has_value());
    EXPECT_FALSE(AudmodeOf(AMTVAUDIO_MODE_MONO | AMTVAUDIO_MODE_STEREO).has_value());
    EXPECT_EQ(AudioModeOf(V4L2_TUNER_MODE_LANG1_LANG2), AMTVAUDIO_MODE_LANG_A);
}

TEST(V4l2Mapping, ConnectorsFromInputTypeAndLabel) {
    auto input = [](std::uint32_t type, const char* name) {
        v4l2_input in{};
        in.type = type;
        std::strncpy(reinterpret_cast<char*>(in.name), name, sizeof in.name - 1);
        return VideoConnectorOf(in);
    };
    EXPECT_EQ(input(V4L2_INPUT_TYPE_TUNER, "Television"), PhysConn_Video_Tuner);
    EXPECT_EQ(input(V4L2_INPUT_TYPE_CAMERA, "Composite1"), PhysConn_Video_Composite);
    EXPECT_EQ(input(V4L2_INPUT_TYPE_CAMERA, "S-Video"), PhysConn_Video_SVideo);
    EXPECT_EQ(input(V4L2_INPUT_TYPE_CAMERA, "SVideo 2"), PhysConn_Video_SVideo);
    EXPECT_EQ(input(V4L2_INPUT_TYPE_CAMERA, "Component"), PhysConn_Video_YRYBY);
    EXPECT_EQ(input(V4L2_INPUT_TYPE_CAMERA, "Camera 1"), PhysConn_Video_USB);
    auto audio = [](const char* name) {
        v4l2_audio in{};
        std::strncpy(reinterpret_cast<char*>(in.name), name, sizeof in.name - 1);
        return AudioConnectorOf(in);
    };
    EXPECT_EQ(audio("Tuner"), PhysConn_Audio_Tuner);
    EXPECT_EQ(audio("Line In"), PhysConn_Audio_Line);
    EXPECT_EQ(audio("Microphone"), PhysConn_Audio_Mic);
    EXPECT_EQ(audio("Other"), PhysConn_Audio_AUX);
}

TEST(V4l2Mapping, PictureProperties) {
    EXPECT_EQ(ControlOf(VideoProcAmp_Brightness), V4L2_CID_BRIGHTNESS);
    EXPECT_EQ(ControlOf(VideoProcAmp_Contrast), V4L2_CID_CONTRAST);
    EXPECT_EQ(ControlOf(VideoProcAmp_Hue), V4L2_CID_HUE);
    EXPECT_EQ(ControlOf(VideoProcAmp_Saturation), V4L2_CID_SATURATION);
    EXPECT_EQ(ControlOf(VideoProcAmp_Gamma), 0u);
}

} // namespace
