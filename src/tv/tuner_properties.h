// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The kernel-streaming tuner properties both tuner objects use: mode and frequency set together, and the
// phase-locked loop's offset read back. TV and radio differ only in the mode, the tuning flags and how (and
// whether) a failure is reported, so the caller passes those.

#include "platform/devices/tv_device_interfaces.h"

#include <cstdint>
#include <functional>

// Told the code and the property's name ("KSPROPERTY_TUNER_MODE", ...) of each failed property call.
using TunerPropertyFailure = std::function<void(HRESULT hr, const char* property)>;

// Sets KSPROPERTY_TUNER_MODE, then KSPROPERTY_TUNER_FREQUENCY; a failed mode does not stop the frequency, so
// one tuning can report two failures. False without tuner; otherwise true for every frequency but 0, whatever
// the tuner made of it.
bool TuneByProperties(IAMTVTuner* tuner, ULONG mode, ULONG tuningFlags, std::int32_t hertz,
                      const TunerPropertyFailure& failed);

// KSPROPERTY_TUNER_STATUS's PLLOffset; 0 without tuner or property set, and after a failed read (which
// reaches failed when it is given).
std::int32_t ReadPllOffset(IAMTVTuner* tuner, const TunerPropertyFailure& failed);
