// SPDX-License-Identifier: GPL-2.0-or-later
#include "card_sound_engine.h"

#include "platform/media/gst/card_sound_renderer.h"

HRESULT CreateEngineCardSound(CardSoundRole role, IBaseFilter** renderer) {
    return CreateCardSoundRenderer(role, renderer);
}
