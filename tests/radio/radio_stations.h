// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Fills the Radio page's station list as a user's saved list would be: named stations, one of them selected.

#include "channels/channel_list_editor.h"
#include "radio/radio_page.h"

#include <QString>

#include <cstdint>
#include <initializer_list>
#include <utility>

struct NamedStation {
    const char* name;
    std::int32_t frequency;
};

inline void FillStations(RadioPage& page, std::initializer_list<NamedStation> stations, int selected,
                         bool checked) {
    RadioStationList& list = page.stations();
    for (const NamedStation& station : stations) {
        ChannelEntry entry = ChannelEntry::MakeRadio(station.frequency);
        entry.name = QString::fromLatin1(station.name);
        entry.enabled = checked;
        list.list().append(entry);
    }
    list.list().select(selected);
    list.showEntries();
}
