// SPDX-License-Identifier: GPL-2.0-or-later
// The screensaver stays off while a picture is watched: a screensaver service of the test's own on a private
// session bus records what the program asks of it.
#include "app/main_form.h"
#include "media_test_support.h"
#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "platform/win/shell.h"
#include "player/player_messages.h"
#include "player/player_page.h"
#include "player/player_tools.h"
#include "player/screensaver_inhibitor.h"
#include "private_session_bus.h"
#include "recorded_calls.h"
#include "view/video_window_form.h"
#include "virtual_card_devices.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

// org.freedesktop.ScreenSaver as a desktop offers it: Inhibit hands out a cookie, UnInhibit takes it back.
class TestScreenSaver final : public QDBusVirtualObject {
public:
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() != QLatin1String(ScreenSaverInhibitor::Interface)) {
            return false;
        }
        if (message.member() == QLatin1String("Inhibit") && message.arguments().size() == 2) {
            const uint cookie = nextCookie++;
            active[cookie] = message.arguments().at(0).toString() + QLatin1Char('/') +
                             message.arguments().at(1).toString();
            ++inhibits;
            connection.send(message.createReply(QVariant::fromValue(cookie)));
            return true;
        }
        if (message.member() == QLatin1String("UnInhibit") && message.arguments().size() == 1) {
            if (active.erase(message.arguments().at(0).toUInt()) == 0) {
                ++unknownCookies;
            }
            connection.send(message.createReply());
            return true;
        }
        return false;
    }
    QString introspect(const QString&) const override {
        return QStringLiteral("<interface name=\"org.freedesktop.ScreenSaver\">"
                              "<method name=\"Inhibit\"><arg type=\"s\" direction=\"in\"/>"
                              "<arg type=\"s\" direction=\"in\"/><arg type=\"u\" direction=\"out\"/></method>"
                              "<method name=\"UnInhibit\"><arg type=\"u\" direction=\"in\"/></method>"
                              "</interface>");
    }

    std::map<uint, QString> active; // cookie -> "application/reason"
    int inhibits = 0;
    int unknownCookies = 0;
    uint nextCookie = 7;
};

class ScreenSaverTest : public PrivateSessionBusTest {
protected:
    void TearDown() override {
        if (serviceConnection) {
            serviceConnection->unregisterService(QString::fromLatin1(ScreenSaverInhibitor::ServiceName));
            serviceConnection->unregisterObject(QString::fromLatin1(ScreenSaverInhibitor::ObjectPath));
        }
    }

    // The desktop's screensaver comes onto the bus.
    void offerService() {
        serviceConnection = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("screensaver")));
        ASSERT_TRUE(serviceConnection->registerVirtualObject(
            QString::fromLatin1(ScreenSaverInhibitor::ObjectPath), &service));
        ASSERT_TRUE(
            serviceConnection->registerService(QString::fromLatin1(ScreenSaverInhibitor::ServiceName)));
    }
    // Waits until the service holds exactly `count` inhibitions (answers travel through the event loop).
    bool holds(size_t count) {
        return WaitUntil([&] { return service.active.size() == count; }, 5000);
    }

    TestScreenSaver service;
    std::unique_ptr<QDBusConnection> serviceConnection;
};

TEST_F(ScreenSaverTest, OneInhibitionIsHeldAndGivenBack) {
    offerService();
    auto inhibitor = std::make_unique<ScreenSaverInhibitor>(QDBusConnection::sessionBus(), "Corvane");
    inhibitor->setInhibited(true, QStringLiteral("Playing a film"));
    inhibitor->setInhibited(true, QStringLiteral("Playing a film"));
    ASSERT_TRUE(WaitUntil([&] { return inhibitor->held(); }, 5000));
    ASSERT_EQ(service.active.size(), 1u);
    EXPECT_EQ(service.active.begin()->second, "Corvane/Playing a film");
    inhibitor->setInhibited(true, QStringLiteral("Playing a film"));
    inhibitor->setInhibited(false);
    EXPECT_TRUE(holds(0));
    EXPECT_EQ(service.inhibits, 1) << "asking again while held asks nothing of the service";

    // Given up before the answer came: the cookie that comes back is returned at once.
    inhibitor->setInhibited(true, QStringLiteral("Watching TV"));
    inhibitor->setInhibited(false);
    ASSERT_TRUE(WaitUntil([&] { return service.inhibits == 2 && !inhibitor->pending(); }, 5000));
    EXPECT_TRUE(holds(0));
    EXPECT_FALSE(inhibitor->held());

    // The end of the program gives back what is held.
    inhibitor->setInhibited(true, QStringLiteral("Watching TV"));
    ASSERT_TRUE(WaitUntil([&] { return inhibitor->held(); }, 5000));
    inhibitor.reset();
    EXPECT_TRUE(holds(0));
    EXPECT_EQ(service.unknownCookies, 0);
}

TEST_F(ScreenSaverTest, WithoutAServiceNothingHappens) {
    ScreenSaverInhibitor inhibitor(QDBusConnection::sessionBus(), "Corvane");
    inhibitor.setInhibited(true, QStringLiteral("Playing a film"));
    ASSERT_TRUE(WaitUntil([&] { return !inhibitor.pending(); }, 5000));
    EXPECT_FALSE(inhibitor.held());
    inhibitor.setInhibited(false);
    // The service comes later: the next picture is inhibited.
    offerService();
    inhibitor.setInhibited(true, QStringLiteral("Playing a film"));
    EXPECT_TRUE(holds(1));
}

// The main window decides when: a film that plays on the Player page, or the TV preview on the TV page.
class ScreenSaverInTheProgram : public ScreenSaverTest {
protected:
    void SetUp() override {
        ScreenSaverTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        offerService();
        UseFakeAudioOutput();
        TMainForm::Services services{clock, boxes, shell, RECORDING_PLUGIN};
        services.devices = card.factory();
        form = std::make_unique<TMainForm>(services);
        videoWindow = std::make_unique<TVideoWindowForm>(*form);
        form->setVideoWindow(videoWindow.get());
        form->show();
    }
    void TearDown() override {
        form.reset();
        videoWindow.reset();
        ScreenSaverTest::TearDown();
    }
    PlayerPage& player() { return *form->playerPage(); }
    // Plays the last half second of the file, until the graph's completion has reached the main window.
    void playToTheEnd() {
        player().seekTo(std::max<REFERENCE_TIME>(player().playerTools()->length() - 5'000'000, 0));
        ASSERT_TRUE(WaitUntil(
            [&] {
                SendMessage(form.get(), PlayerNotifyMessage, 0, 0);
                return !player().playerTools()->started();
            },
            20000));
    }

    VirtualCardDevices card;
    VirtualClock clock;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
    GeneratedMedia media;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TVideoWindowForm> videoWindow;
};

TEST_F(ScreenSaverInTheProgram, AFilmKeepsItOffWhileItPlays) {
    // Long enough not to end on its own while the test runs.
    const QString film = WriteVideoFile(media.path("film.avi"), 160, 120, 30, "1/1");
    ASSERT_FALSE(film.isEmpty());
    player().openFiles({film});
    ASSERT_TRUE(holds(1));
    EXPECT_EQ(service.active.begin()->second, "Corvane/Playing a film");

    player().PauseButtonClick();
    EXPECT_TRUE(holds(0)) << "paused";
    player().PauseButtonClick();
    EXPECT_TRUE(holds(1)) << "playing again";
    player().StopButtonClick();
    EXPECT_TRUE(holds(0)) << "stopped";
    player().PlayButtonClick();
    EXPECT_TRUE(holds(1));

    form->pageControl()->setCurrentIndex(TMainForm::AboutPageIndex);
    EXPECT_TRUE(holds(0)) << "the page was left";
    form->pageControl()->setCurrentIndex(TMainForm::PlayerPageIndex);
    player().PauseButtonClick();
    EXPECT_TRUE(holds(1)) << "back on the page and playing";
    playToTheEnd();
    EXPECT_TRUE(holds(0)) << "the film ended";

    player().PlayButtonClick();
    EXPECT_TRUE(holds(1));
    form->close();
    EXPECT_TRUE(holds(0)) << "the program closed";
    EXPECT_EQ(service.unknownCookies, 0);
}

TEST_F(ScreenSaverInTheProgram, SoundAloneLetsItRun) {
    const QString song = WriteAudioFile(media.path("song.wav"), 1.0);
    ASSERT_FALSE(song.isEmpty());
    player().openFiles({song});
    ASSERT_TRUE(player().playerTools()->started());
    playToTheEnd();
    EXPECT_EQ(service.inhibits, 0);
}

TEST_F(ScreenSaverInTheProgram, TheTVPreviewKeepsItOff) {
    form->pageControl()->setCurrentIndex(TMainForm::TVPageIndex);
    ASSERT_TRUE(holds(1));
    EXPECT_EQ(service.active.begin()->second, "Corvane/Watching TV");
    form->pageControl()->setCurrentIndex(TMainForm::RadioPageIndex);
    EXPECT_TRUE(holds(0)) << "the TV page was left";
    form->pageControl()->setCurrentIndex(TMainForm::TVPageIndex);
    EXPECT_TRUE(holds(1));
    form->close();
    EXPECT_TRUE(holds(0)) << "the program closed";
}

} // namespace
