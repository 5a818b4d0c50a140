// SPDX-License-Identifier: GPL-2.0-or-later
// TTunerTools' TV tuner: mode and frequency through the tuner's kernel-streaming properties, the decoder's
// standard and lock, the TV sound mode, and the tuner routed to the decoder on the first crossbar.
#include "tuner_tools.h"

#include "tuner_properties.h"

#include <utility>

bool TTunerTools::PrepareTvTuner() {
    if (!tuner) {
        return false;
    }
    tuner->put_Mode(AMTUNER_MODE_TV);
    // Country 7 is the common European frequency plan; the frequencies set later are exact anyway.
    tuner->put_CountryCode(7);
    tuner->put_InputType(0, TunerInputCable);
    return true;
}

void TTunerTools::ReportTunerFailure(HRESULT hr, const char* property) {
    if (SUCCEEDED(tunerFailure_)) {
        tunerFailure_ = hr;
    }
    ShowGraphErrorCode(hr, "%s", property);
}

bool TTunerTools::TuneFrequency(std::int32_t hertz) {
    tunerFailure_ = S_OK;
    return TuneByProperties(tuner.get(), KSPROPERTY_TUNER_MODE_TV, KS_TUNER_TUNING_EXACT, hertz,
                            [this](HRESULT hr, const char* property) { ReportTunerFailure(hr, property); });
}

std::int32_t TTunerTools::ReadTunerOffset() {
    tunerFailure_ = S_OK;
    return ReadPllOffset(tuner.get(),
                         [this](HRESULT hr, const char* property) { ReportTunerFailure(hr, property); });
}

bool TTunerTools::SetVideoStandard(std::int32_t standard) {
    const RefPtr<IAMAnalogVideoDecoder> decoder = query<IAMAnalogVideoDecoder>(videoCapture);
    if (!decoder) {
        return false;
    }
    decoder->put_TVFormat(standard);
    return SUCCEEDED(decoder->put_VCRHorizontalLocking(0));
}

bool TTunerTools::IsSignalLocked() {
    const RefPtr<IAMAnalogVideoDecoder> decoder = query<IAMAnalogVideoDecoder>(videoCapture);
    LONG locked = 0;
    return decoder && SUCCEEDED(decoder->get_HorizontalLocked(&locked)) && locked != 0;
}

bool TTunerTools::SetTvAudioMode(std::int32_t mode) {
    return tvAudio && SUCCEEDED(tvAudio->put_TVAudioMode(mode));
}

bool TTunerTools::RouteTunerInputs() {
    if (!builder || !videoCapture) {
        return false;
    }
    RefPtr<IAMCrossbar> switcher;
    if (FAILED(builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, videoCapture.get(),
                                      IAMCrossbar::IID, reinterpret_cast<void**>(switcher.put()))) ||
        !switcher) {
        return false;
    }
    LONG outputs = 0;
    LONG inputs = 0;
    if (FAILED(switcher->get_PinCounts(&outputs, &inputs))) {
        return false;
    }
    bool routed = false;
    // Sound first, then picture; the result is that of the last route made.
    const std::pair<LONG, LONG> routes[] = {{PhysConn_Audio_AudioDecoder, PhysConn_Audio_Tuner},
                                            {PhysConn_Video_VideoDecoder, PhysConn_Video_Tuner}};
    for (const auto& [outputType, inputType] : routes) {
        const LONG output = CCrossbar::FirstPinOfType(switcher.get(), false, outputs, outputType);
        if (output < 0) {
            continue;
        }
        const LONG input = CCrossbar::FirstPinOfType(switcher.get(), true, inputs, inputType);
        if (input >= 0) {
            routed = SUCCEEDED(switcher->Route(output, input));
        }
    }
    return routed;
}
