// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The "..." buttons beside the compressor pickers: the compressor's own configuration dialog when it has
// one, otherwise its settings pages. Without a compressor, or one offering neither, nothing opens. What its
// page leaves set is stored for the compressor's kind in the tools' compressor options.

class PropertyFrames;
class TTunerTools;

void ShowVideoCompressorSettings(TTunerTools* tools, PropertyFrames& frames);
void ShowAudioCompressorSettings(TTunerTools* tools, PropertyFrames& frames);
