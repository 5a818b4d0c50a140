// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The compressors' stored settings, under "TV\Compressors" below the program's key: one key per kind of
// compressor (its element's name, as "x264enc"), one text value per setting changed from the compressor's
// own, holding text the media framework parses back ("bitrate" = "4000"). A value stored as another type is
// skipped; whether a value suits the compressor is judged when it is bound.

#include <string>

class CompressorOptions;
class Registry;

void LoadCompressorOptions(Registry& reg, const std::string& baseKey, CompressorOptions* options,
                           bool canCreate);
void SaveCompressorOptions(Registry& reg, const std::string& baseKey, const CompressorOptions* options);
