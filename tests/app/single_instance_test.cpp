// SPDX-License-Identifier: GPL-2.0-or-later
// Two real programs on one settings file: the second hands its files to the first and ends.
#include "app/main_form.h"
#include "app/single_instance.h"
#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "platform/win/shell.h"
#include "player/player_page.h"
#include "view/video_window_form.h"

#include <QEventLoop>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include <unistd.h>

namespace {

constexpr int kStartWaitMs = 60000;

class SingleInstanceTest : public ::testing::Test {
protected:
    // The socket's folder comes from the environment; this test and its programs share one.
    void SetUp() override { setenv("XDG_RUNTIME_DIR", dir_.path().toLocal8Bit().constData(), 1); }
    std::filesystem::path registry() const {
        return std::filesystem::path(dir_.path().toStdString()) / "config" / "registry.sqlite";
    }
    // A program of its own, on this test's settings file, with no devices and no display of its own.
    void prepare(QProcess& program, const QStringList& arguments, bool withDisplay = true) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("CORVANE_REGISTRY", QString::fromStdString(registry().string()));
        environment.insert("CORVANE_DEVICES", "none");
        environment.insert("FADERIX_BACKEND", "virtual");
        environment.insert("XDG_RUNTIME_DIR", dir_.path());
        environment.insert("XDG_STATE_HOME", dir_.path());
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        if (withDisplay) {
            environment.insert("QT_QPA_PLATFORM", "offscreen");
        } else {
            environment.remove("QT_QPA_PLATFORM");
        }
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(dir_.path());
        program.setProgram(CORVANE_PATH);
        program.setArguments(arguments);
    }

    QTemporaryDir dir_;
};

} // namespace

TEST_F(SingleInstanceTest, ASecondProgramHandsItsFilesToTheFirstAndEnds) {
    const InstanceAddress address = InstanceAddressFor(registry());
    QProcess first;
    prepare(first, {});
    first.start();
    ASSERT_TRUE(first.waitForStarted(kStartWaitMs));
    // The first program listens once it holds the settings file.
    for (int turn = 0; turn < kStartWaitMs / 100 && !std::filesystem::exists(address.socketPath); ++turn) {
        ASSERT_FALSE(first.waitForFinished(100)) << first.readAllStandardError().toStdString();
    }
    ASSERT_TRUE(std::filesystem::exists(address.socketPath));

    QProcess second;
    prepare(second, {"clip.ogg", "/music/song.mp3"}, false);
    second.start();
    ASSERT_TRUE(second.waitForFinished(kStartWaitMs));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_TRUE(second.readAllStandardOutput().contains("handed 2 file(s)"))
        << "the first program answered that it took both files";
    EXPECT_EQ(first.state(), QProcess::Running) << "the first program goes on";

    first.terminate();
    ASSERT_TRUE(first.waitForFinished(kStartWaitMs));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit) << first.readAllStandardError().toStdString();
    EXPECT_TRUE(std::filesystem::exists(registry())) << "the first program saved its settings at its close";

    // With the first one gone, the next program is the first again.
    QProcess next;
    prepare(next, {});
    next.start();
    for (int turn = 0; turn < kStartWaitMs / 100 && !std::filesystem::exists(address.socketPath); ++turn) {
        ASSERT_FALSE(next.waitForFinished(100)) << next.readAllStandardError().toStdString();
    }
    EXPECT_EQ(next.state(), QProcess::Running);
    next.terminate();
    next.waitForFinished(kStartWaitMs);
}

TEST_F(SingleInstanceTest, AProgramThatCannotReachTheRunningOneRefusesWithoutADisplay) {
    const InstanceAddress address = InstanceAddressFor(registry());
    // The settings file is held by a program that does not answer.
    InstanceLock holder(address);
    ASSERT_TRUE(holder.isFirst());
    const int listener = holder.takeListener();
    ASSERT_GE(listener, 0);
    ::close(listener);

    QProcess second;
    prepare(second, {"clip.ogg"}, false);
    second.start();
    ASSERT_TRUE(second.waitForFinished(kStartWaitMs));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 1);
    const std::string said = second.readAllStandardError().toStdString();
    EXPECT_NE(said.find("already running on the settings file " + registry().string()), std::string::npos)
        << said;
    EXPECT_FALSE(std::filesystem::exists(registry())) << "the refused program saved nothing";
}

TEST_F(SingleInstanceTest, AProgramKeptOffByACommandChangingTheSettingsSaysSoAtOnce) {
    const InstanceAddress address = InstanceAddressFor(registry());
    InstanceLock command(address, InstanceLock::Listen::No);
    ASSERT_TRUE(command.isFirst());
    const auto holder = ReadInstanceHolder(address);
    ASSERT_TRUE(holder.has_value());
    EXPECT_EQ(holder->pid, static_cast<long>(::getpid()));
    EXPECT_FALSE(holder->listens);

    QProcess second;
    prepare(second, {}, false);
    second.start();
    ASSERT_TRUE(second.waitForFinished(kStartWaitMs));
    EXPECT_EQ(second.exitCode(), 1);
    const std::string said = second.readAllStandardError().toStdString();
    EXPECT_NE(
        said.find("corvane-ctl (process " + std::to_string(::getpid()) + ") is changing the stored settings"),
        std::string::npos)
        << said;
    EXPECT_FALSE(std::filesystem::exists(registry())) << "the refused program saved nothing";
}

TEST_F(SingleInstanceTest, TheHolderRecordFollowsWhoHoldsTheFile) {
    const InstanceAddress address = InstanceAddressFor(registry());
    EXPECT_FALSE(ReadInstanceHolder(address).has_value()) << "no lock file yet";
    {
        InstanceLock program(address);
        ASSERT_TRUE(program.isFirst());
        const auto holder = ReadInstanceHolder(address);
        ASSERT_TRUE(holder.has_value());
        EXPECT_TRUE(holder->listens);
        EXPECT_FALSE(InstanceLock(address, InstanceLock::Listen::No).isFirst());
        EXPECT_TRUE(ReadInstanceHolder(address)->listens) << "a refused opener leaves the record alone";
    }
    InstanceLock command(address, InstanceLock::Listen::No);
    ASSERT_TRUE(command.isFirst());
    EXPECT_FALSE(ReadInstanceHolder(address)->listens) << "the next holder writes over the old record";
}

TEST_F(SingleInstanceTest, TheRunningProgramGetsEveryPathAsItWasGivenAfterAnswering) {
    const InstanceAddress address = InstanceAddressFor(registry());
    InstanceLock first(address);
    ASSERT_TRUE(first.isFirst());
    EXPECT_FALSE(InstanceLock(address).isFirst()) << "the lock holds against any other opener";
    QStringList received;
    int handled = 0;
    InstanceServer server(first.takeListener(), [&](const QStringList& files) {
        received = files;
        ++handled;
    });
    ASSERT_TRUE(server.isListening());

    const std::vector<std::string> files = {"/music/a b.ogg", "/music/line\nbreak.mp3",
                                            "/music/\xc3\xbcml\xc3\xa4ut.wav"};
    std::optional<int> answer;
    std::atomic<bool> answered = false;
    std::thread secondProgram([&] {
        answer = HandOverFiles(address.socketPath, files, 10000);
        answered = true;
    });
    // The running program's event loop, until the other one has its answer and the files were handled.
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (answered && handled > 0) {
            loop.quit();
        }
    });
    check.start(10);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    secondProgram.join();
    EXPECT_EQ(answer, 3);
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(received, (QStringList{"/music/a b.ogg", "/music/line\nbreak.mp3",
                                     QString::fromUtf8("/music/\xc3\xbcml\xc3\xa4ut.wav")}));
}

TEST_F(SingleInstanceTest, HandedOverFilesBringUpTheWindowAndBecomeThePlaylist) {
    VirtualClock clock;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
    TMainForm form(TMainForm::Services{clock, boxes, shell, "NoMixerFolder/Faderix.so", registry()});
    TVideoWindowForm videoWindow(form);
    form.setVideoWindow(&videoWindow);
    form.show();
    form.hideMainWindow();
    form.openHandedOverFiles({});
    EXPECT_TRUE(form.isVisible()) << "a second start without files only raises the window";
    const QString file = dir_.filePath("missing.ogg");
    form.openHandedOverFiles({file});
    auto* playlist = form.playerPage()->findChild<QListWidget*>(QStringLiteral("PlayCheckListBox"));
    ASSERT_NE(playlist, nullptr);
    ASSERT_EQ(playlist->count(), 1);
    EXPECT_EQ(playlist->item(0)->text(), file);
    form.close();
}
