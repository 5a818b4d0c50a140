// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace faderix {

// Reads and writes INI files with the parsing rules of the classic profile functions: section and key
// names compare without regard to case, whitespace around names and values is trimmed, one pair of
// surrounding quotes is stripped, ';' starts a comment line, and lines that are neither a section nor a
// key=value pair are ignored. Where a section or key occurs twice, the first one counts.
class IniFile {
public:
    static IniFile parse(std::string_view text);
    // A missing or unreadable file gives an empty IniFile.
    static IniFile load(const std::string& path);

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::string getString(std::string_view section, std::string_view key, std::string_view fallback) const;
    // The default applies only to a missing key; a present value without digits reads as 0.
    uint32_t getInt(std::string_view section, std::string_view key, uint32_t fallback) const;
    bool hasSection(std::string_view section) const;
    std::vector<std::string> sectionNames() const;

    void set(std::string_view section, std::string_view key, std::string_view value);

    // key=value lines with CRLF, sections in the order they were first set.
    std::string text() const;
    // Replaces the file atomically (temporary file, then rename). False if it could not be written.
    bool save(const std::string& path) const;

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    const Section* findSection(std::string_view name) const;

    std::vector<Section> sections_;
};

// An optional sign and the decimal digits up to the first non-digit, wrapping modulo 2^32; 0 without digits.
uint32_t parseProfileInt(std::string_view text);

bool equalsIgnoreCase(std::string_view a, std::string_view b);
std::string toUpper(std::string_view text);

} // namespace faderix
