// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/main_form.h"
#include "channels/channel_list_editor.h"
#include "list_device_provider.h"
#include "platform/registry/registry.h"
#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "platform/win/shell.h"
#include "radio/radio_page.h"
#include "tv/tv_page.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The main window as the program makes it, without a mixer plug-in and on a settings file of the test's own.
class MainWindowSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("CORVANE_DEVICES", "none", 1); }
    void TearDown() override { unsetenv("CORVANE_DEVICES"); }

    std::filesystem::path registry() const {
        return std::filesystem::path(dir.path().toStdString()) / "registry.sqlite";
    }
    std::unique_ptr<TMainForm> Open(DeviceEnumFactory devices = {}) {
        return std::make_unique<TMainForm>(TMainForm::Services{
            clock, boxes, shell, "no-such-folder/Faderix.so", registry(), std::move(devices)});
    }
    template <typename T> static T* Control(QWidget* page, const char* name) {
        return page->findChild<T*>(QString::fromLatin1(name));
    }

    QTemporaryDir dir;
    VirtualClock clock;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
};

TEST_F(MainWindowSettingsTest, ListsMadeOnThePagesComeBackAtTheNextStart) {
    {
        auto form = Open();
        TVPage* tv = form->tvPage();
        EXPECT_EQ(Control<QComboBox>(tv, "TVPrvResCombo")->currentIndex(), 3);
        EXPECT_EQ(Control<QComboBox>(tv, "TVCapResCombo")->currentIndex(), 1);
        EXPECT_EQ(Control<QComboBox>(tv, "TVChanPalSecamComboBox")->count(), 20);
        // No devices: the TV and Radio tabs are hidden, the compressor pickers still offer no compression.
        EXPECT_FALSE(form->isPageTabVisible(TMainForm::TVPageIndex));
        EXPECT_FALSE(form->isPageTabVisible(TMainForm::RadioPageIndex));
        EXPECT_EQ(Control<QComboBox>(tv, "TVVideoCompression")->currentText(), "<no compression>");

        Control<QPushButton>(tv, "TVAddChanButton")->click();
        Control<QLineEdit>(tv, "TVChanNameEdit")->setText("News");
        Control<QComboBox>(tv, "TVPrvResCombo")->setCurrentIndex(5);
        Control<QPushButton>(form->radioPage(), "RadioAddButton")->click();
        Control<QPushButton>(form->radioPage(), "RadioAddButton")->click();
        form->close();
    }
    auto form = Open();
    TVPage* tv = form->tvPage();
    auto* channels = Control<QListWidget>(tv, "TVChanCheckListBox");
    ASSERT_EQ(channels->count(), 1);
    EXPECT_EQ(channels->item(0)->text(), "News");
    EXPECT_EQ(channels->currentRow(), 0);
    EXPECT_EQ(Control<QLineEdit>(tv, "TVChanNameShow")->text(), "News");
    EXPECT_EQ(Control<QComboBox>(tv, "TVChanPalSecamComboBox")->currentText(), "PAL_B");
    EXPECT_EQ(Control<QComboBox>(tv, "TVPrvResCombo")->currentIndex(), 5);
    auto* stations = Control<QListWidget>(form->radioPage(), "RadioCheckListBox");
    ASSERT_EQ(stations->count(), 2);
    EXPECT_EQ(stations->currentRow(), 1);
    EXPECT_EQ(form->radioPage()->stations().list().at(1).name, "new station");
}

// Two devices in every category the settings name, so each picker shows whether it was restored.
DeviceEnumFactory TwoOfEach() {
    struct Category {
        Guid id;
        const char* first;
        const char* second;
    };
    DeviceProviderList providers;
    for (const Category& category : {Category{CLSID_VideoInputDeviceCategory, "Card A", "Card B"},
                                     Category{CLSID_VideoCompressorCategory, "MJPEG", "H264"},
                                     Category{CLSID_AudioCompressorCategory, "MP3", "AAC"},
                                     Category{AM_KSCATEGORY_TVTUNER, "Tuner A", "Tuner B"},
                                     Category{AM_KSCATEGORY_TVAUDIO, "Sound A", "Sound B"},
                                     Category{AM_KSCATEGORY_CROSSBAR, "Xbar A", "Xbar B"}}) {
        providers.push_back(std::make_shared<ListDeviceProvider>(
            category.id, std::vector<std::string>{category.first, category.second}));
    }
    return [providers](ICreateDevEnum** out) {
        *out = MakeDeviceEnum(providers).detach();
        return S_OK;
    };
}

// Every one of the eleven settings reaches its control at start and comes back from it at close. A control
// the main window no longer hands to the settings store would keep its default here, or write nothing.
TEST_F(MainWindowSettingsTest, EachOfTheElevenSettingsIsLoadedIntoAndSavedFromItsControl) {
    const std::string base = "Software\\Pellworth\\Corvane";
    {
        Registry reg(registry());
        reg.OpenKey(base + "\\TV", true);
        reg.WriteString("DeviceName", "Card B");
        reg.WriteInteger("CaptureResIndex", 4);
        reg.WriteInteger("PreviewResIndex", 0);
        reg.WriteInteger("VideoCompressIndex", 2);
        reg.WriteInteger("AudioCompressIndex", 1);
        reg.OpenKey(base + "\\Channels", true);
        reg.WriteInteger("Count", 2);
        reg.WriteInteger("LastIndex", 1);
        for (const char* name : {"One", "Two"}) {
            reg.OpenKey(base + "\\Channels\\Channel" + (name[0] == 'O' ? "1" : "2"), true);
            reg.WriteString("Name", name);
        }
        reg.OpenKey(base + "\\Radio", true);
        reg.WriteString("TunerName", "Tuner B");
        reg.WriteString("AudioName", "Sound B");
        reg.WriteString("CrossbarName", "Xbar B");
        reg.WriteInteger("ExitAudioSource", 3);
        reg.OpenKey(base + "\\Stations", true);
        reg.WriteInteger("Count", 1);
        reg.WriteInteger("LastIndex", 0);
        reg.OpenKey(base + "\\Stations\\Station1", true);
        reg.WriteString("Name", "FM One");
    }
    {
        auto form = Open(TwoOfEach());
        TVPage* tv = form->tvPage();
        RadioPage* radio = form->radioPage();
        EXPECT_EQ(tv->videoCaptureDevices()->GetDevice(), "Card B");
        EXPECT_EQ(tv->captureResolutions()->currentIndex(), 4);
        EXPECT_EQ(tv->previewResolutions()->currentIndex(), 0);
        EXPECT_EQ(tv->videoCompressors()->GetCodec(), "H264");
        EXPECT_EQ(tv->audioCompressors()->GetCodec(), "MP3");
        ASSERT_EQ(tv->channels().list().count(), 2);
        EXPECT_EQ(tv->channels().list().selectedIndex(), 1);
        EXPECT_EQ(radio->tunerDevices()->GetDevice(), "Tuner B");
        EXPECT_EQ(radio->audioDevices()->GetDevice(), "Sound B");
        EXPECT_EQ(radio->crossbarDevices()->GetDevice(), "Xbar B");
        EXPECT_EQ(radio->exitInputPin, 3);
        ASSERT_EQ(radio->stations().list().count(), 1);
        EXPECT_EQ(radio->stations().list().at(0).name, "FM One");

        tv->videoCaptureDevices()->SetDevice("Card A");
        tv->captureResolutions()->setCurrentIndex(2);
        tv->previewResolutions()->setCurrentIndex(5);
        tv->videoCompressors()->SetCodec("MJPEG");
        tv->audioCompressors()->SetCodec("AAC");
        tv->channels().TVDelChanButtonClick();
        radio->tunerDevices()->SetDevice("Tuner A");
        radio->audioDevices()->SetDevice("Sound A");
        radio->crossbarDevices()->SetDevice("Xbar A");
        radio->exitInputPin = 1;
        radio->stations().RadioAddButtonClick();
        form->close();
    }
    Registry reg(registry());
    ASSERT_TRUE(reg.OpenKey(base + "\\TV", false));
    EXPECT_EQ(reg.ReadString("DeviceName"), "Card A");
    EXPECT_EQ(reg.ReadInteger("DeviceIndex"), 0);
    EXPECT_EQ(reg.ReadInteger("CaptureResIndex"), 2);
    EXPECT_EQ(reg.ReadInteger("PreviewResIndex"), 5);
    EXPECT_EQ(reg.ReadInteger("VideoCompressIndex"), 1);
    EXPECT_EQ(reg.ReadInteger("AudioCompressIndex"), 2);
    ASSERT_TRUE(reg.OpenKey(base + "\\Channels", false));
    EXPECT_EQ(reg.ReadInteger("Count"), 1);
    ASSERT_TRUE(reg.OpenKey(base + "\\Channels\\Channel1", false));
    EXPECT_EQ(reg.ReadString("Name"), "One");
    ASSERT_TRUE(reg.OpenKey(base + "\\Radio", false));
    EXPECT_EQ(reg.ReadString("TunerName"), "Tuner A");
    EXPECT_EQ(reg.ReadString("AudioName"), "Sound A");
    EXPECT_EQ(reg.ReadString("CrossbarName"), "Xbar A");
    EXPECT_EQ(reg.ReadInteger("CrossbarIndex"), 0);
    EXPECT_EQ(reg.ReadInteger("ExitAudioSource"), 1);
    ASSERT_TRUE(reg.OpenKey(base + "\\Stations", false));
    EXPECT_EQ(reg.ReadInteger("Count"), 2);
    EXPECT_EQ(reg.ReadInteger("LastIndex"), 1);
    ASSERT_TRUE(reg.OpenKey(base + "\\Stations\\Station2", false));
    EXPECT_EQ(reg.ReadString("Name"), "new station");
}

} // namespace
