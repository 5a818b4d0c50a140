// SPDX-License-Identifier: GPL-2.0-or-later
// Which page is shown has one answer, the main window's, also while the main window itself is hidden.
#include "app/main_form.h"
#include "channels/channel_list_editor.h"
#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "platform/win/shell.h"
#include "recorded_calls.h"
#include "tv/tv_page.h"
#include "view/video_window_form.h"

#include <QTabWidget>

#include <gtest/gtest.h>

#include <string>

TEST(PageShown, TheVideoWindowsArrowsTuneTheTVListWhileTheMainWindowIsHidden) {
    VirtualClock clock;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
    TMainForm form(TMainForm::Services{clock, boxes, shell, RECORDING_PLUGIN});
    TVideoWindowForm videoWindow(form);
    form.setVideoWindow(&videoWindow);
    TVChannelList& channels = form.tvPage()->channels();
    channels.TVAddChanButtonClick();
    channels.TVAddChanButtonClick();
    for (int i = 0; i < channels.list().count(); ++i) {
        channels.list().at(i).enabled = true;
    }
    form.show();
    form.pageControl()->setCurrentIndex(TMainForm::TVPageIndex);
    ASSERT_TRUE(form.isPageShown(TMainForm::TVPageIndex));

    // The user watches TV in the video window and hides the main window from its menu.
    form.hideMainWindow();
    EXPECT_TRUE(form.isPageShown(TMainForm::TVPageIndex)) << "hiding the window leaves no page";
    TakeRecordedCalls();
    clock.clearSleeps();
    videoWindow.FormKeyDown(Qt::Key_Right);
    EXPECT_EQ(channels.list().selectedIndex(), 0);
    EXPECT_EQ(TakeRecordedCalls(), "ActionPreset TV_Mute;ActionPreset TV_Unmute;")
        << "the channel the key selected is tuned, between the two presets";
    EXPECT_EQ(clock.sleeps(), (std::vector<std::uint32_t>{200, 100})) << "the mixer's wait, then the tuner's";

    // On another page the list selects without tuning, whichever way the window stands.
    form.showMainWindow();
    form.pageControl()->setCurrentIndex(TMainForm::AboutPageIndex);
    TakeRecordedCalls();
    channels.TVChanUpDownChangingEx(StepDirection::Up);
    EXPECT_EQ(channels.list().selectedIndex(), 1);
    EXPECT_EQ(TakeRecordedCalls(), "");
    form.close();
    EXPECT_FALSE(form.isPageShown(TMainForm::AboutPageIndex)) << "a closed window shows no page";
}
