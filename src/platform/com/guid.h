// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Class, interface and category identifiers, written and read in the registry's braced form.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};

    friend constexpr bool operator==(const Guid&, const Guid&) = default;

    // Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional, either letter case).
    static constexpr std::optional<Guid> parse(std::string_view text);
    // Compile-time form for identifiers written in the source; a malformed literal fails the build.
    static consteval Guid of(std::string_view text) {
        auto parsed = parse(text);
        if (!parsed) {
            throw "malformed GUID literal";
        }
        return *parsed;
    }

    bool isNull() const { return *this == Guid{}; }
    // "{33D9A762-90C8-11D0-BD43-00A0C911CE86}", upper case, as the platform prints it.
    std::string toString() const;
};

constexpr std::optional<Guid> Guid::parse(std::string_view text) {
    if (text.size() == 38 && text.front() == '{' && text.back() == '}') {
        text = text.substr(1, 36);
    }
    if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') {
        return std::nullopt;
    }
    auto hex = [&](std::size_t pos, std::size_t count, std::uint64_t& out) {
        out = 0;
        for (std::size_t i = pos; i < pos + count; ++i) {
            const char c = text[i];
            int digit = -1;
            if (c >= '0' && c <= '9') {
                digit = c - '0';
            } else if (c >= 'a' && c <= 'f') {
                digit = c - 'a' + 10;
            } else if (c >= 'A' && c <= 'F') {
                digit = c - 'A' + 10;
            }
            if (digit < 0) {
                return false;
            }
            out = out * 16 + static_cast<std::uint64_t>(digit);
        }
        return true;
    };
    Guid guid;
    std::uint64_t value = 0;
    if (!hex(0, 8, value)) {
        return std::nullopt;
    }
    guid.data1 = static_cast<std::uint32_t>(value);
    if (!hex(9, 4, value)) {
        return std::nullopt;
    }
    guid.data2 = static_cast<std::uint16_t>(value);
    if (!hex(14, 4, value)) {
        return std::nullopt;
    }
    guid.data3 = static_cast<std::uint16_t>(value);
    constexpr std::size_t kTailOffsets[8] = {19, 21, 24, 26, 28, 30, 32, 34};
    for (std::size_t i = 0; i < 8; ++i) {
        if (!hex(kTailOffsets[i], 2, value)) {
            return std::nullopt;
        }
        guid.data4[i] = static_cast<std::uint8_t>(value);
    }
    return guid;
}
