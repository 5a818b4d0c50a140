// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include "../../mixer_layout.h"

#include <string>

namespace faderix {

// What an ALSA simple element contributes to the mixer model, and the naming rules that map it.
enum class AlsaPart : uint8_t { PlaybackVolume, PlaybackSwitch, CaptureVolume, CaptureSwitch, Enumerated };

// Control IDs are a hash of the element's name, index and part, so presets keep naming the same control
// from run to run whatever order the driver lists its elements in.
uint32_t alsaControlId(const std::string& element, unsigned index, AlsaPart part);

// The component type that the usual element names stand for (Master, PCM, CD, Line, Mic, Synth, Aux, ...).
uint32_t alsaComponentType(const std::string& element);

} // namespace faderix
