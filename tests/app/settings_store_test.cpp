// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/settings_store.h"
#include "channels/channel_list_editor.h"
#include "components/dev_cmb_pickers.h"
#include "list_device_provider.h"
#include "platform/registry/registry.h"
#include "recording_channel_view.h"
#include "tv/compressor_options.h"

#include <QTemporaryDir>

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

namespace {

// The main window's part that the settings touch, as the main window sets it up before loading.
struct Window {
    Window() {
        for (QComboBox* res : {&captureRes, &previewRes}) {
            res->addItems({"320x240", "352x288", "384x288", "704x576", "720x576", "768x576"});
        }
        previewRes.setCurrentIndex(3);
        captureRes.setCurrentIndex(1);
    }
    SettingsTargets targets() {
        return {&videoCapture, &captureRes, &previewRes, &videoCompression, &audioCompression, &tv, &tuner,
                &tvAudio,      &crossbar,   &radio,      &exitInputPin};
    }

    EventLog log;
    RecordingChannelView tvView{log};
    RecordingChannelView radioView{log};
    LoggingClock clock{log};
    TVideoCaptureDevCombo videoCapture{nullptr,
                                       ListDevices(CLSID_VideoInputDeviceCategory, {"Card A", "Card B"})};
    QComboBox captureRes;
    QComboBox previewRes;
    TVideoCompressionDevCombo videoCompression{nullptr,
                                               ListDevices(CLSID_VideoCompressorCategory, {"MJPEG", "H264"})};
    TAudioCompressionDevCombo audioCompression{nullptr, ListDevices(CLSID_AudioCompressorCategory, {"MP3"})};
    TTVTunerDevCombo tuner{nullptr, ListDevices(AM_KSCATEGORY_TVTUNER, {"Tuner"})};
    TTVAudioDevCombo tvAudio{nullptr, ListDevices(AM_KSCATEGORY_TVAUDIO, {})};
    TVideoCrossbarDevCombo crossbar{nullptr, ListDevices(AM_KSCATEGORY_CROSSBAR, {"Xbar 1", "Xbar 2"})};
    TVChannelList tv{tvView, nullptr, clock, QLocale::c()};
    RadioStationList radio{radioView, nullptr, clock, QLocale::c()};
    std::int32_t exitInputPin = -1;
};

ChannelEntry Channel(const QString& name, std::int32_t freq, bool enabled) {
    ChannelEntry entry = ChannelEntry::MakeTV(freq, 0x20);
    entry.name = name;
    entry.enabled = enabled;
    entry.brightness = 1;
    entry.contrast = 2;
    entry.hue = 3;
    entry.saturation = 10000;
    return entry;
}

class SettingsStoreTest : public ::testing::Test {
protected:
    std::filesystem::path path() const {
        return std::filesystem::path(dir_.path().toStdString()) / "registry.sqlite";
    }
    // Direct access to the stored keys, as another tool would have it.
    Registry Store() const { return Registry(path()); }

    QTemporaryDir dir_;
};

TEST_F(SettingsStoreTest, FirstStartKeepsDefaultsAndCreatesTheKeys) {
    Window w;
    w.exitInputPin = 7;
    LoadSettings(w.targets(), path());
    EXPECT_EQ(w.previewRes.currentIndex(), 3);
    EXPECT_EQ(w.captureRes.currentIndex(), 1);
    EXPECT_EQ(w.videoCapture.currentIndex(), 0);
    EXPECT_EQ(w.videoCompression.currentIndex(), 0);
    EXPECT_EQ(w.tv.list().count(), 0);
    EXPECT_EQ(w.radio.list().count(), 0);
    EXPECT_EQ(w.exitInputPin, -1);
    Registry reg(path());
    for (const char* key : {"TV", "Channels", "Radio", "Stations"}) {
        EXPECT_TRUE(reg.OpenKey(std::string("Software\\Pellworth\\Corvane\\") + key, false)) << key;
    }
}

TEST_F(SettingsStoreTest, EverythingSurvivesASaveAndALoad) {
    const QString unicode =
        QString::fromUtf8("Ch\xc3\xa4nnel \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x93\xba \\ \"x\"");
    const QString longName(5000, QChar(0x00e9));
    {
        Window w;
        w.videoCapture.SetDevice("Card B");
        w.captureRes.setCurrentIndex(5);
        w.previewRes.setCurrentIndex(0);
        w.videoCompression.SetCodec("H264");
        w.crossbar.SetDevice("Xbar 2");
        w.exitInputPin = 4;
        w.tv.list().replaceAll(
            {Channel(unicode, 471250000, true), Channel("", 50000, false), Channel(longName, 1, true)});
        w.tv.list().select(1);
        ChannelEntry station = ChannelEntry::MakeRadio(95500000);
        station.name = "FM";
        station.enabled = true;
        w.radio.list().replaceAll({station});
        w.radio.list().select(-1);
        SaveSettings(w.targets(), path());
    }
    Window w;
    LoadSettings(w.targets(), path());
    EXPECT_EQ(w.videoCapture.GetDevice(), "Card B");
    EXPECT_EQ(w.captureRes.currentIndex(), 5);
    EXPECT_EQ(w.previewRes.currentIndex(), 0);
    EXPECT_EQ(w.videoCompression.GetCodec(), "H264");
    EXPECT_EQ(w.audioCompression.GetCodec(), "<no compression>");
    EXPECT_EQ(w.crossbar.GetDevice(), "Xbar 2");
    EXPECT_EQ(w.tvAudio.GetDevice(), "<not available>");
    EXPECT_EQ(w.exitInputPin, 4);
    ASSERT_EQ(w.tv.list().count(), 3);
    EXPECT_EQ(w.tv.list().at(0), Channel(unicode, 471250000, true));
    EXPECT_EQ(w.tv.list().at(1), Channel("", 50000, false)); // stored as it was; clamped only when tuned
    EXPECT_EQ(w.tv.list().at(2).name, longName);
    EXPECT_EQ(w.tv.list().selectedIndex(), 1);
    EXPECT_EQ(w.tvView.nameShow, "");
    ASSERT_EQ(w.radio.list().count(), 1);
    EXPECT_EQ(w.radio.list().at(0).name, "FM");
    EXPECT_TRUE(w.radio.list().at(0).enabled);
    EXPECT_EQ(w.radio.list().at(0).freq, 95500000);
    EXPECT_EQ(w.radio.list().selectedIndex(), -1);

    // Stations store nothing of the picture.
    Registry reg(path());
    ASSERT_TRUE(reg.OpenKey("Software\\Pellworth\\Corvane\\Stations\\Station1", false));
    EXPECT_FALSE(reg.ReadInteger("PalSecam"));
    ASSERT_TRUE(reg.OpenKey("Software\\Pellworth\\Corvane\\TV", false));
    EXPECT_EQ(reg.ReadString("DeviceName"), "Card B");
    EXPECT_EQ(reg.ReadInteger("DeviceIndex"), 1);
    ASSERT_TRUE(reg.OpenKey("Software\\Pellworth\\Corvane\\Radio", false));
    EXPECT_EQ(reg.ReadString("AudioName"), "<not available>");
    EXPECT_EQ(reg.ReadInteger("AudioIndex"), -1);
}

TEST_F(SettingsStoreTest, ASaveOfOneListLeavesEverythingElseAsStored) {
    {
        Window w;
        w.captureRes.setCurrentIndex(5);
        w.crossbar.SetDevice("Xbar 2");
        w.exitInputPin = 4;
        w.tv.list().replaceAll({Channel("Old", 471250000, true)});
        ChannelEntry station = ChannelEntry::MakeRadio(95500000);
        station.name = "FM";
        w.radio.list().replaceAll({station});
        SaveSettings(w.targets(), path());
    }
    // What a command that searched the TV list saves.
    {
        Window w;
        SettingsTargets tvOnly;
        tvOnly.tvChannels = &w.tv;
        w.tv.list().replaceAll({Channel("New", 175250000, true), Channel("Two", 183250000, false)});
        ASSERT_TRUE(SaveSettings(tvOnly, path()));
    }
    Window w;
    LoadSettings(w.targets(), path());
    ASSERT_EQ(w.tv.list().count(), 2);
    EXPECT_EQ(w.tv.list().at(0), Channel("New", 175250000, true));
    EXPECT_EQ(w.captureRes.currentIndex(), 5);
    EXPECT_EQ(w.previewRes.currentIndex(), 3);
    EXPECT_EQ(w.crossbar.GetDevice(), "Xbar 2");
    EXPECT_EQ(w.exitInputPin, 4);
    ASSERT_EQ(w.radio.list().count(), 1);
    EXPECT_EQ(w.radio.list().at(0).name, "FM");
}

TEST_F(SettingsStoreTest, AShrunkListLeavesExactlyItsSubkeys) {
    Window w;
    for (int size : {5, 3}) {
        std::vector<ChannelEntry> entries;
        for (int i = 0; i < size; ++i) {
            entries.push_back(Channel(QString::number(i), 100000000 + i, true));
        }
        w.tv.list().replaceAll(entries);
        SaveSettings(w.targets(), path());
    }
    Registry reg(path());
    ASSERT_TRUE(reg.OpenKey("Software\\Pellworth\\Corvane\\Channels", false));
    EXPECT_EQ(reg.GetKeyNames(), (std::vector<std::string>{"Channel1", "Channel2", "Channel3"}));
    EXPECT_EQ(reg.ReadInteger("Count"), 3);
    EXPECT_FALSE(reg.OpenKey("Software\\Pellworth\\Corvane\\Channels\\Channel4\\", false));
}

TEST_F(SettingsStoreTest, DamagedValuesFallBackEntryByEntry) {
    {
        Registry reg(path());
        reg.OpenKey("Software\\Pellworth\\Corvane\\Channels", true);
        reg.WriteInteger("Count", 3);
        reg.WriteInteger("LastIndex", 1);
        reg.OpenKey("Software\\Pellworth\\Corvane\\Channels\\Channel1", true);
        reg.WriteString("Name", "One");
        reg.WriteString("Freq", "not a number");
        reg.OpenKey("Software\\Pellworth\\Corvane\\Channels\\Channel2", true);
        reg.WriteInteger("Name", 42);
        reg.WriteInteger("Enabled", 5);
        reg.OpenKey("Software\\Pellworth\\Corvane\\Stations", true);
        reg.WriteInteger("Count", 1);
        reg.OpenKey("Software\\Pellworth\\Corvane\\Stations\\Station1", true);
        reg.WriteInteger("Name", 1);
        reg.OpenKey("Software\\Pellworth\\Corvane\\TV", true);
        reg.WriteInteger("DeviceName", 0); // not text: the index decides
        reg.WriteInteger("DeviceIndex", 1);
        reg.WriteInteger("PreviewResIndex", 99);
        reg.OpenKey("Software\\Pellworth\\Corvane\\Radio", true);
        reg.WriteString("CrossbarName", "Gone"); // a name no device has: the index is not consulted
        reg.WriteInteger("CrossbarIndex", 1);
    }
    Window w;
    LoadSettings(w.targets(), path());
    EXPECT_EQ(w.videoCapture.currentIndex(), 1);
    EXPECT_EQ(w.crossbar.currentIndex(), 0);
    EXPECT_EQ(w.previewRes.currentIndex(), 3);
    ASSERT_EQ(w.tv.list().count(), 3);
    EXPECT_EQ(w.tv.list().at(0).name, "One");
    EXPECT_EQ(w.tv.list().at(0).freq, 100000000);
    EXPECT_EQ(w.tv.list().at(1).name, "Channel 2");
    EXPECT_TRUE(w.tv.list().at(1).enabled);
    ChannelEntry blank = ChannelEntry::MakeTV(100000000, 0); // the missing third subkey
    EXPECT_EQ(w.tv.list().at(2), blank);
    EXPECT_EQ(w.tv.list().selectedIndex(), 1);
    EXPECT_EQ(w.tvView.description, "Channel 2");
    ASSERT_EQ(w.radio.list().count(), 1);
    EXPECT_EQ(w.radio.list().at(0).name, "Station 1");
}

TEST_F(SettingsStoreTest, AStoredIndexOneBeyondTheLastItemLeavesEachComboAsItWas) {
    Window w;
    struct Stored {
        const char* key;
        const char* value;
        const char* name; // the picker's name value, stored as a number so that the index decides
        QComboBox* combo;
    };
    const std::vector<Stored> stored = {
        {"TV", "DeviceIndex", "DeviceName", &w.videoCapture},
        {"TV", "CaptureResIndex", nullptr, &w.captureRes},
        {"TV", "PreviewResIndex", nullptr, &w.previewRes},
        {"TV", "VideoCompressIndex", nullptr, &w.videoCompression},
        {"TV", "AudioCompressIndex", nullptr, &w.audioCompression},
        {"Radio", "TunerIndex", "TunerName", &w.tuner},
        {"Radio", "AudioIndex", "AudioName", &w.tvAudio},
        {"Radio", "CrossbarIndex", "CrossbarName", &w.crossbar},
    };
    std::vector<int> before;
    {
        Registry reg(path());
        for (const Stored& item : stored) {
            before.push_back(item.combo->currentIndex());
            reg.OpenKey(std::string("Software\\Pellworth\\Corvane\\") + item.key, true);
            reg.WriteInteger(item.value, item.combo->count());
            if (item.name) {
                reg.WriteInteger(item.name, 0);
            }
        }
    }
    LoadSettings(w.targets(), path());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(stored[i].combo->currentIndex(), before[i]) << stored[i].value;
    }
}

TEST_F(SettingsStoreTest, HostileCountsAndIndexesAreBounded) {
    for (std::int32_t lastIndex : {-1, 1 + kCountBeyondSubkeys, 2147483647}) {
        {
            Registry reg(path());
            reg.OpenKey("Software\\Pellworth\\Corvane\\Channels", true);
            reg.WriteInteger("Count", 2147483647);
            reg.WriteInteger("LastIndex", lastIndex);
            reg.OpenKey("Software\\Pellworth\\Corvane\\Channels\\Channel1", true);
            reg.WriteString("Name", "Only");
            reg.OpenKey("Software\\Pellworth\\Corvane\\Stations", true);
            reg.WriteInteger("Count", -5);
        }
        Window w;
        w.tvView.description = "stale";
        LoadSettings(w.targets(), path());
        EXPECT_EQ(w.tv.list().count(), 1 + kCountBeyondSubkeys);
        EXPECT_EQ(w.tv.list().at(0).name, "Only");
        EXPECT_EQ(w.tv.list().selectedIndex(), -1) << lastIndex;
        EXPECT_EQ(w.tvView.description, "") << lastIndex;
        EXPECT_EQ(w.radio.list().count(), 0);
        std::filesystem::remove(path());
    }
}

TEST_F(SettingsStoreTest, ASaveThatCannotTakeTheFileWritesNothing) {
    Window w;
    w.tv.list().replaceAll({Channel("Kept", 100000000, true)});
    SaveSettings(w.targets(), path());

    // Another program holds the file for writing while the list is saved. Waiting for the lock value by
    // value would keep the closing window frozen for minutes (this test would time out).
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    std::vector<ChannelEntry> entries;
    for (int i = 0; i < 200; ++i) {
        entries.push_back(Channel(QString::number(i), 100000000, false));
    }
    w.tv.list().replaceAll(entries);
    VirtualClock clock;
    SaveSettings(w.targets(), path(), &clock);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    Window again;
    LoadSettings(again.targets(), path());
    ASSERT_EQ(again.tv.list().count(), 1);
    EXPECT_EQ(again.tv.list().at(0).name, "Kept");
}

TEST_F(SettingsStoreTest, ADamagedDatabaseStartsWithDefaultsAndIsNotOverwritten) {
    std::ofstream(path(), std::ios::binary) << "SQLite format 3 - but not really";
    Window w;
    LoadSettings(w.targets(), path());
    EXPECT_EQ(w.tv.list().count(), 0);
    EXPECT_EQ(w.previewRes.currentIndex(), 3);
    w.tv.TVAddChanButtonClick();
    SaveSettings(w.targets(), path());

    std::filesystem::path damaged = path();
    damaged += ".damaged";
    std::ifstream in(damaged, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "SQLite format 3 - but not really");
    Window again;
    LoadSettings(again.targets(), path());
    ASSERT_EQ(again.tv.list().count(), 1);
    EXPECT_EQ(again.tv.list().at(0).name, "new channel");
}

} // namespace

namespace {

TEST_F(SettingsStoreTest, CompressorSettingsSurviveASaveAndALoadAndForgottenOnesGo) {
    CompressorOptions saved;
    saved.set("x264enc", {{"bitrate", "4000"}, {"speed-preset", "faster"}});
    saved.set("lamemp3enc", {{"target", "bitrate"}});
    SettingsTargets targets;
    targets.compressors = &saved;
    ASSERT_TRUE(SaveSettings(targets, path()));

    CompressorOptions loaded;
    targets.compressors = &loaded;
    LoadSettings(targets, path());
    EXPECT_EQ(loaded.all(), saved.all());

    // The page put lamemp3enc back to its own values: the next save leaves nothing of it.
    loaded.set("lamemp3enc", {});
    ASSERT_TRUE(SaveSettings(targets, path()));
    Registry store = Store();
    EXPECT_FALSE(store.OpenKey("Software\\Pellworth\\Corvane\\TV\\Compressors\\lamemp3enc", false));
    ASSERT_TRUE(store.OpenKey("Software\\Pellworth\\Corvane\\TV\\Compressors\\x264enc", false));
    EXPECT_EQ(store.ReadString("bitrate"), "4000");
}

TEST_F(SettingsStoreTest, ACompressorSettingStoredAsANumberIsSkipped) {
    {
        Registry reg(path());
        reg.OpenKey("Software\\Pellworth\\Corvane\\TV\\Compressors\\jpegenc", true);
        reg.WriteInteger("quality", 40);
        reg.WriteString("idct-method", "float");
    }
    CompressorOptions loaded;
    SettingsTargets targets;
    targets.compressors = &loaded;
    LoadSettings(targets, path());
    EXPECT_EQ(loaded.of("jpegenc"), (CompressorOptions::Settings{{"idct-method", "float"}}));
}

} // namespace
