#pragma once
// One TTunerTools on the virtual TV card through the media engine, with the card's first video and audio
// capture devices and a card definition a test may change first.

#include "platform/devices/virtual/card_definition.h"
#include "platform/devices/virtual/virtual_card.h"
#include "platform/devices/virtual/virtual_card_provider.h"
#include "platform/media/gst/engine_setup.h"
#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "tv/tuner_platform.h"
#include "tv/tuner_tools.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

inline RefPtr<IMoniker> FirstDevice(ICreateDevEnum* devices, const Guid& category) {
    RefPtr<IEnumMoniker> monikers;
    IMoniker* first = nullptr;
    if (devices->CreateClassEnumerator(category, monikers.put(), 0) != S_OK ||
        monikers->Next(1, &first, nullptr) != S_OK) {
        return {};
    }
    return RefPtr<IMoniker>::adopt(first);
}

struct CardTools {
    explicit CardTools(const std::function<void(CardDefinition&)>& arrange = {}) {
        EnsureGstInitialised();
        CardDefinition definition = BuiltInCardDefinition();
        if (arrange) {
            arrange(definition);
        }
        devices = MakeDeviceEnum({MakeVirtualCardProvider(std::make_shared<VirtualCard>(definition))});
        video = FirstDevice(devices.get(), CLSID_VideoInputDeviceCategory);
        audio = FirstDevice(devices.get(), CLSID_AudioInputDeviceCategory);
        tools.audioWanted = true;
    }
    std::vector<std::string> shown() const {
        std::vector<std::string> texts;
        for (const auto& box : boxes.shown()) {
            texts.push_back(box.text.toStdString());
        }
        return texts;
    }
    bool showedBoxStartingWith(const std::string& text) const {
        for (const auto& box : shown()) {
            if (box.rfind(text, 0) == 0) {
                return true;
            }
        }
        return false;
    }
    void select() { tools.SelectSources(video.get(), audio.get()); }

    RefPtr<ICreateDevEnum> devices;
    RefPtr<IMoniker> video;
    RefPtr<IMoniker> audio;
    std::unique_ptr<TunerPlatform> platform = MakeEngineTunerPlatform();
    RecordingMessageBoxes boxes;
    VirtualClock clock;
    VideoTargetRecord target;
    TTunerTools tools{&target, TTunerTools::Services{*platform, boxes, clock}};
};
