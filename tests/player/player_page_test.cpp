// SPDX-License-Identifier: GPL-2.0-or-later
#include "player_test_support.h"

#include "platform/media/gst/effect_catalog.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QSlider>
#include <QTimer>

namespace {

class PlayerPageTest : public ::testing::Test {
protected:
    void SetUp() override { page.page.PlayerTabSheetShow(); }
    int EffectIndex(const QString& name) { return page.ui().EffectComboBox->findText(name); }
    void chooseEffect(int index) {
        page.ui().EffectComboBox->setCurrentIndex(index);
        page.page.EffectComboBoxChange();
    }

    GeneratedMedia media;
    PageHarness page;
};

TEST_F(PlayerPageTest, FirstShowCreatesThePlayerAndListsTheEffects) {
    ASSERT_NE(page.page.playerTools(), nullptr);
    auto& box = *page.ui().EffectComboBox;
    EXPECT_EQ(box.itemText(0), "<none>");
    EXPECT_EQ(box.count() - 1,
              std::min<int>(int(InstalledAudioEffects().size()), TPlayerTools::MaxListedEffects));
    EXPECT_EQ(box.currentIndex(), 0);
    EXPECT_FALSE(page.ui().DMOSettingsButton->isEnabled());
    EXPECT_FALSE(page.videoWindow.isVisible());
    EXPECT_TRUE(page.ui().OpenButton->isEnabled());
    EXPECT_FALSE(page.ui().PlayButton->isEnabled() || page.ui().PauseButton->isEnabled() ||
                 page.ui().StopButton->isEnabled());
    // Showing the page again keeps the same player.
    TPlayerTools* first = page.page.playerTools();
    page.page.PlayerTabSheetShow();
    EXPECT_EQ(page.page.playerTools(), first);
}

TEST_F(PlayerPageTest, OpeningThreeFilesMakesThemThePlaylistAndPlaysTheFirst) {
    QStringList files;
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
        files << WriteAudioFile(media.path(name), 1.0);
    }
    page.openFromDialog(files);
    auto& list = *page.ui().PlayCheckListBox;
    ASSERT_EQ(list.count(), 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(list.item(row)->text(), files[row]);
        EXPECT_EQ(list.item(row)->checkState(), Qt::Checked);
    }
    EXPECT_EQ(list.currentRow(), -1);
    EXPECT_TRUE(page.tools().started());
    EXPECT_EQ(page.page.currentFile(), files[0]);
    EXPECT_FALSE(page.ui().PlayButton->isEnabled());
    EXPECT_TRUE(page.ui().PauseButton->isEnabled());
    EXPECT_TRUE(page.ui().StopButton->isEnabled());
    EXPECT_TRUE(page.page.PlayerStatusTimer().isActive());
    EXPECT_EQ(page.ui().PlayerStatusBar->currentMessage(), "0:00:00 / 0:00:01 - a.wav");
    EXPECT_EQ(page.ui().PlayerStatusBar->toolTip(), page.ui().PlayerStatusBar->currentMessage());
}

TEST_F(PlayerPageTest, ACancelledDialogOrABadFileChangesNothing) {
    const QString tone = WriteAudioFile(media.path("tone.wav"), 1.0);
    page.openFromDialog({tone});
    page.page.StopButtonClick();
    page.openFromDialog({});
    page.openFromDialog({media.path("gone.avi")});
    EXPECT_EQ(page.ui().PlayCheckListBox->count(), 1);
    EXPECT_TRUE(page.ui().PlayButton->isEnabled());
    EXPECT_FALSE(page.ui().StopButton->isEnabled());
    EXPECT_TRUE(page.boxes.shown().empty());
}

TEST_F(PlayerPageTest, PauseTogglesAndTheButtonsFollowTheStateTable) {
    page.openFromDialog({WriteAudioFile(media.path("tone.wav"), 3.0)});
    page.settle();
    page.page.PauseButtonClick();
    EXPECT_TRUE(page.tools().paused());
    EXPECT_FALSE(page.page.PlayerStatusTimer().isActive());
    EXPECT_TRUE(page.ui().PauseButton->isEnabled());
    EXPECT_TRUE(page.ui().StopButton->isEnabled());
    page.settle();
    page.page.PauseButtonClick();
    EXPECT_FALSE(page.tools().paused());
    EXPECT_TRUE(page.page.PlayerStatusTimer().isActive());

    page.page.StopButtonClick();
    EXPECT_TRUE(page.ui().PlayButton->isEnabled());
    EXPECT_FALSE(page.ui().PauseButton->isEnabled() || page.ui().StopButton->isEnabled());
    EXPECT_FALSE(page.page.PlayerStatusTimer().isActive());
    EXPECT_EQ(page.position(), 0);
}

TEST_F(PlayerPageTest, AFileOpenedWhilePausedPlaysAndIsPausedWhenThePageIsLeft) {
    page.openFromDialog({WriteAudioFile(media.path("first.wav"), 3.0)});
    page.settle();
    page.page.PauseButtonClick();
    ASSERT_TRUE(page.tools().paused());
    page.openFromDialog({WriteAudioFile(media.path("second.wav"), 3.0)});
    EXPECT_FALSE(page.tools().paused());
    page.settle();
    page.page.leavePage();
    EXPECT_TRUE(page.tools().paused());
    page.settle();
    OAFilterState state;
    query<IMediaControl>(page.tools().graph())->GetState(0, &state);
    EXPECT_EQ(state, State_Paused);
}

TEST_F(PlayerPageTest, TheWheelStepsTenSecondsPerNotchAndStopsAtTheStart) {
    page.openFromDialog({WriteAudioFile(media.path("long.wav"), 50.0)});
    page.settle(); // pause acts only on a graph that has finished starting
    page.page.PauseButtonClick();
    page.settle();
    page.page.seekTo(4 * UnitsPerSecond);
    page.settle();
    auto wheel = [&](int delta) {
        page.page.FormMouseWheel(delta);
        page.settle();
        return double(page.position()) / UnitsPerSecond;
    };
    EXPECT_EQ(wheel(-120), 0.0);
    EXPECT_NEAR(wheel(120), 10.0, 0.05);
    // A touchpad reports a notch in parts: seven parts of 15 are not yet a step, the eighth makes one.
    for (int part = 0; part < 7; ++part) {
        EXPECT_NEAR(wheel(15), 10.0, 0.05);
    }
    EXPECT_NEAR(wheel(15), 20.0, 0.05);
    // A turn the other way starts a new count, and a large delta is as many notches as it holds.
    EXPECT_NEAR(wheel(60), 20.0, 0.05);
    EXPECT_NEAR(wheel(-120), 10.0, 0.05);
    EXPECT_NEAR(wheel(250), 30.0, 0.05);
    EXPECT_NEAR(wheel(0), 30.0, 0.05);
}

TEST_F(PlayerPageTest, TheWheelStepsTenSecondsAlsoWhereKeyFramesAreFarApart) {
    // One key frame at the start of 30 seconds: a step to a key frame would stay at the start.
    const QString file = media.path("sparse.avi");
    if (!RunToFile("videotestsrc num-buffers=150 ! video/x-raw,width=64,height=48,framerate=5/1 ! "
                   "avenc_mpeg4 gop-size=1000 keyint-min=1000 ! avimux",
                   file)) {
        GTEST_SKIP() << "no MPEG-4 encoder";
    }
    page.openFromDialog({file});
    page.settle();
    page.page.PauseButtonClick();
    page.settle();
    page.page.FormMouseWheel(120);
    page.settle();
    EXPECT_NEAR(double(page.position()), 10.0 * UnitsPerSecond, 0.25 * UnitsPerSecond);
}

TEST_F(PlayerPageTest, TheSeekBarMapsItsInnerWidthOntoTheLength) {
    page.openFromDialog({WriteAudioFile(media.path("tone.wav"), 10.0)});
    page.settle(); // pause acts only on a graph that has finished starting
    page.page.PauseButtonClick();
    page.ui().SeekBackPanel->setFixedSize(202, 12);
    const REFERENCE_TIME length = page.tools().length();
    ASSERT_EQ(length, 10 * UnitsPerSecond);

    page.page.SeekBackPanelMouseDown(1);
    EXPECT_EQ(page.position(), 0);
    page.page.SeekBackPanelMouseDown(201);
    EXPECT_EQ(page.position(), length);
    page.page.SeekBackPanelMouseDown(51);
    EXPECT_EQ(page.position(), length / 4);
    page.page.SeekSliderPanelMouseDown(100); // one pixel inside the back panel
    EXPECT_EQ(page.position(), length * 100 / 200);

    page.settle();
    page.page.PlayerStatusTimerTimer();
    EXPECT_EQ(page.ui().SeekSliderPanel->width(), 100);
    EXPECT_EQ(page.ui().SeekSliderPanel->x(), 1);
    EXPECT_EQ(page.ui().PlayerStatusBar->currentMessage(), "0:00:05 / 0:00:10 - tone.wav");
    // The graph kept its state.
    EXPECT_TRUE(page.tools().paused());
}

TEST_F(PlayerPageTest, UpAndPageUpMoveTheVolumeTowardsFullLevel) {
    QSlider& bar = *page.ui().VolumeTrackBar;
    bar.setValue(5000);
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QCoreApplication::sendEvent(&bar, &up);
    EXPECT_EQ(bar.value(), 5000 - bar.singleStep());
    QKeyEvent pageUp(QEvent::KeyPress, Qt::Key_PageUp, Qt::NoModifier);
    QCoreApplication::sendEvent(&bar, &pageUp);
    EXPECT_EQ(bar.value(), 5000 - bar.singleStep() - bar.pageStep());
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(&bar, &down);
    EXPECT_EQ(bar.value(), 5000 - bar.pageStep());
    // Full level is the top of the bar.
    EXPECT_TRUE(bar.invertedAppearance());
}

TEST_F(PlayerPageTest, VolumeTrackBarSetsTheLevelDownToSilence) {
    page.openFromDialog({WriteAudioFile(media.path("tone.wav"), 1.0)});
    LONG level = 1;
    query<IBasicAudio>(page.tools().graph())->get_Volume(&level);
    EXPECT_EQ(level, 0);
    page.ui().VolumeTrackBar->setValue(2500);
    query<IBasicAudio>(page.tools().graph())->get_Volume(&level);
    EXPECT_EQ(level, -2500);
    page.ui().VolumeTrackBar->setValue(10000);
    query<IBasicAudio>(page.tools().graph())->get_Volume(&level);
    EXPECT_EQ(level, -10000);
    // A file opened later plays at the renderer's own level until the bar moves.
    page.openFromDialog({WriteAudioFile(media.path("other.wav"), 1.0)});
    query<IBasicAudio>(page.tools().graph())->get_Volume(&level);
    EXPECT_EQ(level, 0);
}

TEST_F(PlayerPageTest, ChangingTheEffectWhilePausedLeavesTheGraphStoppedAtThePosition) {
    page.openFromDialog({WriteAudioFile(media.path("tone.wav"), 5.0)});
    page.page.seekTo(2 * UnitsPerSecond);
    page.settle();
    page.page.PauseButtonClick();
    page.settle();
    const int echo = EffectIndex("Audio echo");
    ASSERT_GT(echo, 0);
    chooseEffect(echo);
    EXPECT_TRUE(page.ui().DMOSettingsButton->isEnabled());
    EXPECT_TRUE(page.tools().effect());
    EXPECT_EQ(page.tools().selectedEffect(), echo);
    page.settle();
    OAFilterState state;
    query<IMediaControl>(page.tools().graph())->GetState(0, &state);
    EXPECT_EQ(state, State_Stopped);
    EXPECT_NEAR(double(page.position()), 2.0 * UnitsPerSecond, 0.05 * UnitsPerSecond);
    EXPECT_TRUE(page.ui().PauseButton->isEnabled());

    // Pause cues the stopped graph; Play runs it again.
    page.page.PauseButtonClick();
    page.settle();
    query<IMediaControl>(page.tools().graph())->GetState(0, &state);
    EXPECT_EQ(state, State_Paused);
    page.page.PlayButtonClick();
    page.settle();
    // While playing: the graph runs on from where it was with the new choice; "<none>" takes the effect out.
    ASSERT_TRUE(WaitUntil([&] { return page.position() > 2 * UnitsPerSecond + UnitsPerSecond / 4; }));
    const REFERENCE_TIME before = page.position();
    chooseEffect(0);
    EXPECT_GE(page.position(), before - UnitsPerSecond / 20);
    EXPECT_FALSE(page.tools().effect());
    EXPECT_FALSE(page.ui().DMOSettingsButton->isEnabled());
    page.settle();
    query<IMediaControl>(page.tools().graph())->GetState(0, &state);
    EXPECT_EQ(state, State_Running);
}

TEST_F(PlayerPageTest, AnEffectChosenBeforeAnyFileIsInsertedWithTheNextFile) {
    const int echo = EffectIndex("Audio echo");
    ASSERT_GT(echo, 0);
    chooseEffect(echo);
    EXPECT_FALSE(page.tools().effect());
    page.openFromDialog({WriteAudioFile(media.path("tone.wav"), 1.0)});
    EXPECT_TRUE(page.tools().effect());
}

TEST_F(PlayerPageTest, TheSettingsButtonShowsTheChosenEffectsSettings) {
    const int echo = EffectIndex("Audio echo");
    ASSERT_GT(echo, 0);
    chooseEffect(echo);
    QStringList shown;
    auto closeWhenShown = [&] {
        QTimer::singleShot(0, [&] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                shown << dialog->windowTitle();
                EXPECT_NE(dialog->findChild<QSlider*>("intensity"), nullptr);
                static_cast<QDialog*>(dialog)->reject();
            }
        });
    };
    // Before any file: a separate instance of the effect.
    closeWhenShown();
    page.page.DMOSettingsButtonClick();
    // With a file: the effect in the graph, whose changes are heard at once.
    page.openFromDialog({WriteAudioFile(media.path("tone.wav"), 1.0)});
    ASSERT_TRUE(page.tools().effect());
    closeWhenShown();
    page.page.DMOSettingsButtonClick();
    EXPECT_EQ(shown, QStringList({"Audio echo", "Audio echo"}));
}

TEST_F(PlayerPageTest, AVideoFileShowsItsPictureBesideTheMainWindow) {
    page.openFromDialog({WriteVideoFile(media.path("clip.avi"), 320, 240, 10, "25/1")});
    EXPECT_TRUE(page.videoWindow.isVisible());
    EXPECT_EQ(page.videoWindow.size(), QSize(320, 240));
    OAHWND owner = nullptr;
    ASSERT_TRUE(VideoTarget.window);
    VideoTarget.window->get_Owner(&owner);
    EXPECT_EQ(owner, &page.videoWindow);

    // Leaving pauses; coming back shows the picture at the remembered place but does not resume.
    page.settle();
    page.page.leavePage();
    EXPECT_TRUE(page.tools().paused());
    DetachVideo();
    page.videoWindow.hide();
    page.placement = VideoPlacement{10, 20, 400, 300};
    page.page.PlayerTabSheetShow();
    EXPECT_TRUE(page.videoWindow.isVisible());
    EXPECT_EQ(page.videoWindow.pos(), QPoint(10, 20));
    EXPECT_EQ(page.videoWindow.size(), QSize(400, 300));
    EXPECT_TRUE(page.tools().paused());

    page.openFromDialog({WriteAudioFile(media.path("tone.wav"), 1.0)});
    EXPECT_FALSE(page.videoWindow.isVisible());
}

TEST_F(PlayerPageTest, NotificationsWithoutAPlayerDoNothing) {
    PageHarness fresh;
    fresh.page.handlePlayerNotify();
    fresh.page.PauseButtonClick();
    fresh.page.FormMouseWheel(120);
    fresh.page.OpenButtonClick(fresh.ui().OpenButton);
    EXPECT_EQ(fresh.dialog->executed, 0);
    EXPECT_EQ(fresh.page.playerTools(), nullptr);
}

} // namespace
