// SPDX-License-Identifier: GPL-2.0-or-later
#include "radio_channel_tuner.h"

#include "radio_tools.h"
#include "tv/tuner_signal.h"

HRESULT RadioChannelTuner::TuneFrequency(std::int32_t hz) {
    if (!tools_.TuneFrequency(hz)) {
        return E_FAIL;
    }
    return tools_.tunerFailure();
}

HRESULT RadioChannelTuner::ReadTunerOffset(std::int32_t* offset) {
    if (!offset) {
        return E_POINTER;
    }
    *offset = tools_.ReadTunerOffset();
    return S_OK;
}

HRESULT RadioChannelTuner::SetVideoStandard(std::int32_t) {
    return E_NOTIMPL;
}

bool RadioChannelTuner::ReadSignalStrength(std::int32_t* percent) {
    return ReadTunerSignalStrength(query<IAMTVTuner>(tools_.device(TRadioTools::Device::Tuner)).get(),
                                   percent);
}
