// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The controls a channel list edits, as the editor sees them. The page's widgets implement it; tests record.

#include "channel_list.h"

#include <QString>

#include <cstdint>
#include <optional>

class ChannelListView {
public:
    virtual ~ChannelListView() = default;

    // The list's items (texts and check marks) and its selection, after the entries changed.
    virtual void showEntries(const ChannelList& list) = 0;
    // One item's text after a rename.
    virtual void showEntryName(int index, const QString& name) = 0;
    virtual void showSelection(int index) = 0;

    virtual void setDescriptionText(const QString& text) = 0;
    virtual void setNameShowText(const QString& text) = 0;
    virtual QString frequencyText() const = 0;
    virtual void setFrequencyText(const QString& text) = 0;
    virtual void setTunningText(const QString& text) = 0;
    // Whether the list's page is the one shown; only then does selecting tune.
    virtual bool isPageVisible() const = 0;

    // Lists with picture settings only: select the standard picker's row of value (none when no row has it),
    // read the selected row's value, move the picture sliders to an entry's values.
    virtual void selectStandard(std::int32_t value) = 0;
    virtual std::optional<std::int32_t> selectedStandard() const = 0;
    virtual void showPicture(const ChannelEntry& entry) = 0;
};
