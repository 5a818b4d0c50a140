// SPDX-License-Identifier: GPL-2.0-or-later
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

// Picture value <-> slider position for a device range. A stored value is the position's share of the range,
// counted from its minimum and truncated. Counting from the minimum keeps a range that starts below zero
// (hue, -128 … 127) at its middle for the middle value and its stored values within 0 … 10000; for ranges
// that start at 0 it is the plain width scaling the stored values have always had.
constexpr std::int32_t PictureValueFromPosition(std::int32_t position, std::int32_t min, std::int32_t max) {
    const std::int64_t span = static_cast<std::int64_t>(max) - min;
    return span == 0 ? 0
                     : static_cast<std::int32_t>((static_cast<std::int64_t>(position) - min) * kPictureScale /
                                                 span);
}
// The last position that stores no more than value. Truncating the product alone would not give back the
// position a value was stored from (127 stores 4980, and 4980 × 255 ÷ 10000 truncates to 126), so every
// selection of a channel would darken its picture by a step.
constexpr std::int32_t PicturePositionFromValue(std::int32_t value, std::int32_t min, std::int32_t max) {
    const std::int64_t span = static_cast<std::int64_t>(max) - min;
    std::int64_t offset = static_cast<std::int64_t>(value) * span / kPictureScale;
    while (span > 0 && offset < span && (offset + 1) * kPictureScale / span <= value) {
        ++offset;
    }
    return static_cast<std::int32_t>(min + offset);
}
