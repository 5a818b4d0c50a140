// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include "mixer_backend.h"
#include "preset.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace faderix {

// A preset name may only name a file inside the plug-in folder: no separators, no "..", no NUL, not empty.
bool isSafePresetName(std::string_view name);

// The presets read so far, by upper-cased name. A preset is read from its file on first use and then
// served from memory until the store is destroyed; callers edit the stored object in place.
class PresetStore {
public:
    PresetStore(std::string folder, MixerBackend& backend);

    // Never fails: a preset without a file, or with an unsafe name, is empty.
    Preset& get(std::string_view name);
    // Writes the preset's file; false when nothing was written (unsafe name or write failure).
    bool save(std::string_view name, const Preset& preset) const;

    std::string fileOf(std::string_view name) const;
    const std::string& folder() const { return folder_; }
    size_t size() const { return presets_.size(); }

private:
    std::string folder_; // ends with '/'
    MixerBackend& backend_;
    std::vector<std::pair<std::string, std::unique_ptr<Preset>>> presets_;
};

// The name of preset file number `index` of `folder` in name order, without its extension.
std::optional<std::string> presetNameAt(const std::string& folder, uint32_t index);
// Copies like strncpy with a NUL at bufferSize - 1; 0 when there is no such preset or the buffer is unusable.
int32_t enumActionPreset(const std::string& folder, int32_t index, char* buffer, int32_t bufferSize);

} // namespace faderix
