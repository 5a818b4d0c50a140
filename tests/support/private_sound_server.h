// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A PulseAudio daemon of the test's own on a null sink, in a folder of its own. Starting it points this
// process's sound clients at it (PULSE_SERVER), so nothing the test plays reaches the machine's own server,
// and a client that cannot reach it fails instead of starting another one.

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

class PrivateSoundServer {
public:
    static constexpr int kWaitMs = 20000;

    PrivateSoundServer() = default;
    ~PrivateSoundServer() { stop(); }
    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    // Why no server can be started here (a test skips with it); empty when the tools are installed.
    static QString missingTools() {
        for (const char* tool : {"pulseaudio", "pactl", "parec"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
                return QStringLiteral("%1 is missing (Debian packages pulseaudio, pulseaudio-utils)")
                    .arg(QLatin1String(tool));
            }
        }
        return {};
    }

    // Starts the daemon with one null sink named sink and waits until it takes clients. Empty on success,
    // else what went wrong with the daemon's log.
    QString start(const QString& sink) {
        if (!root_.isValid()) {
            return QStringLiteral("no temporary folder");
        }
        sink_ = sink;
        const QString runtime = root_.filePath(QStringLiteral("runtime"));
        QDir().mkpath(runtime);
        QDir().mkpath(home());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home());
        environment.insert(QStringLiteral("PULSE_RUNTIME_PATH"), runtime);
        environment.insert(QStringLiteral("PULSE_STATE_PATH"), root_.filePath(QStringLiteral("state")));
        environment.remove(QStringLiteral("PULSE_SERVER"));
        environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
        daemon_.setProcessEnvironment(environment);
        daemon_.setProcessChannelMode(QProcess::MergedChannels);
        daemon_.start(QStringLiteral("pulseaudio"),
                      {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                       QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
                       QStringLiteral("--log-target=stderr"), QStringLiteral("--log-level=info"),
                       QStringLiteral("-L"), QStringLiteral("module-null-sink sink_name=%1").arg(sink),
                       QStringLiteral("-L"), QStringLiteral("module-native-protocol-unix auth-anonymous=1")});
        if (!daemon_.waitForStarted(kWaitMs)) {
            return QStringLiteral("pulseaudio does not start");
        }
        // The daemon says when it takes clients; until then nothing can connect.
        QDeadlineTimer deadline(kWaitMs);
        QByteArray log;
        while (!log.contains("Daemon startup complete") && !deadline.hasExpired()) {
            if (!daemon_.waitForReadyRead(int(deadline.remainingTime()))) {
                break;
            }
            log += daemon_.readAll();
        }
        if (!log.contains("Daemon startup complete")) {
            return QStringLiteral("pulseaudio did not start up:\n") + QString::fromLocal8Bit(log);
        }
        const QByteArray server = "unix:" + QFile::encodeName(runtime) + "/native";
        setenv("PULSE_SERVER", server.constData(), 1);
        setenv("PULSE_RUNTIME_PATH", QFile::encodeName(runtime).constData(), 1);
        return {};
    }

    void stop() {
        if (daemon_.state() != QProcess::NotRunning) {
            daemon_.terminate();
            if (!daemon_.waitForFinished(kWaitMs)) {
                daemon_.kill();
                daemon_.waitForFinished(kWaitMs);
            }
        }
    }

    // What pactl prints for arguments against this server; error (when given) gets its complaint, empty
    // when it succeeded.
    static QString pactl(const QStringList& arguments, QString* error = nullptr) {
        QProcess process;
        process.start(QStringLiteral("pactl"), arguments);
        const bool finished = process.waitForFinished(kWaitMs);
        if (error) {
            *error = finished && process.exitCode() == 0
                         ? QString()
                         : QStringLiteral("pactl %1: %2")
                               .arg(arguments.join(QLatin1Char(' ')),
                                    QString::fromLocal8Bit(process.readAllStandardError()));
        }
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    const QString& sink() const { return sink_; }
    // The daemon's home, which the test may use as its own (an .asoundrc there reaches ALSA's plug-ins).
    QString home() const { return root_.filePath(QStringLiteral("home")); }

private:
    QTemporaryDir root_;
    QProcess daemon_;
    QString sink_;
};

// What a sink of the server plays, read from its monitor as 48 kHz mono 16-bit samples.
class SinkMonitor {
public:
    static constexpr int kRate = 48000;

    explicit SinkMonitor(const QString& sink) {
        process_.start(QStringLiteral("parec"),
                       {QStringLiteral("-d"), sink + QStringLiteral(".monitor"),
                        QStringLiteral("--format=s16le"), QStringLiteral("--rate=%1").arg(kRate),
                        QStringLiteral("--channels=1"), QStringLiteral("--raw"),
                        QStringLiteral("--latency-msec=20")});
    }
    ~SinkMonitor() {
        process_.kill();
        process_.waitForFinished(PrivateSoundServer::kWaitMs);
    }
    SinkMonitor(const SinkMonitor&) = delete;
    SinkMonitor& operator=(const SinkMonitor&) = delete;

    // The next count samples, waiting for them while the GUI thread's events are processed; fewer only
    // when nothing comes for the server's wait, which fails the test that waits.
    std::vector<std::int16_t> next(std::size_t count) {
        const qsizetype wanted = qsizetype(count * sizeof(std::int16_t));
        QDeadlineTimer quiet(PrivateSoundServer::kWaitMs);
        while (pending_.size() < wanted && !quiet.hasExpired() && process_.state() != QProcess::NotRunning) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            if (process_.waitForReadyRead(20)) {
                pending_ += process_.readAllStandardOutput();
                quiet.setRemainingTime(PrivateSoundServer::kWaitMs);
            }
        }
        const qsizetype taken = std::min(wanted, pending_.size() - pending_.size() % 2);
        std::vector<std::int16_t> samples(std::size_t(taken) / sizeof(std::int16_t));
        std::memcpy(samples.data(), pending_.constData(), std::size_t(taken));
        pending_.remove(0, taken);
        return samples;
    }

private:
    QProcess process_;
    QByteArray pending_;
};

// A test on its own sound server: skipped without the tools, the server started on a null sink named sink,
// and the program's card sound left to the desktop's choice of output, which is now this server.
class OnPrivateSoundServer : public ::testing::Test {
protected:
    explicit OnPrivateSoundServer(const char* sink) : sink_(sink) {}
    void SetUp() override {
        if (const QString missing = PrivateSoundServer::missingTools(); !missing.isEmpty()) {
            GTEST_SKIP() << missing.toStdString();
        }
        const QString failed = server.start(QLatin1String(sink_));
        ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();
        unsetenv("CORVANE_CARD_SOUND_SINK");
    }
    // Whether SetUp got the server going.
    bool started() const { return !IsSkipped() && !HasFatalFailure(); }
    const char* sink() const { return sink_; }

    PrivateSoundServer server;

private:
    const char* sink_;
};
