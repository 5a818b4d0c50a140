// SPDX-License-Identifier: LGPL-2.1-or-later
#include "preset_store.h"

#include "ini_file.h"
#include "mixer_model.h"
#include "preset_files.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>

namespace faderix {

namespace {

constexpr std::string_view kPresetExtension = ".cfg";

// File names are case-sensitive here: "X.CFG" is not the file of preset X, so listing it would offer a
// name whose preset reads as empty.
bool hasPresetExtension(const std::string& fileName) {
    return fileName.size() > kPresetExtension.size() &&
           std::string_view(fileName).ends_with(kPresetExtension);
}

// Every entry matching "*.cfg", whatever its type, sorted so that indexes are stable between calls.
std::vector<std::string> presetFileNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (hasPresetExtension(name)) {
            names.push_back(name);
        }
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

bool isSafePresetName(std::string_view name) {
    return !name.empty() && name.find('/') == std::string_view::npos &&
           name.find('\\') == std::string_view::npos && name.find("..") == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

PresetStore::PresetStore(std::string folder, MixerBackend& backend)
    : folder_(std::move(folder)), backend_(backend) {
    if (folder_.empty() || folder_.back() != '/') {
        folder_ += '/';
    }
}

std::string PresetStore::fileOf(std::string_view name) const {
    return folder_ + std::string(name) + ".cfg";
}

Preset& PresetStore::get(std::string_view name) {
    const std::string key = toUpper(name);
    for (auto& [storedKey, preset] : presets_) {
        if (storedKey == key) {
            return *preset;
        }
    }
    auto preset = std::make_unique<Preset>();
    if (isSafePresetName(name)) {
        *preset = readPresetFile(fileOf(name));
        for (PresetItem& item : preset->items) {
            resolveItem(backend_, item);
        }
    }
    presets_.emplace_back(key, std::move(preset));
    return *presets_.back().second;
}

bool PresetStore::save(std::string_view name, const Preset& preset) const {
    return isSafePresetName(name) && writePresetFile(fileOf(name), preset);
}

std::optional<std::string> presetNameAt(const std::string& folder, uint32_t index) {
    const std::vector<std::string> names = presetFileNames(folder);
    if (index >= names.size()) {
        return std::nullopt;
    }
    const std::string& fileName = names[index];
    return fileName.substr(0, fileName.rfind('.'));
}

int32_t enumActionPreset(const std::string& folder, int32_t index, char* buffer, int32_t bufferSize) {
    if (buffer == nullptr || bufferSize < 1 || index < 0) {
        return 0;
    }
    const auto name = presetNameAt(folder, static_cast<uint32_t>(index));
    if (!name) {
        return 0;
    }
    std::strncpy(buffer, name->c_str(), static_cast<size_t>(bufferSize));
    buffer[bufferSize - 1] = '\0';
    return 1;
}

} // namespace faderix
