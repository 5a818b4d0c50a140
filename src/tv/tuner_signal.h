// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The signal strength a tuner reports in its kernel-streaming status, 0 … 100, for the frequency search on
// cards that report no fine-tuning offset (SearchSignal). Both the TV and the radio search adapters read it.

#include "platform/com/ref_ptr.h"
#include "platform/devices/tv_device_interfaces.h"

#include <cstdint>

// False without tuner or property set, or when the status cannot be read.
inline bool ReadTunerSignalStrength(IAMTVTuner* tuner, std::int32_t* percent) {
    const RefPtr<IKsPropertySet> properties = query<IKsPropertySet>(tuner);
    if (!properties || !percent) {
        return false;
    }
    KSPROPERTY_TUNER_STATUS_S status{};
    DWORD returned = 0;
    if (FAILED(properties->Get(PROPSETID_TUNER, KSPROPERTY_TUNER_STATUS, InstanceDataOf(status),
                               InstanceSizeOf<KSPROPERTY_TUNER_STATUS_S>(), &status, sizeof status,
                               &returned))) {
        return false;
    }
    *percent = static_cast<std::int32_t>(status.SignalStrength > 100 ? 100 : status.SignalStrength);
    return true;
}
