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

// What the settings pages of an effect edit: its element.
struct IElementProperties : IUnknown {
    static constexpr Guid IID = Guid::of("{0E7C2B55-6A6B-4F0B-8E51-9C1D2A3F4B60}");
    virtual GstElement* effectElement() = 0;
};
