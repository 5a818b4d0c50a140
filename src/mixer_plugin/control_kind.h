// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include <cstdint>

namespace faderix {

// The kinds of control the actions know, with the codes that tree entries carry.
enum class ControlKind : uint8_t { Unsupported = 0, Volume = 1, Switch = 2, List = 3, ListItem = 4 };

// Decided from the class and unit fields of the control type, in this order.
constexpr ControlKind classifyControl(uint32_t type) {
    if ((type & 0xF0000000u) == 0x50000000u || (type & 0xF0000000u) == 0x40000000u) {
        return ControlKind::Volume;
    }
    if ((type & 0xFFFF0000u) == 0x20010000u) {
        return ControlKind::Switch;
    }
    if ((type & 0xF0FF0000u) == 0x70010000u) {
        return ControlKind::List;
    }
    return ControlKind::Unsupported;
}

// Slider-class volumes hold signed values; fader-class ones unsigned.
constexpr bool isSliderClass(uint32_t type) {
    return (type & 0xF0000000u) == 0x40000000u;
}

} // namespace faderix
