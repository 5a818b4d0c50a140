// SPDX-License-Identifier: LGPL-2.1-or-later
#include "ini_file.h"

#include "atomic_file.h"

#include <algorithm>
#include <cctype>

namespace faderix {

namespace {

std::string_view trim(std::string_view text) {
    const auto isSpace = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
    };
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view stripQuotes(std::string_view text) {
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front()) {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

} // namespace

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

std::string toUpper(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return result;
}

uint32_t parseProfileInt(std::string_view text) {
    text = trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    uint32_t result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        result = result * 10u + static_cast<uint32_t>(c - '0');
    }
    return negative ? 0u - result : result;
}

IniFile IniFile::parse(std::string_view text) {
    IniFile ini;
    Section* current = nullptr;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            const auto close = line.find(']');
            const std::string_view name =
                trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
            // A repeated section header continues the first one, as the profile functions read it.
            auto found = std::find_if(ini.sections_.begin(), ini.sections_.end(),
                                      [&](const Section& s) { return equalsIgnoreCase(s.name, name); });
            if (found == ini.sections_.end()) {
                ini.sections_.push_back({std::string(name), {}});
                current = &ini.sections_.back();
            } else {
                current = &*found;
            }
            continue;
        }
        const auto equals = line.find('=');
        if (current == nullptr || equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = trim(line.substr(0, equals));
        const std::string_view value = stripQuotes(trim(line.substr(equals + 1)));
        const bool known = std::any_of(current->entries.begin(), current->entries.end(),
                                       [&](const Entry& e) { return equalsIgnoreCase(e.key, key); });
        if (!known) {
            current->entries.push_back({std::string(key), std::string(value)});
        }
    }
    return ini;
}

IniFile IniFile::load(const std::string& path) {
    const auto contents = readWholeFile(path);
    return contents ? parse(*contents) : IniFile{};
}

const IniFile::Section* IniFile::findSection(std::string_view name) const {
    for (const Section& section : sections_) {
        if (equalsIgnoreCase(section.name, name)) {
            return &section;
        }
    }
    return nullptr;
}

bool IniFile::hasSection(std::string_view section) const {
    return findSection(section) != nullptr;
}

std::vector<std::string> IniFile::sectionNames() const {
    std::vector<std::string> names;
    for (const Section& section : sections_) {
        names.push_back(section.name);
    }
    return names;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    const Section* found = findSection(section);
    if (found == nullptr) {
        return std::nullopt;
    }
    for (const Entry& entry : found->entries) {
        if (equalsIgnoreCase(entry.key, key)) {
            return entry.value;
        }
    }
    return std::nullopt;
}

std::string IniFile::getString(std::string_view section, std::string_view key,
                               std::string_view fallback) const {
    return value(section, key).value_or(std::string(fallback));
}

uint32_t IniFile::getInt(std::string_view section, std::string_view key, uint32_t fallback) const {
    const auto text = value(section, key);
    return text ? parseProfileInt(*text) : fallback;
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
    auto found = std::find_if(sections_.begin(), sections_.end(),
                              [&](const Section& s) { return equalsIgnoreCase(s.name, section); });
    if (found == sections_.end()) {
        sections_.push_back({std::string(section), {}});
        found = sections_.end() - 1;
    }
    for (Entry& entry : found->entries) {
        if (equalsIgnoreCase(entry.key, key)) {
            entry.value = value;
            return;
        }
    }
    found->entries.push_back({std::string(key), std::string(value)});
}

// The reader trims values and strips one pair of quotes; a value that would lose something that way is
// written inside quotes. Line breaks cannot be stored and become spaces.
static std::string writtenValue(std::string value) {
    std::replace(value.begin(), value.end(), '\r', ' ');
    std::replace(value.begin(), value.end(), '\n', ' ');
    if (value != trim(value) || stripQuotes(value) != value) {
        return "\"" + value + "\"";
    }
    return value;
}

std::string IniFile::text() const {
    std::string out;
    for (const Section& section : sections_) {
        out += "[" + section.name + "]\r\n";
        for (const Entry& entry : section.entries) {
            out += entry.key + "=" + writtenValue(entry.value) + "\r\n";
        }
    }
    return out;
}

bool IniFile::save(const std::string& path) const {
    return writeFileAtomically(path, text());
}

} // namespace faderix
