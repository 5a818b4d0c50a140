// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The virtual TV card's devices for tests: a card from the built-in definition as a test changes it, the
// enumerator over it, and the first device of a category.

#include "platform/devices/virtual/card_definition.h"
#include "platform/devices/virtual/virtual_card.h"
#include "platform/devices/virtual/virtual_card_provider.h"
#include "platform/media/gst/engine_setup.h"

#include <functional>
#include <memory>

inline RefPtr<IMoniker> FirstDevice(ICreateDevEnum* devices, const Guid& category) {
    RefPtr<IEnumMoniker> monikers;
    IMoniker* first = nullptr;
    if (devices->CreateClassEnumerator(category, monikers.put(), 0) != S_OK ||
        monikers->Next(1, &first, nullptr) != S_OK) {
        return {};
    }
    return RefPtr<IMoniker>::adopt(first);
}

struct VirtualCardDevices {
    explicit VirtualCardDevices(const std::function<void(CardDefinition&)>& arrange = {}) {
        EnsureGstInitialised();
        CardDefinition definition = BuiltInCardDefinition();
        if (arrange) {
            arrange(definition);
        }
        card = std::make_shared<VirtualCard>(definition);
        devices = MakeDeviceEnum({MakeVirtualCardProvider(card)});
    }

    // A new enumerator over the same card at each call, as a page's pickers or the main window take it.
    std::function<HRESULT(ICreateDevEnum**)> factory() const {
        std::shared_ptr<VirtualCard> shared = card;
        return [shared](ICreateDevEnum** out) {
            *out = MakeDeviceEnum({MakeVirtualCardProvider(shared)}).detach();
            return S_OK;
        };
    }

    std::shared_ptr<VirtualCard> card;
    RefPtr<ICreateDevEnum> devices;
};
