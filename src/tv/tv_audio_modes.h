// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the TV page's sound-mode box holds: one item per TV sound mode the device supports, in the order
// mono, stereo, languages A to C, each carrying its mode value, and the item of the mode in use.

#include "platform/devices/tv_device_interfaces.h"

#include <cstdint>
#include <vector>

class TTunerTools;

struct TvAudioModeItem {
    const char* text;
    std::int32_t mode;
};

struct TvAudioModeBox {
    // Without TV sound the box is empty and disabled.
    bool enabled = false;
    std::vector<TvAudioModeItem> items;
    // The item carrying the mode in use; -1 when none does.
    int selected = -1;
};

// Every mode the box can show, in its order.
extern const TvAudioModeItem kTvAudioModes[5];

TvAudioModeBox ReadTvAudioModes(IAMTVAudio* tvAudio);

// The box's change: sets the chosen item's mode when an item is chosen and there is a tuner object.
void ChooseTvAudioMode(TTunerTools* tools, const TvAudioModeBox& box, int index);
