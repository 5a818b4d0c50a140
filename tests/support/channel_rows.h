#pragma once
// A list's entries as rows of frequency, check mark and name, so one expectation compares a whole list.

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

inline std::vector<Row> Rows(const ChannelList& list) {
    std::vector<Row> rows;
    for (const ChannelEntry& entry : list.entries()) {
        rows.push_back({entry.freq, entry.enabled, entry.name});
    }
    return rows;
}
