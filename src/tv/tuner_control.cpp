// TTunerTools' TV tuner: mode and frequency through the tuner's kernel-streaming properties, the decoder's
// standard and lock, the TV sound mode, and the tuner routed to the decoder on the first crossbar.
#include "tuner_tools.h"

#include <utility>

namespace {

// The tuner's own property set; null when the tuner has none.
RefPtr<IKsPropertySet> TunerProperties(IAMTVTuner* tuner) {
    return query<IKsPropertySet>(tuner);
}

// Sets a zero-filled tuner property structure, passing the part past its header as instance data.
template <typename T> HRESULT SetTunerProperty(IKsPropertySet* properties, KSPROPERTY_TUNER id, T& value) {
    return properties->Set(PROPSETID_TUNER, id, InstanceDataOf(value), InstanceSizeOf<T>(), &value,
                           sizeof(T));
}

// The index of the first pin of the side with the physical type, -1 when there is none.
LONG FirstPinOfType(IAMCrossbar* crossbar, bool input, LONG count, LONG physicalType) {
    for (LONG index = 0; index < count; ++index) {
        LONG related = -1;
        LONG type = 0;
        if (SUCCEEDED(crossbar->get_CrossbarPinInfo(input ? 1 : 0, index, &related, &type)) &&
            type == physicalType) {
            return index;
        }
    }
    return -1;
}

} // namespace

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

bool TTunerTools::TuneFrequency(std::int32_t hertz) {
    if (!tuner) {
        return false;
    }
    const RefPtr<IKsPropertySet> properties = TunerProperties(tuner.get());
    if (!properties) {
        return hertz != 0;
    }
    // A failed mode does not stop the frequency: the two failures are two boxes.
    KSPROPERTY_TUNER_MODE_S mode{};
    mode.Mode = KSPROPERTY_TUNER_MODE_TV;
    HRESULT hr = SetTunerProperty(properties.get(), KSPROPERTY_TUNER_MODE, mode);
    if (FAILED(hr)) {
        ShowGraphErrorCode(hr, "KSPROPERTY_TUNER_MODE");
    }
    KSPROPERTY_TUNER_FREQUENCY_S frequency{};
    frequency.Frequency = static_cast<ULONG>(hertz);
    frequency.TuningFlags = KS_TUNER_TUNING_EXACT;
    hr = SetTunerProperty(properties.get(), KSPROPERTY_TUNER_FREQUENCY, frequency);
    if (FAILED(hr)) {
        ShowGraphErrorCode(hr, "KSPROPERTY_TUNER_FREQUENCY");
    }
    return hertz != 0;
}

std::int32_t TTunerTools::ReadTunerOffset() {
    if (!tuner) {
        return 0;
    }
    const RefPtr<IKsPropertySet> properties = TunerProperties(tuner.get());
    if (!properties) {
        return 0;
    }
    KSPROPERTY_TUNER_STATUS_S status{};
    DWORD returned = 0;
    const HRESULT hr =
        properties->Get(PROPSETID_TUNER, KSPROPERTY_TUNER_STATUS, InstanceDataOf(status),
                        InstanceSizeOf<KSPROPERTY_TUNER_STATUS_S>(), &status, sizeof status, &returned);
    if (FAILED(hr)) {
        ShowGraphErrorCode(hr, "KSPROPERTY_TUNER_STATUS");
        // A driver may have written part of the structure before failing; the offset is unknown.
        return 0;
    }
    return status.PLLOffset;
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
        const LONG output = FirstPinOfType(switcher.get(), false, outputs, outputType);
        if (output < 0) {
            continue;
        }
        const LONG input = FirstPinOfType(switcher.get(), true, inputs, inputType);
        if (input >= 0) {
            routed = SUCCEEDED(switcher->Route(output, input));
        }
    }
    return routed;
}
