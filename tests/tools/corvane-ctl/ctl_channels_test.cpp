// SPDX-License-Identifier: GPL-2.0-or-later
// corvane-ctl channels: the lists the program saved, read back line by line.
#include "app/settings_store.h"
#include "channels/channel_list_editor.h"
#include "ctl_channels.h"
#include "platform/win/clock.h"
#include "recording_channel_view.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

class CtlChannels : public ::testing::Test {
protected:
    std::string List(CtlChannelList which) {
        char* text = nullptr;
        std::size_t size = 0;
        std::FILE* out = open_memstream(&text, &size);
        EXPECT_EQ(ListChannels(which, out, registry), 0);
        std::fclose(out);
        std::string listed(text, size);
        std::free(text);
        return listed;
    }

    QTemporaryDir dir;
    std::filesystem::path registry = dir.filePath(QStringLiteral("registry.sqlite")).toStdString();
    EventLog log;
    RecordingChannelView view{log};
    VirtualClock clock;
};

TEST_F(CtlChannels, PrintsEachStoredEntryInListOrder) {
    TVChannelList tv(view, nullptr, clock, QLocale::c());
    RadioStationList radio(view, nullptr, clock, QLocale::c());
    ChannelEntry one = ChannelEntry::MakeTV(175250000, 16);
    one.name = QStringLiteral("Zwei\tkanal");
    one.enabled = true;
    ChannelEntry two = ChannelEntry::MakeTV(49750000, 16);
    two.name = QStringLiteral("Première\nchaîne");
    tv.list().replaceAll({one, two});
    ChannelEntry station = ChannelEntry::MakeRadio(104600000);
    station.name = QStringLiteral("Talk Radio");
    station.enabled = true;
    radio.list().replaceAll({station});
    SettingsTargets targets;
    targets.tvChannels = &tv;
    targets.radioStations = &radio;
    ASSERT_TRUE(SaveSettings(targets, registry, &clock));

    // Names keep their letters; a tab or line break in one would split its line, so it becomes a space.
    EXPECT_EQ(List(CtlChannelList::TV), "0\t1\t175250000\tZwei kanal\n1\t0\t49750000\tPremière chaîne\n");
    EXPECT_EQ(List(CtlChannelList::Radio), "0\t1\t104600000\tTalk Radio\n");
}

TEST_F(CtlChannels, NothingStoredListsNothing) {
    EXPECT_EQ(List(CtlChannelList::Radio), "");
}

TEST(CtlChannelsArguments, NeedsExactlyTvOrRadio) {
    std::string error;
    EXPECT_EQ(ParseCtlChannels({"tv"}, error), CtlChannelList::TV);
    EXPECT_EQ(ParseCtlChannels({"radio"}, error), CtlChannelList::Radio);
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{}, {"TV"}, {"fm"}, {"tv", "radio"}, {"radio", "--settle"}}) {
        error.clear();
        EXPECT_FALSE(ParseCtlChannels(wrong, error));
        EXPECT_EQ(error, "channels needs tv or radio");
    }
}

} // namespace
