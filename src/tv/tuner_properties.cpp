// SPDX-License-Identifier: GPL-2.0-or-later
#include "tuner_properties.h"

#include "platform/com/ref_ptr.h"

namespace {

// Sets a zero-filled tuner property structure, passing the part past its header as instance data.
template <typename T> HRESULT SetTunerProperty(IKsPropertySet* properties, KSPROPERTY_TUNER id, T& value) {
    return properties->Set(PROPSETID_TUNER, id, InstanceDataOf(value), InstanceSizeOf<T>(), &value,
                           sizeof(T));
}

} // namespace

bool TuneByProperties(IAMTVTuner* tuner, ULONG mode, ULONG tuningFlags, std::int32_t hertz,
                      const TunerPropertyFailure& failed) {
    if (!tuner) {
        return false;
    }
    const RefPtr<IKsPropertySet> properties = query<IKsPropertySet>(tuner);
    if (!properties) {
        return hertz != 0;
    }
    KSPROPERTY_TUNER_MODE_S modeValue{};
    modeValue.Mode = mode;
    HRESULT hr = SetTunerProperty(properties.get(), KSPROPERTY_TUNER_MODE, modeValue);
    if (FAILED(hr) && failed) {
        failed(hr, "KSPROPERTY_TUNER_MODE");
    }
    KSPROPERTY_TUNER_FREQUENCY_S frequency{};
    frequency.Frequency = static_cast<ULONG>(hertz);
    frequency.TuningFlags = tuningFlags;
    hr = SetTunerProperty(properties.get(), KSPROPERTY_TUNER_FREQUENCY, frequency);
    if (FAILED(hr) && failed) {
        failed(hr, "KSPROPERTY_TUNER_FREQUENCY");
    }
    return hertz != 0;
}

std::int32_t ReadPllOffset(IAMTVTuner* tuner, const TunerPropertyFailure& failed) {
    if (!tuner) {
        return 0;
    }
    const RefPtr<IKsPropertySet> properties = query<IKsPropertySet>(tuner);
    if (!properties) {
        return 0;
    }
    KSPROPERTY_TUNER_STATUS_S status{};
    DWORD returned = 0;
    const HRESULT hr =
        properties->Get(PROPSETID_TUNER, KSPROPERTY_TUNER_STATUS, InstanceDataOf(status),
                        InstanceSizeOf<KSPROPERTY_TUNER_STATUS_S>(), &status, sizeof status, &returned);
    if (FAILED(hr)) {
        if (failed) {
            failed(hr, "KSPROPERTY_TUNER_STATUS");
        }
        // A driver may have written part of the structure before failing; the offset is unknown.
        return 0;
    }
    return status.PLLOffset;
}
