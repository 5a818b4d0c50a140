// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The audio effects installed with GStreamer (LADSPA and LV2 plug-ins included, through their bridges), each
// under a class identifier that stays the same from run to run.

#include "platform/com/unknown.h"

#include <gst/gst.h>

#include <optional>
#include <string>
#include <vector>

struct AudioEffectElement {
    Guid classId;
    std::string factoryName;
    std::wstring displayName;
};

// Sorted by element name, so the list keeps its order between runs.
std::vector<AudioEffectElement> InstalledAudioEffects();
Guid ClassIdOfEffect(const std::string& factoryName);
std::optional<std::string> EffectFactoryOf(const Guid& classId);
// A new instance of the effect's element (floating reference), or null.
GstElement* MakeEffectElement(const Guid& classId);
