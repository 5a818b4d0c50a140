// SPDX-License-Identifier: GPL-2.0-or-later
#include "compressor_settings.h"

#include "property_frames.h"
#include "tuner_tools.h"

void ShowVideoCompressorSettings(TTunerTools* tools, PropertyFrames& frames) {
    if (!tools || !tools->videoCompressor) {
        return;
    }
    if (const RefPtr<IAMVfwCompressDialogs> dialogs = query<IAMVfwCompressDialogs>(tools->videoCompressor)) {
        dialogs->ShowDialog(VfwCompressDialog_Config, tools->dialogOwner);
        return;
    }
    frames.Open(tools->dialogOwner, tools->videoCompressor.get());
}

void ShowAudioCompressorSettings(TTunerTools* tools, PropertyFrames& frames) {
    if (!tools || !tools->audioCompressor) {
        return;
    }
    frames.Open(tools->dialogOwner, tools->audioCompressor.get());
}
