#include "radio_search_tuner.h"

#include "radio_tools.h"

HRESULT RadioSearchTuner::TuneFrequency(std::int32_t hz) {
    return tools_.TuneFrequency(hz) ? S_OK : E_FAIL;
}

HRESULT RadioSearchTuner::ReadTunerOffset(std::int32_t* offset) {
    if (!offset) {
        return E_POINTER;
    }
    *offset = tools_.ReadTunerOffset();
    return S_OK;
}
