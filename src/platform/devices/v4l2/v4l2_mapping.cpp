// SPDX-License-Identifier: GPL-2.0-or-later
#include "v4l2_mapping.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <utility>

namespace {

constexpr std::int64_t kTvStepMilliHertz = 62500000; // 62.5 kHz
constexpr std::int64_t kLowStepMilliHertz = 62500;   // 62.5 Hz
constexpr std::int64_t kOneHertz = 1000;

std::int64_t StepMilliHertz(std::uint32_t capability) {
    // A driver that sets both means 62.5 Hz, as v4l2-ctl reads it.
    if (capability & V4L2_TUNER_CAP_LOW) {
        return kLowStepMilliHertz;
    }
    return (capability & V4L2_TUNER_CAP_1HZ) ? kOneHertz : kTvStepMilliHertz;
}

// Each platform standard and the V4L2 standards it stands for. PAL B1/D1/K and the Korean NTSC are
// variants of the same transmissions and read back as their platform standard.
constexpr std::array<std::pair<LONG, v4l2_std_id>, 20> kStandards = {{
    {AnalogVideo_NTSC_M, V4L2_STD_NTSC_M},     {AnalogVideo_NTSC_M_J, V4L2_STD_NTSC_M_JP},
    {AnalogVideo_NTSC_433, V4L2_STD_NTSC_443}, {AnalogVideo_PAL_B, V4L2_STD_PAL_B},
    {AnalogVideo_PAL_D, V4L2_STD_PAL_D},       {AnalogVideo_PAL_G, V4L2_STD_PAL_G},
    {AnalogVideo_PAL_H, V4L2_STD_PAL_H},       {AnalogVideo_PAL_I, V4L2_STD_PAL_I},
    {AnalogVideo_PAL_M, V4L2_STD_PAL_M},       {AnalogVideo_PAL_N, V4L2_STD_PAL_N},
    {AnalogVideo_PAL_60, V4L2_STD_PAL_60},     {AnalogVideo_SECAM_B, V4L2_STD_SECAM_B},
    {AnalogVideo_SECAM_D, V4L2_STD_SECAM_D},   {AnalogVideo_SECAM_G, V4L2_STD_SECAM_G},
    {AnalogVideo_SECAM_H, V4L2_STD_SECAM_H},   {AnalogVideo_SECAM_K, V4L2_STD_SECAM_K},
    {AnalogVideo_SECAM_K1, V4L2_STD_SECAM_K1}, {AnalogVideo_SECAM_L, V4L2_STD_SECAM_L},
    {AnalogVideo_SECAM_L1, V4L2_STD_SECAM_LC}, {AnalogVideo_PAL_N_COMBO, V4L2_STD_PAL_Nc},
}};

constexpr std::array<std::pair<v4l2_std_id, LONG>, 4> kVariants = {{
    {V4L2_STD_PAL_B1, AnalogVideo_PAL_B},
    {V4L2_STD_PAL_D1, AnalogVideo_PAL_D},
    {V4L2_STD_PAL_K, AnalogVideo_PAL_D},
    {V4L2_STD_NTSC_M_KR, AnalogVideo_NTSC_M},
}};

std::string Lower(const char* text, std::size_t size) {
    std::string lower;
    for (std::size_t i = 0; i < size && text[i]; ++i) {
        lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(text[i]))));
    }
    return lower;
}

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

} // namespace

std::uint32_t TunerUnitsOf(std::int64_t hertz, std::uint32_t tunerCapability) {
    const std::int64_t step = StepMilliHertz(tunerCapability);
    const std::int64_t milli = std::max<std::int64_t>(hertz, 0) * 1000;
    return static_cast<std::uint32_t>((milli + step / 2) / step);
}

std::int64_t HertzOf(std::uint32_t units, std::uint32_t tunerCapability) {
    const std::int64_t step = StepMilliHertz(tunerCapability);
    return (static_cast<std::int64_t>(units) * step + 500) / 1000;
}

LONG PllOffsetOf(std::int32_t afc) {
    return afc == INT32_MIN ? INT32_MAX : -afc;
}

ULONG SignalPercentOf(std::int32_t signal) {
    const std::int64_t clamped = std::clamp<std::int64_t>(signal, 0, 65535);
    return static_cast<ULONG>((clamped * 100 + 65535 / 2) / 65535);
}

v4l2_std_id V4l2StandardOf(LONG standard) {
    for (const auto& [analog, v4l2] : kStandards) {
        if (analog == standard) {
            return v4l2;
        }
    }
    return 0;
}

LONG AnalogStandardsOf(v4l2_std_id standards) {
    LONG analog = 0;
    for (const auto& [bit, v4l2] : kStandards) {
        if (standards & v4l2) {
            analog |= bit;
        }
    }
    for (const auto& [v4l2, bit] : kVariants) {
        if (standards & v4l2) {
            analog |= bit;
        }
    }
    return analog;
}

LONG HardwareAudioModesOf(std::uint32_t tunerCapability) {
    LONG modes = AMTVAUDIO_MODE_MONO;
    if (tunerCapability & V4L2_TUNER_CAP_STEREO) {
        modes |= AMTVAUDIO_MODE_STEREO;
    }
    if (tunerCapability & V4L2_TUNER_CAP_LANG1) {
        modes |= AMTVAUDIO_MODE_LANG_A;
    }
    if (tunerCapability & V4L2_TUNER_CAP_LANG2) {
        modes |= AMTVAUDIO_MODE_LANG_B;
    }
    return modes;
}

LONG HeardAudioModesOf(std::uint32_t rxsubchans) {
    LONG modes = 0;
    if (rxsubchans & V4L2_TUNER_SUB_MONO) {
        modes |= AMTVAUDIO_MODE_MONO;
    }
    if (rxsubchans & V4L2_TUNER_SUB_STEREO) {
        modes |= AMTVAUDIO_MODE_STEREO;
    }
    if (rxsubchans & V4L2_TUNER_SUB_LANG1) {
        modes |= AMTVAUDIO_MODE_LANG_A;
    }
    if (rxsubchans & V4L2_TUNER_SUB_LANG2) {
        modes |= AMTVAUDIO_MODE_LANG_B;
    }
    return modes;
}

std::optional<std::uint32_t> AudmodeOf(LONG mode) {
    switch (mode) {
    case AMTVAUDIO_MODE_MONO:
        return V4L2_TUNER_MODE_MONO;
    case AMTVAUDIO_MODE_STEREO:
        return V4L2_TUNER_MODE_STEREO;
    case AMTVAUDIO_MODE_LANG_A:
        return V4L2_TUNER_MODE_LANG1;
    case AMTVAUDIO_MODE_LANG_B:
        return V4L2_TUNER_MODE_LANG2;
    default:
        return std::nullopt;
    }
}

LONG AudioModeOf(std::uint32_t audmode) {
    switch (audmode) {
    case V4L2_TUNER_MODE_STEREO:
        return AMTVAUDIO_MODE_STEREO;
    case V4L2_TUNER_MODE_LANG1:
    case V4L2_TUNER_MODE_LANG1_LANG2:
        return AMTVAUDIO_MODE_LANG_A;
    case V4L2_TUNER_MODE_LANG2:
        return AMTVAUDIO_MODE_LANG_B;
    default:
        return AMTVAUDIO_MODE_MONO;
    }
}

LONG VideoConnectorOf(const v4l2_input& input) {
    if (input.type == V4L2_INPUT_TYPE_TUNER) {
        return PhysConn_Video_Tuner;
    }
    // Drivers name their connectors after the label on the card: "S-Video", "Composite1", "Component".
    const std::string name = Lower(reinterpret_cast<const char*>(input.name), sizeof input.name);
    if (Contains(name, "s-video") || Contains(name, "svideo") || Contains(name, "s video")) {
        return PhysConn_Video_SVideo;
    }
    if (Contains(name, "component") || Contains(name, "ypbpr")) {
        return PhysConn_Video_YRYBY;
    }
    if (Contains(name, "scart")) {
        return PhysConn_Video_SCART;
    }
    if (Contains(name, "camera") || Contains(name, "usb")) {
        return PhysConn_Video_USB;
    }
    return PhysConn_Video_Composite;
}

LONG AudioConnectorOf(const v4l2_audio& audio) {
    const std::string name = Lower(reinterpret_cast<const char*>(audio.name), sizeof audio.name);
    if (Contains(name, "tuner") || Contains(name, "tv") || Contains(name, "radio")) {
        return PhysConn_Audio_Tuner;
    }
    if (Contains(name, "mic")) {
        return PhysConn_Audio_Mic;
    }
    if (Contains(name, "line") || Contains(name, "composite") || Contains(name, "s-video")) {
        return PhysConn_Audio_Line;
    }
    return PhysConn_Audio_AUX;
}

std::uint32_t ControlOf(LONG property) {
    switch (property) {
    case VideoProcAmp_Brightness:
        return V4L2_CID_BRIGHTNESS;
    case VideoProcAmp_Contrast:
        return V4L2_CID_CONTRAST;
    case VideoProcAmp_Hue:
        return V4L2_CID_HUE;
    case VideoProcAmp_Saturation:
        return V4L2_CID_SATURATION;
    default:
        return 0;
    }
}
