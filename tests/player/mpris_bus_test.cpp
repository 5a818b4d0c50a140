// SPDX-License-Identifier: GPL-2.0-or-later
// The media player service on a private session bus, called from a second connection as a desktop shell
// would.

#include "player_test_support.h"

#include "player/mpris_service.h"
#include "private_session_bus.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusReply>
#include <QProcess>
#include <QStandardPaths>

namespace {

class MprisBusTest : public PrivateSessionBusTest {
protected:
    void SetUp() override {
        PrivateSessionBusTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        page = std::make_unique<PageHarness>();
        page->page.PlayerTabSheetShow();
    }

    // Calls the service from another connection while this thread keeps serving it.
    QDBusMessage call(const QString& interface, const QString& method, const QVariantList& arguments = {}) {
        QDBusConnection client = QDBusConnection::connectToBus(address, QStringLiteral("shell"));
        QDBusMessage message =
            QDBusMessage::createMethodCall(QString::fromLatin1(MprisService::ServiceName),
                                           QString::fromLatin1(MprisService::ObjectPath), interface, method);
        message.setArguments(arguments);
        QDBusPendingCall pending = client.asyncCall(message, 5000);
        WaitUntil([&] { return pending.isFinished(); }, 6000);
        return pending.reply();
    }
    QVariant property(const QString& name) {
        const QDBusMessage reply =
            call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                 {QStringLiteral("org.mpris.MediaPlayer2.Player"), name});
        return reply.arguments().isEmpty() ? QVariant()
                                           : reply.arguments().first().value<QDBusVariant>().variant();
    }

    // Runs playerctl against this player while this thread keeps serving the bus; its output, trimmed.
    QString playerctl(const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral("playerctl"),
                      QStringList{QStringLiteral("--player=corvane")} + arguments);
        EXPECT_TRUE(WaitUntil([&] { return process.state() == QProcess::NotRunning; }, 10000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }

    GeneratedMedia media;
    std::unique_ptr<PageHarness> page;
};

TEST_F(MprisBusTest, ADesktopShellSeesAndDrivesThePlayer) {
    QDBusConnection client = QDBusConnection::connectToBus(address, QStringLiteral("shell"));
    ASSERT_TRUE(client.isConnected());
    EXPECT_TRUE(client.interface()->isServiceRegistered(QString::fromLatin1(MprisService::ServiceName)));
    EXPECT_EQ(property(QStringLiteral("PlaybackStatus")).toString(), "Stopped");

    page->dialog->choice = {WriteAudioFile(media.path("song.wav"), 2.0)};
    page->page.PlayAddButtonClick();
    call(QStringLiteral("org.mpris.MediaPlayer2.Player"), QStringLiteral("Play"));
    EXPECT_TRUE(page->tools().started());
    EXPECT_EQ(property(QStringLiteral("PlaybackStatus")).toString(), "Playing");

    const QDBusArgument metadata = property(QStringLiteral("Metadata")).value<QDBusArgument>();
    QVariantMap fields;
    metadata >> fields;
    EXPECT_EQ(fields.value("xesam:title").toString(), "song.wav");
    EXPECT_EQ(fields.value("mpris:length").toLongLong(), 2'000'000);

    page->settle();
    call(QStringLiteral("org.mpris.MediaPlayer2.Player"), QStringLiteral("PlayPause"));
    EXPECT_TRUE(page->tools().paused());
    EXPECT_EQ(property(QStringLiteral("PlaybackStatus")).toString(), "Paused");

    const QDBusMessage set =
        call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
             {QStringLiteral("org.mpris.MediaPlayer2.Player"), QStringLiteral("LoopStatus"),
              QVariant::fromValue(QDBusVariant(QStringLiteral("Playlist")))});
    EXPECT_NE(set.type(), QDBusMessage::ErrorMessage);
    EXPECT_TRUE(page->ui().LoopCheckBox->isChecked());
}

TEST_F(MprisBusTest, PlayerctlReadsAndSetsTheLoopCheckBox) {
    if (QStandardPaths::findExecutable(QStringLiteral("playerctl")).isEmpty()) {
        GTEST_SKIP() << "playerctl is missing (Debian package playerctl)";
    }
    QCheckBox& loop = *page->ui().LoopCheckBox;
    EXPECT_EQ(playerctl({QStringLiteral("loop")}), "None");
    loop.setChecked(true);
    EXPECT_EQ(playerctl({QStringLiteral("loop")}), "Playlist");

    loop.setChecked(false);
    playerctl({QStringLiteral("loop"), QStringLiteral("Playlist")});
    EXPECT_TRUE(loop.isChecked());
    playerctl({QStringLiteral("loop"), QStringLiteral("None")});
    EXPECT_FALSE(loop.isChecked());
}

} // namespace
