// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/main_form.h"
#include "app/mixer_plugin_binding.h"
#include "media_test_support.h"
#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "platform/win/shell.h"
#include "platform/win/window_message.h"
#include "player/player_messages.h"
#include "player/player_page.h"
#include "player/player_tools.h"
#include "radio/radio_page.h"
#include "tv/tv_page.h"
#include "view/video_window_form.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>

#include <dlfcn.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

std::string recordedCalls() {
    void* handle = dlopen(RECORDING_PLUGIN, RTLD_NOW | RTLD_NOLOAD);
    if (!handle) {
        return "<not loaded>";
    }
    auto calls = reinterpret_cast<const char* (*)()>(dlsym(handle, "RecordedCalls"));
    std::string result = calls ? calls() : "<no log>";
    dlclose(handle);
    return result;
}

class MainFormTest : public ::testing::Test {
protected:
    void create(const std::string& pluginPath) {
        form = std::make_unique<TMainForm>(TMainForm::Services{clock, boxes, shell, pluginPath});
        videoWindow = std::make_unique<TVideoWindowForm>(*form);
        form->setVideoWindow(videoWindow.get());
    }
    void TearDown() override {
        if (form) {
            form->close();
        }
        videoWindow.reset();
        form.reset();
    }

    VirtualClock clock;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TVideoWindowForm> videoWindow;
};

} // namespace

TEST_F(MainFormTest, IsASmallFixedAlwaysOnTopWindowWithFourPages) {
    setenv("CORVANE_DEVICES", "none", 1);
    create(RECORDING_PLUGIN);
    unsetenv("CORVANE_DEVICES");
    EXPECT_EQ(form->size(), QSize(242, 348));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    QTabWidget* pages = form->pageControl();
    EXPECT_EQ(pages->tabPosition(), QTabWidget::South);
    ASSERT_EQ(pages->count(), 4);
    EXPECT_EQ(pages->tabText(0), "Player");
    EXPECT_EQ(pages->tabText(1), "TV / VCR");
    EXPECT_EQ(pages->tabText(2), "Radio");
    EXPECT_EQ(pages->tabText(3), "About");
    EXPECT_EQ(pages->widget(0)->objectName(), "PlayerTabSheet");
    EXPECT_EQ(pages->widget(3)->objectName(), "RecTabSheet");
    // No capture device and no tuner: only Player and About are offered.
    EXPECT_TRUE(form->isPageTabVisible(TMainForm::PlayerPageIndex));
    EXPECT_FALSE(form->isPageTabVisible(TMainForm::TVPageIndex));
    EXPECT_FALSE(form->isPageTabVisible(TMainForm::RadioPageIndex));
    EXPECT_TRUE(form->isPageTabVisible(TMainForm::AboutPageIndex));

    EXPECT_TRUE(pages->isHidden()) << "the pages appear with the window's first show";
    form->show();
    EXPECT_FALSE(pages->isHidden());
    EXPECT_EQ(form->currentPage(), TMainForm::PlayerPageIndex);
}

TEST_F(MainFormTest, TheVirtualTvCardOffersTheTvAndRadioPages) {
    setenv("CORVANE_DEVICES", "virtual", 1);
    create(RECORDING_PLUGIN);
    unsetenv("CORVANE_DEVICES");
    EXPECT_TRUE(form->isPageTabVisible(TMainForm::TVPageIndex));
    EXPECT_TRUE(form->isPageTabVisible(TMainForm::RadioPageIndex));
}

TEST_F(MainFormTest, BindsThePluginAndClosesItLast) {
    create(RECORDING_PLUGIN);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_TRUE(form->plugin().isBound());
    EXPECT_EQ(form->plugin().description(), "Sound mixer plugin");
    EXPECT_EQ(recordedCalls(), "Open;");
    form->show();
    form->close();
    EXPECT_FALSE(form->plugin().isBound());
    EXPECT_EQ(recordedCalls(), "<not loaded>") << "the library is unloaded after Close";
}

TEST_F(MainFormTest, WithoutThePluginOneBoxAndTheWaitsStillHappen) {
    create("NoMixerFolder/Faderix.so");
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "Can't find Faderix.so");
    EXPECT_EQ(boxes.shown()[0].caption, "Error");
    EXPECT_EQ(boxes.shown()[0].icon, MessageIcon::Error);
    EXPECT_FALSE(form->plugin().isBound());
    form->MainPageControlChanging(TMainForm::TVPageIndex);
    form->MainPageControlChanging(TMainForm::RadioPageIndex);
    EXPECT_EQ(clock.sleeps(), (std::vector<std::uint32_t>{200, 200}));
    EXPECT_EQ(boxes.shown().size(), 1u);
}

TEST_F(MainFormTest, ALibraryWithoutOpenIsReportedOnceAndNotKept) {
    create(OPENLESS_PLUGIN);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "Error loading plugin Faderix.so");
    EXPECT_EQ(boxes.shown()[0].caption, "Error");
    EXPECT_FALSE(form->plugin().isBound());
    void* stillLoaded = dlopen(OPENLESS_PLUGIN, RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(stillLoaded, nullptr);
    if (stillLoaded) {
        dlclose(stillLoaded);
    }
}

TEST_F(MainFormTest, LeavingTheTVPageMutesWaitsAndStopsTheSignalTimer) {
    create(RECORDING_PLUGIN);
    form->tvPage()->TVSignalTimer->start();
    form->MainPageControlChanging(TMainForm::TVPageIndex);
    EXPECT_EQ(recordedCalls(), "Open;ActionPreset TV_Mute;");
    EXPECT_EQ(clock.sleeps(), (std::vector<std::uint32_t>{200}));
    EXPECT_FALSE(form->tvPage()->TVSignalTimer->isActive());
}

TEST_F(MainFormTest, LeavingTheRadioPageMutesAndWaits) {
    create(RECORDING_PLUGIN);
    form->MainPageControlChanging(TMainForm::RadioPageIndex);
    EXPECT_EQ(recordedCalls(), "Open;ActionPreset Radio_Mute;");
    EXPECT_EQ(clock.sleeps(), (std::vector<std::uint32_t>{200}));
    form->MainPageControlChanging(TMainForm::AboutPageIndex);
    EXPECT_EQ(clock.sleeps().size(), 1u) << "leaving About does nothing";
}

TEST_F(MainFormTest, ClosingOnTheTVPageMutesBeforeTheEnd) {
    create(RECORDING_PLUGIN);
    form->show();
    form->pageControl()->setCurrentIndex(TMainForm::TVPageIndex);
    EXPECT_EQ(recordedCalls(), "Open;ActionPreset TV_Mute;ActionPreset TV_Unmute;ActionPreset TV_Unmute;")
        << "the first showing sets the card up between the presets, and entering the TV page unmutes";
    clock.clearSleeps();
    void* handle = dlopen(RECORDING_PLUGIN, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(handle, nullptr);
    form->close();
    auto calls = reinterpret_cast<const char* (*)()>(dlsym(handle, "RecordedCalls"));
    EXPECT_EQ(std::string(calls()), "Open;ActionPreset TV_Mute;ActionPreset TV_Unmute;ActionPreset "
                                    "TV_Unmute;ActionPreset TV_Mute;Close;");
    EXPECT_EQ(clock.sleeps(), (std::vector<std::uint32_t>{200}));
    dlclose(handle);
}

TEST_F(MainFormTest, SwitchingPagesLeavesTheOldPageThenEntersTheNew) {
    create(RECORDING_PLUGIN);
    form->show();
    videoWindow->show();
    videoWindow->move(30, 40);
    videoWindow->resize(300, 200);
    form->pageControl()->setCurrentIndex(TMainForm::RadioPageIndex);
    EXPECT_FALSE(videoWindow->isVisible()) << "leaving the Player page hides the video window";
    EXPECT_EQ(form->playerPlacement().clientWidth, 300);
    EXPECT_EQ(form->playerPlacement().clientHeight, 200);
    EXPECT_EQ(form->playerPlacement().left, videoWindow->x());
    form->pageControl()->setCurrentIndex(TMainForm::TVPageIndex);
    EXPECT_EQ(
        recordedCalls(),
        "Open;ActionPreset Radio_Mute;ActionPreset TV_Mute;ActionPreset TV_Unmute;ActionPreset TV_Unmute;");
}

TEST_F(MainFormTest, DeactivationMakesTheWindowTranslucent) {
    create(RECORDING_PLUGIN);
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(form.get(), &deactivate);
    EXPECT_NEAR(form->windowOpacity(), 192.0 / 255.0, 0.01);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(form.get(), &activate);
    EXPECT_DOUBLE_EQ(form->windowOpacity(), 1.0);
    SendMessage(form.get(), WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_NEAR(form->windowOpacity(), 192.0 / 255.0, 0.01);
}

namespace {
// Takes a graph's notifications in place of the main window.
class NotificationProbe final : public QWidget {
public:
    int messages = 0;

protected:
    bool event(QEvent* event) override {
        if (event->type() == WindowMessageEvent::eventType()) {
            ++messages;
            return true;
        }
        return QWidget::event(event);
    }
};
} // namespace

TEST_F(MainFormTest, PluginResultsArriveAsWindowMessages) {
    UseFakeAudioOutput();
    GeneratedMedia media;
    // Long enough that the end cannot come before the notifications are redirected below.
    const QString tone = WriteAudioFile(media.path("tone.wav"), 1.5);
    ASSERT_FALSE(tone.isEmpty());
    create(RECORDING_PLUGIN);
    form->playerPage()->openFiles({tone});
    TPlayerTools* tools = form->playerPage()->playerTools();
    ASSERT_TRUE(tools && tools->started());
    // The graph tells only the probe about the end of the file, so only the plug-in's message can make the
    // main window fetch it.
    NotificationProbe probe;
    const auto events = query<IMediaEventEx>(tools->graph());
    ASSERT_TRUE(events);
    events->SetNotifyWindow(&probe, PlayerNotifyMessage, 0);
    QCoreApplication::removePostedEvents(form.get(), WindowMessageEvent::eventType());
    ASSERT_TRUE(WaitUntil([&] { return probe.messages > 0; }));
    ASSERT_TRUE(tools->started());

    form->plugin().ActionPreset("TV_Mute");
    EXPECT_EQ(recordedCalls(), "Open;ActionPreset TV_Mute;");
    EXPECT_TRUE(tools->started()) << "the result is posted, not handled at once";
    QCoreApplication::sendPostedEvents(form.get(), WindowMessageEvent::eventType());
    EXPECT_FALSE(tools->started())
        << "handled as the player's notification: the end of the file stops the player";
    EXPECT_TRUE(form->playerPage()->findChild<QWidget*>(QStringLiteral("PlayButton"))->isEnabled());
    // The probe goes before the graph does.
    events->SetNotifyWindow(form.get(), PlayerNotifyMessage, 0);
}

TEST_F(MainFormTest, AboutLinksOpenTheirHints) {
    create(RECORDING_PLUGIN);
    form->show();
    for (QWidget* label :
         {static_cast<QWidget*>(form->wwwLabel()), static_cast<QWidget*>(form->emailLabel())}) {
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(label, &release);
    }
    ASSERT_EQ(shell.opened().size(), 2u);
    EXPECT_EQ(shell.opened()[0], "https://www.corvane.org/");
    EXPECT_EQ(shell.opened()[1], "mailto:support@corvane.org");
}

TEST_F(MainFormTest, MixerButtonsEditThenApply) {
    create(RECORDING_PLUGIN);
    // Each button opens the setup dialog for its own preset and applies the preset once the dialog closes.
    form->radioPage()->mixerUnmuteButton()->click();
    form->radioPage()->mixerMuteButton()->click();
    form->tvPage()->mixerUnmuteButton()->click();
    form->tvPage()->mixerMuteButton()->click();
    EXPECT_EQ(recordedCalls(), "Open;"
                               "ActionSetup Radio_Unmute;ActionPreset Radio_Unmute;"
                               "ActionSetup Radio_Mute;ActionPreset Radio_Mute;"
                               "ActionSetup TV_Unmute;ActionPreset TV_Unmute;"
                               "ActionSetup TV_Mute;ActionPreset TV_Mute;");
    EXPECT_EQ(form->radioPage()->mixerUnmuteButton()->text(), "Unmute on start");
    EXPECT_EQ(form->tvPage()->mixerMuteButton()->text(), "Mute on exit");
}
