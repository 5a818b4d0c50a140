#include "tuner_search_tuner.h"

#include "tuner_tools.h"

HRESULT TunerSearchTuner::TuneFrequency(std::int32_t hz) {
    return tools_.TuneFrequency(hz) ? S_OK : E_FAIL;
}

HRESULT TunerSearchTuner::ReadTunerOffset(std::int32_t* offset) {
    if (!offset) {
        return E_POINTER;
    }
    *offset = tools_.ReadTunerOffset();
    return S_OK;
}

bool TunerSearchTuner::IsSignalLocked() {
    return tools_.IsSignalLocked();
}
