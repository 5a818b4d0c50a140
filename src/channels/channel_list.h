// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The ordered entries of one list and its selection (-1 when nothing is selected). The order is the user's:
// it is the order of storage and of stepping.

#include "channel_entry.h"

#include <vector>

// Directions of the steppers.
enum class StepDirection : int { None = 0, Up = 1, Down = 2 };

class ChannelList {
public:
    int count() const { return static_cast<int>(entries_.size()); }
    bool isEmpty() const { return entries_.empty(); }
    const ChannelEntry& at(int index) const { return entries_[static_cast<std::size_t>(index)]; }
    ChannelEntry& at(int index) { return entries_[static_cast<std::size_t>(index)]; }
    const std::vector<ChannelEntry>& entries() const { return entries_; }

    int selectedIndex() const { return selected_; }
    // An index outside the list selects nothing.
    void select(int index) { selected_ = index >= 0 && index < count() ? index : -1; }
    ChannelEntry* selectedEntry() {
        return selected_ >= 0 ? &entries_[static_cast<std::size_t>(selected_)] : nullptr;
    }

    void append(ChannelEntry entry) { entries_.push_back(std::move(entry)); }
    void replaceAll(std::vector<ChannelEntry> entries);
    void clear() { replaceAll({}); }
    void removeAt(int index);
    void swap(int a, int b);

    // The checked entry the channel stepper reaches from the selection (or from 0 when nothing is selected),
    // wrapping around; the starting entry itself when no other is checked. -1 for an empty list or no
    // direction.
    int stepTarget(StepDirection direction) const;

    // Stable: equal frequencies, and names equal but for case, keep their order. Check marks travel with
    // their entries; the selected index stays the same number.
    void sortByFrequency();
    void sortByName();

private:
    std::vector<ChannelEntry> entries_;
    int selected_ = -1;
};
