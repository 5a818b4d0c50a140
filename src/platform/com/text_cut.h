// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Fixed-size text fields of the platform's records hold multibyte (UTF-8) text: a cut must fall between
// characters, never inside one.

#include <cstddef>
#include <string_view>

// The longest prefix of text of at most maxBytes bytes that ends on a character boundary.
inline std::size_t CutLength(std::string_view text, std::size_t maxBytes) {
    std::size_t length = text.size() < maxBytes ? text.size() : maxBytes;
    if (length < text.size()) {
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
            --length;
        }
    }
    return length;
}
