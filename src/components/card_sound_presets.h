// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The mixer presets of a page that plays the card's sound: every mute preset also silences the card-sound
// stream, and every unmute preset brings it back, so retuning is quiet even when the presets are empty.
// The stream is muted before the mixer is and unmuted after it.

#include "mixer_presets.h"
#include "platform/media/card_sound.h"

#include <cstring>

class CardSoundPresets final : public MixerPresets {
public:
    CardSoundPresets(MixerPresets& mixer, const char* mutePreset, const char* unmutePreset)
        : mixer_(mixer), mutePreset_(mutePreset), unmutePreset_(unmutePreset) {}

    // The stream the presets act on; null while none plays. A stream handed over takes the last preset's
    // state.
    void setCardSound(ICardSound* sound) {
        sound_ = sound;
        if (sound_) {
            sound_->SetMuted(muted_);
        }
    }
    // Whether the last preset applied was the mute preset (true before any).
    bool muted() const { return muted_; }

    void ActionPreset(const char* name) override {
        const bool mute = std::strcmp(name, mutePreset_) == 0;
        const bool unmute = std::strcmp(name, unmutePreset_) == 0;
        if (mute) {
            setMuted(true);
        }
        mixer_.ActionPreset(name);
        if (unmute) {
            setMuted(false);
        }
    }
    void ActionSetup(const char* name) override { mixer_.ActionSetup(name); }

private:
    void setMuted(bool muted) {
        muted_ = muted;
        if (sound_) {
            sound_->SetMuted(muted);
        }
    }

    MixerPresets& mixer_;
    const char* mutePreset_;
    const char* unmutePreset_;
    ICardSound* sound_ = nullptr;
    bool muted_ = true;
};
