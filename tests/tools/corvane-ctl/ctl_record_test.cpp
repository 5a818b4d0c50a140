// corvane-ctl end to end on the virtual TV card: tuning reports what the card's tuner hears, and the files it
// records are complete AVI files that gst-discoverer-1.0 reads with the size, rate, length and streams asked
// for.
#include "ctl_process.h"
#include "tv/device_lock.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Where the AVI's top-level chunks say they are.
struct AviLayout {
    std::uint64_t fileSize = 0;
    std::uint32_t riffSize = 0;
    bool moviFound = false;
    bool idx1AfterMovi = false;
};

AviLayout ReadAviLayout(const fs::path& file) {
    AviLayout layout;
    std::ifstream in(file, std::ios::binary);
    layout.fileSize = fs::file_size(file);
    char header[12];
    if (!in.read(header, 12) || std::string(header, 4) != "RIFF" || std::string(header + 8, 4) != "AVI ") {
        return layout;
    }
    std::memcpy(&layout.riffSize, header + 4, 4);
    char chunk[12];
    while (in.read(chunk, 8)) {
        std::uint32_t size = 0;
        std::memcpy(&size, chunk + 4, 4);
        const std::string id(chunk, 4);
        if (id == "LIST" && in.read(chunk + 8, 4) && std::string(chunk + 8, 4) == "movi") {
            layout.moviFound = true;
            in.seekg(static_cast<std::streamoff>(size) - 4 + (size & 1), std::ios::cur);
            continue;
        }
        if (id == "idx1" && layout.moviFound) {
            layout.idx1AfterMovi = true;
        }
        in.seekg(static_cast<std::streamoff>(size) - (id == "LIST" ? 4 : 0) + (size & 1), std::ios::cur);
    }
    return layout;
}

struct Discovered {
    int width = 0;
    int height = 0;
    QString frameRate;
    double seconds = 0;
    bool audio = false;
    QString videoCaps;
};

Discovered Discover(const fs::path& file) {
    QProcess discoverer;
    discoverer.start(QStringLiteral("gst-discoverer-1.0"),
                     {QStringLiteral("-v"), QString::fromStdString(file)});
    EXPECT_TRUE(discoverer.waitForFinished(30000));
    const QString text = QString::fromUtf8(discoverer.readAllStandardOutput());
    Discovered found;
    auto capture = [&](const char* pattern) {
        const auto match = QRegularExpression(QString::fromLatin1(pattern)).match(text);
        return match.hasMatch() ? match.captured(1) : QString();
    };
    found.width = capture(R"(Width: (\d+))").toInt();
    found.height = capture(R"(Height: (\d+))").toInt();
    found.frameRate = capture(R"(Frame rate: (\S+))");
    found.videoCaps = capture(R"(video #\d+: (\S+))");
    found.audio = text.contains(QRegularExpression(QStringLiteral(R"(audio #\d+:)")));
    const auto duration = QRegularExpression(QStringLiteral(R"(Duration: (\d+):(\d+):([\d.]+))")).match(text);
    if (duration.hasMatch()) {
        found.seconds = duration.captured(1).toInt() * 3600 + duration.captured(2).toInt() * 60 +
                        duration.captured(3).toDouble();
    }
    return found;
}

class CtlRecord : public CtlProcessTest {
protected:
    static void ExpectComplete(const fs::path& avi) {
        ASSERT_TRUE(fs::exists(avi));
        const AviLayout layout = ReadAviLayout(avi);
        EXPECT_EQ(layout.riffSize, layout.fileSize - 8);
        EXPECT_TRUE(layout.moviFound);
        EXPECT_TRUE(layout.idx1AfterMovi);
    }
};

TEST_F(CtlRecord, ThreeSecondsOfPictureAndSoundKeepingTheLastRecording) {
    std::ofstream(file("capture.avi")) << "the last recording";

    const CtlRun result = run({"record", "3", "--size", "352x288"});

    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains(
        QRegularExpression(QStringLiteral(R"(^Time: 1\.\d  Frames: \d+ \(dropped \d+\)  FPS: )"),
                           QRegularExpression::MultilineOption)))
        << result.out.toStdString();
    EXPECT_TRUE(result.out.contains(
        QRegularExpression(QStringLiteral(R"(recorded capture\.avi frames \d+ dropped 0\n$)"))))
        << result.out.toStdString();
    ExpectComplete(file("capture.avi"));
    const Discovered found = Discover(file("capture.avi"));
    EXPECT_EQ(found.width, 352);
    EXPECT_EQ(found.height, 288);
    EXPECT_EQ(found.frameRate, "25/1");
    EXPECT_NEAR(found.seconds, 3.0, 0.2);
    EXPECT_TRUE(found.audio);

    int kept = 0;
    for (const auto& entry : fs::directory_iterator(file("."))) {
        if (entry.path().filename().string().rfind("capture-", 0) == 0) {
            std::ifstream in(entry.path());
            std::string text;
            std::getline(in, text);
            EXPECT_EQ(text, "the last recording");
            ++kept;
        }
    }
    EXPECT_EQ(kept, 1);
}

TEST_F(CtlRecord, ThroughAVideoCompressor) {
    const CtlRun result = run({"record", "3", "--video-codec", "JPEG image encoder", "--output", "jpeg.avi"});

    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    ExpectComplete(file("jpeg.avi"));
    const Discovered found = Discover(file("jpeg.avi"));
    EXPECT_EQ(found.videoCaps.left(10), "image/jpeg");
    EXPECT_EQ(found.width, 352);
    EXPECT_EQ(found.height, 288);
    EXPECT_EQ(found.frameRate, "25/1");
    EXPECT_NEAR(found.seconds, 3.0, 0.2);
    EXPECT_TRUE(found.audio);
}

TEST_F(CtlRecord, LostDeviceStillLeavesACompleteFile) {
    useCard(R"({"lose_device_after_ms":1500})");

    const CtlRun result = run({"record", "3"});

    EXPECT_NE(result.exitCode, 0);
    EXPECT_TRUE(
        result.err.contains("error: Stopping Capture/Preview (Device Lost). Select New Capture Device"))
        << result.err.toStdString();
    ExpectComplete(file("capture.avi"));
    EXPECT_NEAR(Discover(file("capture.avi")).seconds, 1.5, 0.3);
}

TEST_F(CtlRecord, CtrlCStopsWithACompleteFile) {
    QProcess process;
    start(process, {"record", "30", "--no-sound"});
    // The first figures show the recording runs.
    while (!process.readAllStandardOutput().contains("Time:") && process.state() == QProcess::Running) {
        process.waitForReadyRead(10000);
    }
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    ExpectComplete(file("capture.avi"));
    const Discovered found = Discover(file("capture.avi"));
    EXPECT_FALSE(found.audio);
    EXPECT_GT(found.seconds, 0.5);
    EXPECT_LT(found.seconds, 10.0);
}

TEST_F(CtlRecord, UnwritableFileEndsWithAnErrorInsteadOfAHang) {
    const CtlRun result = run({"record", "3", "--output", "missing/folder/capture.avi"}, 30000);

    EXPECT_NE(result.exitCode, 0);
    EXPECT_TRUE(result.err.startsWith("error: ")) << result.err.toStdString();

    // A full disk: the writes fail while recording, which ends it with the graph's error.
    const CtlRun full = run({"record", "3", "--output", "/dev/full"}, 30000);
    EXPECT_NE(full.exitCode, 0);
    EXPECT_TRUE(full.err.contains("error: ERROR during capture/preview")) << full.err.toStdString();
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST_F(CtlRecord, BusyDeviceNamesItsHolder) {
    DeviceLock held;
    ASSERT_TRUE(held.acquire("Corvane Virtual TV Card"));

    const CtlRun result = run({"record", "3"});

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err.toStdString(), "error: device busy: Corvane Virtual TV Card is in use by process " +
                                            std::to_string(::getpid()) + "\n");
    EXPECT_FALSE(fs::exists(file("capture.avi")));
}

TEST_F(CtlRecord, DevicesAreListedByCategoryAndPickerIndex) {
    const CtlRun result = run({"devices"});

    ASSERT_EQ(result.exitCode, 0);
    for (const char* line :
         {"video-capture\t0\tCorvane Virtual TV Card\n", "audio-capture\t0\tCorvane Virtual TV Card Audio\n",
          "tv-tuner\t0\tCorvane Virtual TV Card\n", "tv-audio\t0\tCorvane Virtual TV Card\n",
          "crossbar\t0\tCorvane Virtual TV Card\n", "video-compressor\t1\t"}) {
        EXPECT_TRUE(result.out.contains(QString::fromLatin1(line))) << line;
    }
    EXPECT_FALSE(result.out.contains("<no compression>"));
}

TEST_F(CtlRecord, UnknownDeviceIsAnError) {
    const CtlRun result = run({"record", "1", "--device", "No Such Card"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "error: no video capture device named No Such Card\n");
}

TEST_F(CtlRecord, TuneTvPrintsTheOffsetAndTheLock) {
    // 1 MHz from the only carrier is still heard; the offset is carrier − frequency.
    useCard("{}");
    struct Case {
        const char* megahertz;
        const char* lines;
    };
    for (const Case& c : {Case{"196.25", "frequency 196250000\nfine-tuning +0\nsignal locked\n"},
                          Case{"195.5", "frequency 195500000\nfine-tuning +750000\nsignal locked\n"},
                          Case{"197.25", "frequency 197250000\nfine-tuning -1000000\nsignal locked\n"},
                          Case{"197.2501", "frequency 197250100\nfine-tuning +0\nsignal none\n"}}) {
        const CtlRun result = run({"tune", "tv", c.megahertz});
        EXPECT_EQ(result.exitCode, 0) << c.megahertz << result.err.toStdString();
        EXPECT_EQ(result.out.toStdString(), c.lines) << c.megahertz;
        EXPECT_FALSE(result.err.contains("error")) << result.err.toStdString();
    }
}

TEST_F(CtlRecord, TuneTvToAFrequencyTheTunerRefuses) {
    for (const char* megahertz : {"900", "0"}) {
        const CtlRun result = run({"tune", "tv", megahertz});
        EXPECT_EQ(result.exitCode, 1) << megahertz;
        EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
        EXPECT_TRUE(result.err.contains(QRegularExpression(
            QStringLiteral("(^|\n)error: KSPROPERTY_TUNER_FREQUENCY: The parameter is incorrect\\.\n"))))
            << result.err.toStdString();
    }

    // A tuner whose property sets fail: the first failure is a warning, the last the error.
    useCard(R"({"set_property":true})");
    const CtlRun failing = run({"tune", "tv", "196.25"});
    EXPECT_EQ(failing.exitCode, 1);
    EXPECT_TRUE(failing.err.contains(QRegularExpression(
        QStringLiteral("warning: KSPROPERTY_TUNER_MODE: .+\nerror: KSPROPERTY_TUNER_FREQUENCY: "))))
        << failing.err.toStdString();
}

TEST_F(CtlRecord, TuneRadioPrintsTheOffsetInFmMode) {
    // The card's one station is at 100.1 MHz; FM hears it within 150 kHz, the offset is carrier − frequency.
    useCard("{}");
    struct Case {
        const char* megahertz;
        const char* lines;
    };
    for (const Case& c : {Case{"100.1", "frequency 100100000\nfine-tuning +0\n"},
                          Case{"100", "frequency 100000000\nfine-tuning +100000\n"},
                          Case{"100.2", "frequency 100200000\nfine-tuning -100000\n"},
                          Case{"100.3", "frequency 100300000\nfine-tuning +0\n"}}) {
        const CtlRun result = run({"tune", "radio", c.megahertz});
        EXPECT_EQ(result.exitCode, 0) << c.megahertz << result.err.toStdString();
        EXPECT_EQ(result.out.toStdString(), c.lines) << c.megahertz;
        EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
    }
}

TEST_F(CtlRecord, TuneRadioRefusals) {
    useCard("{}");
    // Below the FM band, and the frequency no tuner takes.
    for (const char* megahertz : {"60", "0"}) {
        const CtlRun result = run({"tune", "radio", megahertz});
        EXPECT_EQ(result.exitCode, 1) << megahertz;
        EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
        EXPECT_TRUE(result.err.contains(QRegularExpression(
            QStringLiteral("(^|\n)error: KSPROPERTY_TUNER_FREQUENCY: The parameter is incorrect\\.\n"))))
            << result.err.toStdString();
    }

    const CtlRun unknown = run({"tune", "radio", "100.1", "--device", "No Such Tuner"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.err, "error: no radio tuner named No Such Tuner\n");

    // The program (here this test) playing the radio keeps its tuner.
    DeviceLock held;
    ASSERT_TRUE(held.acquire("Corvane Virtual TV Card radio tuner"));
    const CtlRun busy = run({"tune", "radio", "100.1"});
    EXPECT_EQ(busy.exitCode, 1);
    EXPECT_EQ(busy.err.toStdString(),
              "error: device busy: Corvane Virtual TV Card radio tuner is in use by process " +
                  std::to_string(::getpid()) + "\n");
}

} // namespace
