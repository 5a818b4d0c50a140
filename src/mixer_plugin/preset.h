// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace faderix {

constexpr size_t kMaxControlPathLength = 63;

// One entry of a preset: a control and what to do with it.
struct PresetItem {
    uint32_t mixer = 0;     // mixer device index
    uint32_t controlId = 0; // the control's ID within that device
    uint16_t action = 0;    // action code, or for a List control the mask of items to select
    uint16_t checked = 0;   // nonzero: this item's value is the one reported
    std::string name;       // ControlPath, at most 63 characters; may be empty
};

// The items in the order they are applied.
struct Preset {
    std::vector<PresetItem> items;
};

} // namespace faderix
