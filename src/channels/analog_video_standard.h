// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The analog video standards offered for a TV channel, in picker order, with the platform's flag values that
// the capture graph receives unchanged. There is deliberately no row for PAL_G (64).

#include <array>
#include <cstdint>
#include <optional>

struct VideoStandardRow {
    const char* name;
    std::int32_t value;
};

extern const std::array<VideoStandardRow, 20> AnalogVideoStandardTable;

// The standard a channel gets when nothing else is said ("PAL_B"), and the one a picker without a selection
// stands for ("PAL_D").
constexpr std::int32_t kDefaultChannelStandard = 16;
constexpr std::int32_t kStandardWhenNoneSelected = 32;

// Row of the table holding value, if any.
std::optional<int> AnalogVideoStandardRow(std::int32_t value);
