// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The "..." buttons beside the compressor pickers: the compressor's own configuration dialog when it has
// one, otherwise its settings pages. Without a compressor, or one offering neither, nothing opens.

class PropertyFrames;
class TTunerTools;

void ShowVideoCompressorSettings(TTunerTools* tools, PropertyFrames& frames);
void ShowAudioCompressorSettings(TTunerTools* tools, PropertyFrames& frames);
