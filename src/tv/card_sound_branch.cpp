// SPDX-License-Identifier: GPL-2.0-or-later
// TTunerTools: the card's sound on the desktop's speakers, from the same capture as the recording.
#include "tuner_tools.h"

#include "platform/media/card_sound.h"

#include <cstdio>

void TTunerTools::RenderCardSound() {
    if (!cardSound || !audioWanted || !audioCapture) {
        return;
    }
    // The audio capture device has no preview pin: the builder puts a tee behind its capture pin, whose
    // capture output goes on to the recording (either order of rendering gives the same graph).
    HRESULT hr = graph->AddFilter(cardSound.get(), kCardSoundRendererName);
    if (SUCCEEDED(hr)) {
        hr = builder->RenderStream(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Audio, audioCapture.get(), nullptr,
                                   cardSound.get());
        if (FAILED(hr)) {
            graph->RemoveFilter(cardSound.get());
        }
    }
    if (FAILED(hr)) {
        std::fprintf(stderr, "corvane: the card's sound cannot be played: %s\n", FormatMessage(hr).c_str());
    }
}
