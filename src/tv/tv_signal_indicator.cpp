// SPDX-License-Identifier: GPL-2.0-or-later
#include "tv_signal_indicator.h"

#include "tuner_tools.h"

const char* TvSignalIndicator::tick(TTunerTools* tools, bool pageVisible) {
    if (!tools || !pageVisible) {
        return nullptr;
    }
    // Without a tuner there is no channel to lock to: a camera's decoder would otherwise always say "OK".
    const bool locked = tools->tuner && tools->IsSignalLocked();
    if (locked == shown_) {
        return nullptr;
    }
    shown_ = locked;
    return locked ? kSignalOk : kNoSignal;
}
