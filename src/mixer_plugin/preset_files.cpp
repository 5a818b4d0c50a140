// SPDX-License-Identifier: LGPL-2.1-or-later
#include "preset_files.h"

#include "atomic_file.h"
#include "ini_file.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>

namespace faderix {

namespace {

// No real mixer has this many controls; a larger "Count" is trusted only as far as item sections exist,
// and a section numbered beyond it counts for nothing, so neither can make a preset of millions of items.
constexpr uint32_t kPlausibleItemCount = 1024;

uint32_t readLittleEndian32(const unsigned char* bytes) {
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

uint16_t readLittleEndian16(const unsigned char* bytes) {
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

std::string cutName(std::string name) {
    if (name.size() > kMaxControlPathLength) {
        name.resize(kMaxControlPathLength);
    }
    return name;
}

std::optional<Preset> readBinary(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    unsigned char header[kBinaryHeaderSize] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    const uint32_t count = readLittleEndian32(header);
    if (count < 1 || count > kMaxBinaryItems) {
        return std::nullopt;
    }
    Preset preset;
    preset.items.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        // Parts of a record beyond the end of a short file stay zero.
        unsigned char record[kBinaryItemSize] = {};
        in.clear();
        in.seekg(static_cast<std::streamoff>(kBinaryHeaderSize + kBinaryItemStride * i));
        in.read(reinterpret_cast<char*>(record), sizeof record);
        PresetItem& item = preset.items[i];
        item.mixer = readLittleEndian32(record);
        item.controlId = readLittleEndian32(record + 4);
        item.action = readLittleEndian16(record + 8);
        item.checked = readLittleEndian16(record + 10);
        const char* name = reinterpret_cast<const char*>(record + 12);
        item.name.assign(name, strnlen(name, kMaxControlPathLength));
    }
    return preset;
}

std::string itemSection(size_t index) {
    return "Item" + std::to_string(index + 1);
}

// The highest N of the "ItemN" sections present, so an absurd count cannot make the reader allocate for
// items that do not exist.
uint32_t highestItemSection(const IniFile& ini, uint32_t limit) {
    uint32_t highest = 0;
    for (const std::string& name : ini.sectionNames()) {
        if (name.size() <= 4 || !equalsIgnoreCase(name.substr(0, 4), "Item")) {
            continue;
        }
        const std::string digits = name.substr(4);
        if (digits.size() > 10 || !std::all_of(digits.begin(), digits.end(), [](char c) {
                return std::isdigit(static_cast<unsigned char>(c));
            })) {
            continue;
        }
        const unsigned long long number = std::stoull(digits);
        if (number <= limit && number > highest) {
            highest = static_cast<uint32_t>(number);
        }
    }
    return highest;
}

Preset readText(const std::string& path) {
    const IniFile ini = IniFile::load(path);
    uint32_t count = ini.getInt("Setup", "Count", 0);
    if (count > kPlausibleItemCount) {
        count = highestItemSection(ini, kPlausibleItemCount);
    }
    Preset preset;
    preset.items.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        const std::string section = itemSection(i);
        PresetItem& item = preset.items[i];
        item.mixer = ini.getInt(section, "Mixer", 0);
        item.controlId = ini.getInt(section, "ID", 0);
        item.action = static_cast<uint16_t>(ini.getInt(section, "Action", 0));
        item.checked = static_cast<uint16_t>(ini.getInt(section, "Checked", 0));
        item.name = cutName(ini.getString(section, "Name", ""));
    }
    return preset;
}

} // namespace

Preset readPresetFile(const std::string& path) {
    if (auto binary = readBinary(path)) {
        return std::move(*binary);
    }
    return readText(path);
}

std::string presetFileText(const Preset& preset) {
    IniFile ini;
    ini.set("Setup", "Count", std::to_string(preset.items.size()));
    for (size_t i = 0; i < preset.items.size(); ++i) {
        const PresetItem& item = preset.items[i];
        const std::string section = itemSection(i);
        ini.set(section, "Mixer", std::to_string(item.mixer));
        ini.set(section, "ID", std::to_string(item.controlId));
        ini.set(section, "Action", std::to_string(item.action));
        ini.set(section, "Checked", std::to_string(item.checked));
        ini.set(section, "Name", item.name);
    }
    return ini.text();
}

bool writePresetFile(const std::string& path, const Preset& preset) {
    return writeFileAtomically(path, presetFileText(preset));
}

} // namespace faderix
