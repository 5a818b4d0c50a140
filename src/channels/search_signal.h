// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A search tuner that can also tell how strong the signal is at the frequency tuned. Many real cards report
// no fine-tuning offset at all in TV mode. Where the tuner has never reported a non-zero offset during a
// sweep, the frequency search also counts a rise of the signal across half its range as a carrier and the
// fall after it as the carrier's end; the find is the middle between the two. A device's search adapter
// implements this beside SearchTuner where its tuner reports a strength (the sweep finds it by dynamic_cast).

#include <cstdint>

class SearchSignal {
public:
    virtual ~SearchSignal() = default;
    // The signal strength now, 0 (none) … 100 (full); false when the tuner cannot tell.
    virtual bool ReadSignalStrength(std::int32_t* percent) = 0;
};
