#include "app/main_form.h"
#include "channels/channel_list_editor.h"
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

    std::unique_ptr<TMainForm> Open() {
        return std::make_unique<TMainForm>(
            TMainForm::Services{clock, boxes, shell, "no-such-folder/Faderix.so",
                                std::filesystem::path(dir.path().toStdString()) / "registry.sqlite"});
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

} // namespace
