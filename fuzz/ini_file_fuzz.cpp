// SPDX-License-Identifier: GPL-2.0-or-later
// The INI reader over any text, with every read the profile functions make of the sections and keys in it.
#include "fuzz_support.h"
#include "ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const faderix::IniFile ini = faderix::IniFile::parse(text);
    // The keys asked for are the left sides of the input's lines, so hits and misses both occur.
    std::vector<std::string> keys;
    for (const std::string& line : fuzz::Split(data, size, '\n')) {
        keys.push_back(line.substr(0, line.find('=')));
    }
    for (const std::string& section : ini.sectionNames()) {
        for (const std::string& key : keys) {
            ini.value(section, key);
            ini.getInt(section, key, 7);
            ini.getString(section, key, "fallback");
        }
    }
    // What the writer makes of it reads back with the same sections.
    faderix::IniFile copy;
    for (const std::string& section : ini.sectionNames()) {
        for (const std::string& key : keys) {
            if (const auto value = ini.value(section, key)) {
                copy.set(section, key, *value);
            }
        }
    }
    faderix::IniFile::parse(copy.text());
    faderix::parseProfileInt(text);
    return 0;
}
