// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The mixer presets the pages name. The mixer plug-in behind them is bound by the program; when it is absent
// the calls do nothing.

#include "platform/win/clock.h"

#include <cstdint>

inline constexpr const char* kPresetTVUnmute = "TV_Unmute";
inline constexpr const char* kPresetTVMute = "TV_Mute";
inline constexpr const char* kPresetRadioUnmute = "Radio_Unmute";
inline constexpr const char* kPresetRadioMute = "Radio_Mute";

class MixerPresets {
public:
    virtual ~MixerPresets() = default;
    // Applies the named preset to the mixer.
    virtual void ActionPreset(const char* name) = 0;
    // Opens the preset's setup dialog and returns when the user has closed it.
    virtual void ActionSetup(const char* name) = 0;
};

// The "Unmute on start" and "Mute on exit" buttons: the user edits the preset, which then applies at once.
inline void EditAndApplyPreset(MixerPresets& presets, const char* name) {
    presets.ActionSetup(name);
    presets.ActionPreset(name);
}

// The mixer needs this long after a mute preset before the tuner or a graph is touched.
inline constexpr std::uint32_t kMuteSettleMs = 200;

// Applies a mute preset and waits for the mixer to settle; the wait happens even without the plug-in, so the
// timing of what follows does not depend on it.
inline void MuteAndSettle(MixerPresets* presets, Clock& clock, const char* mutePreset) {
    if (presets) {
        presets->ActionPreset(mutePreset);
    }
    clock.Sleep(kMuteSettleMs);
}
