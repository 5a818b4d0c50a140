// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the "Video source:" box holds: the crossbar's inputs by name, in the crossbar's order, with the first
// video tuner input chosen (the first input when there is none).

#include <string>
#include <vector>

class CCrossbar;

struct VideoSourceBox {
    std::vector<std::string> names;
    // -1 when the box is empty.
    int selected = -1;
};

// Reads names until an input's type or name cannot be read; empty without a crossbar or inputs.
VideoSourceBox ReadVideoSources(CCrossbar* crossbar, int videoInputCount);
