// SPDX-License-Identifier: GPL-2.0-or-later
#include "channel_list.h"

#include <algorithm>
#include <utility>

void ChannelList::replaceAll(std::vector<ChannelEntry> entries) {
    entries_ = std::move(entries);
    selected_ = -1;
}

void ChannelList::removeAt(int index) {
    if (index < 0 || index >= count()) {
        return;
    }
    entries_.erase(entries_.begin() + index);
    select(selected_);
}

void ChannelList::swap(int a, int b) {
    if (a >= 0 && b >= 0 && a < count() && b < count()) {
        std::swap(entries_[static_cast<std::size_t>(a)], entries_[static_cast<std::size_t>(b)]);
    }
}

int ChannelList::stepTarget(StepDirection direction) const {
    const int n = count();
    if (n == 0 || direction == StepDirection::None) {
        return -1;
    }
    const int start = selected_ >= 0 ? selected_ : 0;
    const int delta = direction == StepDirection::Up ? 1 : n - 1;
    int i = start;
    do {
        i = (i + delta) % n;
    } while (!at(i).enabled && i != start);
    return i;
}

void ChannelList::sortByFrequency() {
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const ChannelEntry& a, const ChannelEntry& b) { return a.freq < b.freq; });
}

void ChannelList::sortByName() {
    std::stable_sort(entries_.begin(), entries_.end(), [](const ChannelEntry& a, const ChannelEntry& b) {
        return QString::compare(a.name, b.name, Qt::CaseInsensitive) < 0;
    });
}
