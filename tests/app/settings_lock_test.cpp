// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/settings_store.h"
#include "channels/channel_list_editor.h"
#include "platform/registry/registry.h"

#include "../platform/registry/file_holder.h"
#include "recording_channel_view.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The two lists are what a lost settings file costs the user.
struct Lists {
    SettingsTargets targets() {
        SettingsTargets targets;
        targets.tvChannels = &tv;
        targets.radioStations = &radio;
        return targets;
    }
    EventLog log;
    RecordingChannelView tvView{log};
    RecordingChannelView radioView{log};
    VirtualClock clock;
    TVChannelList tv{tvView, nullptr, clock, QLocale::c()};
    RadioStationList radio{radioView, nullptr, clock, QLocale::c()};
};

ChannelEntry Named(const char* name) {
    ChannelEntry entry = ChannelEntry::MakeTV(471250000, 0x10);
    entry.name = QString::fromLatin1(name);
    return entry;
}

class SettingsLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        Lists lists;
        lists.tv.list().replaceAll({Named("One"), Named("Two")});
        ASSERT_TRUE(SaveSettings(lists.targets(), path()));
    }
    std::filesystem::path path() const {
        return std::filesystem::path(dir_.path().toStdString()) / "registry.sqlite";
    }
    int storedChannels() const {
        Lists lists;
        LoadSettings(lists.targets(), path());
        return lists.tv.list().count();
    }

    QTemporaryDir dir_;
};

TEST_F(SettingsLockTest, AFileLockedAtStartIsKeptAndNotReplacedByDefaultsAtClose) {
    FileHolder holder(path(), "BEGIN EXCLUSIVE");
    ASSERT_TRUE(holder.held());
    ReleasingClock clock(holder, 0);
    Lists lists;
    EXPECT_FALSE(LoadSettings(lists.targets(), path(), &clock));
    EXPECT_EQ(lists.tv.list().count(), 0);
    EXPECT_GE(clock.waitedMs, kRegistryBusyTimeoutMs);
    holder.release();

    // The other program is gone by the close; the lists shown were never the stored ones.
    lists.tv.TVAddChanButtonClick();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(SaveSettings(lists.targets(), path(), &clock, false));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("not saved"), std::string::npos) << said;
    EXPECT_NE(said.find(path().string()), std::string::npos) << said;
    EXPECT_EQ(storedChannels(), 2);
    std::filesystem::path damaged = path();
    damaged += ".damaged";
    EXPECT_FALSE(std::filesystem::exists(damaged));
}

TEST_F(SettingsLockTest, AFileHeldOnlyForWritingIsReadInFull) {
    FileHolder holder(path(), "BEGIN IMMEDIATE");
    ASSERT_TRUE(holder.held());
    ReleasingClock clock(holder, 0);
    Lists lists;
    EXPECT_TRUE(LoadSettings(lists.targets(), path(), &clock));
    ASSERT_EQ(lists.tv.list().count(), 2);
    EXPECT_EQ(lists.tv.list().at(1).name, "Two");
}

TEST_F(SettingsLockTest, ASaveWaitsForTheFileAndGivesUpWithoutWritingAnything) {
    Lists lists;
    ASSERT_TRUE(LoadSettings(lists.targets(), path()));
    lists.tv.TVAddChanButtonClick();
    {
        FileHolder holder(path(), "BEGIN IMMEDIATE");
        ReleasingClock clock(holder, 3);
        EXPECT_TRUE(SaveSettings(lists.targets(), path(), &clock)) << "a lock let go within the wait";
        EXPECT_EQ(clock.waits, 3);
    }
    EXPECT_EQ(storedChannels(), 3);

    lists.tv.TVAddChanButtonClick();
    FileHolder holder(path(), "BEGIN IMMEDIATE");
    ReleasingClock clock(holder, 0);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(SaveSettings(lists.targets(), path(), &clock));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("another program holds the file"),
              std::string::npos);
    holder.release();
    EXPECT_EQ(storedChannels(), 3);
}

} // namespace
