// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A channel list's view with nothing on screen, for loading and saving lists without a page (the command
// line, the settings fuzzer). It keeps the frequency text and the standard so the editor reads back what it
// wrote. A command that tunes through the list says its page is shown and where the picture values go.

#include "channel_list_view.h"

class HeadlessChannelListView : public ChannelListView {
public:
    void showEntries(const ChannelList&) override {}
    void showEntryName(int, const QString&) override {}
    void showSelection(int) override {}
    void setDescriptionText(const QString&) override {}
    void setNameShowText(const QString&) override {}
    QString frequencyText() const override { return text_; }
    void setFrequencyText(const QString& text) override { text_ = text; }
    void setTunningText(const QString&) override {}
    bool isPageVisible() const override { return false; }
    void selectStandard(std::int32_t value) override { standard_ = value; }
    std::optional<std::int32_t> selectedStandard() const override { return standard_; }
    void showPicture(const ChannelEntry&) override {}

private:
    QString text_;
    std::optional<std::int32_t> standard_;
};
