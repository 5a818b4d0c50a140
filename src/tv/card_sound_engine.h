// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The media engine's card-sound renderer for the pages and corvane-ctl, which reach the engine only here.

#include "platform/media/card_sound.h"

HRESULT CreateEngineCardSound(CardSoundRole role, IBaseFilter** renderer);
