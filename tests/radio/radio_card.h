// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The virtual TV card's radio devices (tuner, TV audio, crossbar) from a card a test may change first.

#include "virtual_card_devices.h"

#include <functional>
#include <memory>

struct RadioCard : VirtualCardDevices {
    explicit RadioCard(const std::function<void(CardDefinition&)>& arrange = {})
        : VirtualCardDevices(arrange) {
        tuner = FirstDevice(devices.get(), AM_KSCATEGORY_TVTUNER);
        tvAudio = FirstDevice(devices.get(), AM_KSCATEGORY_TVAUDIO);
        crossbar = FirstDevice(devices.get(), AM_KSCATEGORY_CROSSBAR);
    }

    RefPtr<IMoniker> tuner;
    RefPtr<IMoniker> tvAudio;
    RefPtr<IMoniker> crossbar;
};

// Pins of the card's crossbar, as it lays them out.
constexpr int kAudioDecoderOutput = 1;
constexpr int kAudioTunerInput = 3;
constexpr int kAudioLineInput = 4;
