#pragma once
// The virtual TV card's radio devices (tuner, TV audio, crossbar) from a card a test may change first.

#include "platform/devices/virtual/card_definition.h"
#include "platform/devices/virtual/virtual_card.h"
#include "platform/devices/virtual/virtual_card_provider.h"
#include "platform/media/gst/engine_setup.h"

#include <functional>
#include <memory>

inline RefPtr<IMoniker> FirstRadioDevice(ICreateDevEnum* devices, const Guid& category) {
    RefPtr<IEnumMoniker> monikers;
    IMoniker* first = nullptr;
    if (devices->CreateClassEnumerator(category, monikers.put(), 0) != S_OK ||
        monikers->Next(1, &first, nullptr) != S_OK) {
        return {};
    }
    return RefPtr<IMoniker>::adopt(first);
}

struct RadioCard {
    explicit RadioCard(const std::function<void(CardDefinition&)>& arrange = {}) {
        EnsureGstInitialised();
        CardDefinition definition = BuiltInCardDefinition();
        if (arrange) {
            arrange(definition);
        }
        card = std::make_shared<VirtualCard>(definition);
        devices = MakeDeviceEnum({MakeVirtualCardProvider(card)});
        tuner = FirstRadioDevice(devices.get(), AM_KSCATEGORY_TVTUNER);
        tvAudio = FirstRadioDevice(devices.get(), AM_KSCATEGORY_TVAUDIO);
        crossbar = FirstRadioDevice(devices.get(), AM_KSCATEGORY_CROSSBAR);
    }

    // The enumerator a page's pickers take.
    std::function<HRESULT(ICreateDevEnum**)> factory() const {
        std::shared_ptr<VirtualCard> shared = card;
        return [shared](ICreateDevEnum** out) {
            *out = MakeDeviceEnum({MakeVirtualCardProvider(shared)}).detach();
            return S_OK;
        };
    }

    std::shared_ptr<VirtualCard> card;
    RefPtr<ICreateDevEnum> devices;
    RefPtr<IMoniker> tuner;
    RefPtr<IMoniker> tvAudio;
    RefPtr<IMoniker> crossbar;
};

// Pins of the card's crossbar, as it lays them out.
constexpr int kAudioDecoderOutput = 1;
constexpr int kAudioTunerInput = 3;
constexpr int kAudioLineInput = 4;
