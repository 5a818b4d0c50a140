// Two real programs on one settings file: the second hands its files to the first and ends.
#include "app/single_instance.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

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
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
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
