// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A stored TV channel as the source of a command: the program's channel list, loaded as the program loads
// it, tunes the channel chosen by name exactly as a click on it does, with its frequency, video standard and
// picture values.

#include "channels/channel_list_editor.h"

#include <cstdio>
#include <memory>
#include <string>

class Clock;
class CtlMessageBoxes;
class TTunerTools;

class CtlStoredChannel {
public:
    explicit CtlStoredChannel(Clock& clock);
    ~CtlStoredChannel();

    // The list for SettingsTargets::tvChannels, filled by LoadSettings.
    ChannelListEditor& list() { return editor_; }

    // Selects the first channel of the list named name, or whose name channels tv prints so; false when
    // there is none.
    bool choose(const std::string& name);

    // Tunes the chosen channel on the opened device (named device in messages) and routes the tuner to the
    // decoder; a picture value or standard the device does not take is a warning. 0, or 1 after the error.
    int tune(TTunerTools& tools, CtlMessageBoxes& boxes, const std::string& device, std::FILE* err);

private:
    class CardView;
    class CheckedTuner;

    std::unique_ptr<CardView> view_;
    ChannelListEditor editor_;
};
