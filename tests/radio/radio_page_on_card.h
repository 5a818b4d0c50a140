// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Radio page on the virtual card with two stations, the card's carrier ("On air") and an empty
// frequency ("Nothing"), and presets that tell a test when each is applied.

#include "radio_card.h"
#include "radio_stations.h"

#include "channels/channel_list_editor.h"
#include "components/mixer_presets.h"
#include "error_boxes.h"
#include "radio/radio_page.h"
#include "recording_channel_view.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CallbackPresets final : public MixerPresets {
public:
    void ActionPreset(const char* name) override {
        applied.push_back(name);
        if (onPreset) {
            onPreset(name);
        }
    }
    void ActionSetup(const char*) override {}
    std::vector<std::string> applied;
    std::function<void(const std::string&)> onPreset;
};

struct RadioPageOnCard {
    void makePage() {
        page = std::make_unique<RadioPage>(
            clock, presets, boxes, [this] { return shown; }, nullptr, radio.factory());
        const RadioCarrier& carrier = radio.card->definition().radio.at(0);
        FillStations(*page, {{"On air", std::int32_t(carrier.frequency)}, {"Nothing", 107900000}}, 0, false);
    }
    void show() {
        shown = true;
        page->RadioTabSheetShow();
    }
    void leave() {
        page->leavePage();
        shown = false;
    }
    void select(int index) {
        page->stations().list().select(index);
        page->stations().RadioCheckListBoxClick();
    }

    RadioCard radio;
    EventLog log;
    LoggingClock clock{log};
    CallbackPresets presets;
    RecordingMessageBoxes boxes;
    bool shown = false;
    std::unique_ptr<RadioPage> page;
};
