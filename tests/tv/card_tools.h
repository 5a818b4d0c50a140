// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One TTunerTools on the virtual TV card through the media engine, with the card's first video and audio
// capture devices and a card definition a test may change first.

#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "tv/card_sound_engine.h"
#include "tv/tuner_platform.h"
#include "tv/tuner_tools.h"
#include "virtual_card_devices.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct CardTools {
    explicit CardTools(const std::function<void(CardDefinition&)>& arrange = {})
        : cardDevices(arrange), devices(cardDevices.devices) {
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
    // The card's first channel tuned for a preview that plays its sound through the media engine's
    // renderer; the channel.
    TvCarrier tuneFirstChannelWithSound() {
        CreateEngineCardSound(CardSoundRole::Video, tools.cardSound.put());
        select();
        tools.previewWanted = true;
        tools.PrepareTvTuner();
        const TvCarrier channel = card().definition().tv.at(0);
        tools.TuneFrequency(static_cast<std::int32_t>(channel.frequency));
        tools.RouteTunerInputs();
        return channel;
    }
    VirtualCard& card() const { return *cardDevices.card; }

    VirtualCardDevices cardDevices;
    RefPtr<ICreateDevEnum> devices;
    RefPtr<IMoniker> video;
    RefPtr<IMoniker> audio;
    std::unique_ptr<TunerPlatform> platform = MakeEngineTunerPlatform();
    RecordingMessageBoxes boxes;
    VirtualClock clock;
    VideoTargetRecord target;
    TTunerTools tools{&target, TTunerTools::Services{*platform, boxes, clock}};
};
