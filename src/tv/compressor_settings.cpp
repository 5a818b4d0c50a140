// SPDX-License-Identifier: GPL-2.0-or-later
#include "compressor_settings.h"

#include "compressor_options.h"
#include "property_frames.h"
#include "tuner_tools.h"

namespace {

// Whatever the page left set (the new values after OK, the old ones put back after Cancel) is what the next
// recordings take.
void OpenAndRemember(TTunerTools* tools, PropertyFrames& frames, IBaseFilter* compressor) {
    if (frames.Open(tools->dialogOwner, compressor) && tools->compressorOptions) {
        RememberSettings(compressor, *tools->compressorOptions);
    }
}

} // namespace

void ShowVideoCompressorSettings(TTunerTools* tools, PropertyFrames& frames) {
    if (!tools || !tools->videoCompressor) {
        return;
    }
    if (const RefPtr<IAMVfwCompressDialogs> dialogs = query<IAMVfwCompressDialogs>(tools->videoCompressor)) {
        dialogs->ShowDialog(VfwCompressDialog_Config, tools->dialogOwner);
        return;
    }
    OpenAndRemember(tools, frames, tools->videoCompressor.get());
}

void ShowAudioCompressorSettings(TTunerTools* tools, PropertyFrames& frames) {
    if (!tools || !tools->audioCompressor) {
        return;
    }
    OpenAndRemember(tools, frames, tools->audioCompressor.get());
}
