// SPDX-License-Identifier: GPL-2.0-or-later
#include "tuner_channel_tuner.h"

#include "tuner_signal.h"
#include "tuner_tools.h"

HRESULT TunerChannelTuner::TuneFrequency(std::int32_t hz) {
    if (!tools_.TuneFrequency(hz)) {
        return E_FAIL;
    }
    return tools_.tunerFailure();
}

HRESULT TunerChannelTuner::ReadTunerOffset(std::int32_t* offset) {
    if (!offset) {
        return E_POINTER;
    }
    *offset = tools_.ReadTunerOffset();
    return tools_.tunerFailure();
}

HRESULT TunerChannelTuner::SetVideoStandard(std::int32_t standard) {
    return tools_.SetVideoStandard(standard) ? S_OK : E_FAIL;
}

bool TunerChannelTuner::IsSignalLocked() {
    return tools_.IsSignalLocked();
}

bool TunerChannelTuner::ReadSignalStrength(std::int32_t* percent) {
    return ReadTunerSignalStrength(tools_.tuner.get(), percent);
}
