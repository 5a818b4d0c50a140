// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What tells the TV channel list and the radio station list apart. The one editor reads everything that
// differs from here.

#include <cstdint>

struct ChannelListControlNames {
    const char* list;
    const char* nameEdit;
    const char* freqEdit;
    const char* freqUpDown;
    const char* tunningLabel;
    const char* nameShow;
    const char* upDown;
    const char* addButton;
    const char* delButton;
    const char* upButton;
    const char* downButton;
    const char* sortFreqButton;
    const char* sortNameButton;
    const char* searchButton;
    // The analog video standard picker; null for a list without standards.
    const char* standardPicker;
};

struct ChannelListKind {
    std::int32_t minFreq;
    std::int32_t maxFreq;
    // Added or taken away by one click of the frequency stepper.
    std::int32_t freqStep;
    const char* newEntryName;
    const char* mutePreset;
    const char* unmutePreset;
    // Entries carry an analog video standard and picture values, restored on selection.
    bool hasPicture;
    ChannelListControlNames controls;
};

extern const ChannelListKind kTVChannelList;
extern const ChannelListKind kRadioStationList;
