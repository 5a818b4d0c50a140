// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The wave format tags of the sound the AVI multiplexer takes, with the GStreamer media type each stands for
// and the name a format description gives it. One table for both directions: the engine tags an encoder's
// output by its caps, the format label names the tag.

#include "platform/media/capture_interfaces.h"

#include <string_view>

struct WaveFormatTag {
    WORD tag;
    const char* name;
    const char* caps;
    // A caps field that tells apart formats of one media type, and its value; null when there is none.
    const char* field;
    int value;
};

inline constexpr WaveFormatTag kWaveFormatTags[] = {
    {WAVE_FORMAT_PCM, "PCM", "audio/x-raw", nullptr, 0},
    {0x0006, "A-Law", "audio/x-alaw", nullptr, 0},
    {0x0007, "u-Law", "audio/x-mulaw", nullptr, 0},
    {0x0050, "MPEG Layer-2", "audio/mpeg", "layer", 2},
    {0x0055, "MPEG Layer-3", "audio/mpeg", "layer", 3},
    {0x00FF, "AAC", "audio/mpeg", "mpegversion", 4},
    {0x0160, "Windows Media Audio", "audio/x-wma", "wmaversion", 1},
    {0x0161, "Windows Media Audio 2", "audio/x-wma", "wmaversion", 2},
    {0x2000, "AC-3", "audio/x-ac3", nullptr, 0},
};

// The name of a tag; null for one not in the table.
inline const char* WaveFormatTagName(WORD tag) {
    for (const WaveFormatTag& entry : kWaveFormatTags) {
        if (entry.tag == tag) {
            return entry.name;
        }
    }
    return nullptr;
}
