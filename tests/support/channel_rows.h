// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// For the channel lists' tests: a list's entries as rows of frequency, check mark and name, so one
// expectation compares a whole list; frequencies in MHz; stations made in one line.

#include "channels/channel_list.h"

#include <ostream>
#include <vector>

struct Row {
    std::int32_t freq;
    bool enabled;
    QString name;
    friend bool operator==(const Row&, const Row&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Row& row) {
        return out << row.freq << (row.enabled ? " checked " : " unchecked ") << row.name.toStdString();
    }
};

constexpr std::int32_t MHz(double mhz) {
    return static_cast<std::int32_t>(mhz * 1000000.0 + 0.5);
}

inline ChannelEntry Station(const char* name, std::int32_t freq, bool enabled = true) {
    ChannelEntry entry = ChannelEntry::MakeRadio(freq);
    entry.name = QString::fromUtf8(name);
    entry.enabled = enabled;
    return entry;
}

inline std::vector<Row> Rows(const ChannelList& list) {
    std::vector<Row> rows;
    for (const ChannelEntry& entry : list.entries()) {
        rows.push_back({entry.freq, entry.enabled, entry.name});
    }
    return rows;
}
