// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include "preset.h"

#include <string>

namespace faderix {

// Reads a preset file in either format: binary when its first four bytes count 1 to 9 items, INI text
// otherwise. A missing or unusable file gives an empty preset. Paths are not resolved here.
Preset readPresetFile(const std::string& path);

// The INI text that saving writes (CRLF lines).
std::string presetFileText(const Preset& preset);
// Replaces the file atomically, so a crash leaves either the old preset or the new one.
bool writePresetFile(const std::string& path, const Preset& preset);

// Binary layout: a 4-byte count, then one 140-byte record per item of which the first 76 bytes are used.
constexpr size_t kBinaryHeaderSize = 4;
constexpr size_t kBinaryItemStride = 140;
constexpr size_t kBinaryItemSize = 76;
constexpr uint32_t kMaxBinaryItems = 9;

} // namespace faderix
