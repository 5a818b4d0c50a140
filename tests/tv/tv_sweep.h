// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One TV search over an empty list, for tests whose tuner lives beside the platform's interfaces (whose
// AnalogVideoStandard enum cannot meet the channel list's record of the same name in one file).

#include "channels/search_tuner.h"

#include <cstdint>
#include <utility>
#include <vector>

class Clock;

// The list the sweep fills: each entry's frequency and check mark, in list order.
std::vector<std::pair<std::int32_t, bool>> SweepTvBand(SearchTuner& tuner, Clock& clock);
