#pragma once
// One TV channel or radio station. Frequencies are whole hertz; picture values use a fixed 0 ... 10000 scale
// that does not depend on the device (5000 is the middle). A station uses only name, check mark and
// frequency.

#include "analog_video_standard.h"

#include <QString>

#include <cstdint>

constexpr std::int32_t kDefaultChannelFrequency = 100000000;
constexpr std::int32_t kPictureMiddle = 5000;
constexpr std::int32_t kPictureScale = 10000;

struct ChannelEntry {
    QString name;
    bool enabled = false;
    std::int32_t freq = kDefaultChannelFrequency;
    std::int32_t palSecam = kDefaultChannelStandard;
    std::int32_t brightness = kPictureMiddle;
    std::int32_t contrast = kPictureMiddle;
    std::int32_t hue = kPictureMiddle;
    std::int32_t saturation = kPictureMiddle;

    static ChannelEntry MakeTV(std::int32_t freq, std::int32_t standard) {
        ChannelEntry entry;
        entry.freq = freq;
        entry.palSecam = standard;
        return entry;
    }
    static ChannelEntry MakeRadio(std::int32_t freq) {
        ChannelEntry entry;
        entry.freq = freq;
        return entry;
    }
    friend bool operator==(const ChannelEntry&, const ChannelEntry&) = default;
};

// Picture value <-> slider position for a device range. The minimum is ignored and the division truncates,
// as the stored values have always been computed.
constexpr std::int32_t PicturePositionFromValue(std::int32_t value, std::int32_t min, std::int32_t max) {
    return static_cast<std::int32_t>(static_cast<std::int64_t>(value) *
                                     (static_cast<std::int64_t>(max) - min) / kPictureScale);
}
constexpr std::int32_t PictureValueFromPosition(std::int32_t position, std::int32_t min, std::int32_t max) {
    const std::int64_t span = static_cast<std::int64_t>(max) - min;
    return span == 0 ? 0
                     : static_cast<std::int32_t>(static_cast<std::int64_t>(position) * kPictureScale / span);
}
