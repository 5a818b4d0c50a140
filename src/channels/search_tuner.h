// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the frequency search needs of its device. Apart from the search itself, so a device's adapter
// needs nothing of the channel lists.

#include "platform/com/hresult.h"

#include <cstdint>

class SearchTuner {
public:
    virtual ~SearchTuner() = default;
    virtual HRESULT TuneFrequency(std::int32_t hz) = 0;
    virtual HRESULT ReadTunerOffset(std::int32_t* offset) = 0;
    // The video decoder's horizontal lock at this moment; asked only by searches that want a signal.
    virtual bool IsSignalLocked() = 0;
};
