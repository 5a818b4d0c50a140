// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The preset targets' common path: a preset file as the plug-in reads it, applied to the built-in virtual
// mixer, saved as text and read back.

#include "backend/virtual/virtual_mixer_backend.h"
#include "fuzz_support.h"
#include "preset_actions.h"
#include "preset_files.h"

#include <cstdlib>

namespace fuzz {

inline void ReadApplyAndResave(const std::uint8_t* data, std::size_t size) {
    const faderix::Preset preset = faderix::readPresetFile(WriteScratchFile("preset.cfg", data, size));
    faderix::VirtualMixerBackend mixer(faderix::builtInVirtualMixer(),
                                       (ScratchFolder() / "state.json").string());
    faderix::Preset applied = preset;
    faderix::applyPreset(mixer, applied);

    // Saving never changes what the items say: a name cannot reach into other items or sections.
    const std::string saved = WriteScratchFile("saved.cfg", nullptr, 0);
    if (!faderix::writePresetFile(saved, preset)) {
        std::abort();
    }
    const faderix::Preset reread = faderix::readPresetFile(saved);
    if (reread.items.size() != preset.items.size()) {
        std::abort();
    }
    for (std::size_t i = 0; i < preset.items.size(); ++i) {
        const faderix::PresetItem& a = preset.items[i];
        const faderix::PresetItem& b = reread.items[i];
        if (a.mixer != b.mixer || a.controlId != b.controlId || a.action != b.action ||
            a.checked != b.checked) {
            std::abort();
        }
    }
    ClearScratchFolder();
}

} // namespace fuzz
