// SPDX-License-Identifier: GPL-2.0-or-later
#include "tv_audio_modes.h"

#include "tuner_tools.h"

const TvAudioModeItem kTvAudioModes[5] = {{"Mono", AMTVAUDIO_MODE_MONO},
                                          {"Stereo", AMTVAUDIO_MODE_STEREO},
                                          {"Lang A", AMTVAUDIO_MODE_LANG_A},
                                          {"Lang B", AMTVAUDIO_MODE_LANG_B},
                                          {"Lang C", AMTVAUDIO_MODE_LANG_C}};

TvAudioModeBox ReadTvAudioModes(IAMTVAudio* tvAudio) {
    TvAudioModeBox box;
    if (!tvAudio) {
        return box;
    }
    LONG supported = 0;
    if (FAILED(tvAudio->GetHardwareSupportedTVAudioModes(&supported))) {
        supported = 0;
    }
    for (const TvAudioModeItem& item : kTvAudioModes) {
        if (supported & item.mode) {
            box.items.push_back(item);
        }
    }
    LONG current = 0;
    if (SUCCEEDED(tvAudio->get_TVAudioMode(&current))) {
        for (std::size_t i = 0; i < box.items.size(); ++i) {
            if (box.items[i].mode == current) {
                box.selected = static_cast<int>(i);
            }
        }
    }
    box.enabled = true;
    return box;
}

void ChooseTvAudioMode(TTunerTools* tools, const TvAudioModeBox& box, int index) {
    if (!tools || index < 0 || index >= static_cast<int>(box.items.size())) {
        return;
    }
    tools->SetTvAudioMode(box.items[static_cast<std::size_t>(index)].mode);
}
