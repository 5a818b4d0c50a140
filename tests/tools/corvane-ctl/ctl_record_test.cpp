// SPDX-License-Identifier: GPL-2.0-or-later
// corvane-ctl end to end on the virtual TV card: tuning reports what the card's tuner hears, and the files it
// records are complete AVI files that gst-discoverer-1.0 reads with the size, rate, length and streams asked
// for.
#include "app/settings_store.h"
#include "avi_structure.h"
#include "channels/channel_list_editor.h"
#include "channels/headless_channel_list_view.h"
#include "ctl_process.h"
#include "platform/win/clock.h"
#include "tone_measure.h"
#include "tv/compressor_options.h"
#include "tv/device_lock.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numeric>
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

// The last line of a recording names its file and its frames: those are the pictures the file holds, with the
// ones the multiplexer still held at the stop (a frame never delivered is an empty chunk, no picture).
// dropped is a pattern for the dropped count.
void ExpectFramesReportedAsWritten(const QString& out, const fs::path& avi, const char* dropped) {
    const QString line = QStringLiteral("recorded %1 frames (\\d+) dropped %2\n$")
                             .arg(QRegularExpression::escape(QString::fromStdString(avi.filename().string())),
                                  QString::fromLatin1(dropped));
    const auto recorded = QRegularExpression(line).match(out);
    ASSERT_TRUE(recorded.hasMatch()) << out.toStdString();
    const int written = ReadAviStructure(QString::fromStdString(avi.string())).pictures();
    EXPECT_GT(written, 0);
    EXPECT_NEAR(recorded.captured(1).toInt(), written, 1);
}

TEST_F(CtlRecord, ThreeSecondsOfPictureAndSoundKeepingTheLastRecording) {
    std::ofstream(file("capture.avi")) << "the last recording";

    const CtlRun result = run({"record", "3", "--size", "352x288"});

    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    // A line a second, the first a second in; none may come early, as a coarse timer's would ("Time: 0.9").
    QRegularExpressionMatchIterator lines =
        QRegularExpression(QStringLiteral(R"(^Time: (\d+)\.(\d)  Frames: \d+ \(dropped \d+\)  FPS: )"),
                           QRegularExpression::MultilineOption)
            .globalMatch(result.out);
    int count = 0;
    while (lines.hasNext()) {
        const QRegularExpressionMatch line = lines.next();
        ++count;
        const int tenths = line.captured(1).toInt() * 10 + line.captured(2).toInt();
        if (count == 1) {
            EXPECT_EQ(line.captured(1), QStringLiteral("1")) << result.out.toStdString();
        }
        EXPECT_GE(tenths, count * 10) << "line " << count << " of\n" << result.out.toStdString();
    }
    EXPECT_GE(count, 1) << result.out.toStdString();
    ExpectFramesReportedAsWritten(result.out, file("capture.avi"), "0");
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
    EXPECT_TRUE(found.audio);
    // How many frames come depends on the machine: a sanitizer build on a busy one cannot draw the card's
    // pictures in real time (46 of 75 were seen). The span is checked without an encoder.
    ExpectFramesReportedAsWritten(result.out, file("jpeg.avi"), "\\d+");
}

TEST_F(CtlRecord, StoredCompressorSettingsApplyAndAnOptionOverridesThemForOneRun) {
    RealClock clock;
    CompressorOptions stored;
    stored.set("jpegenc", {{"nosuch", "1"}, {"quality", "3"}}); // in the order they are read back
    SettingsTargets targets;
    targets.compressors = &stored;
    ASSERT_TRUE(SaveSettings(targets, registry(), &clock));
    const auto record = [&](const QString& output, const QStringList& options) {
        return run(QStringList{"record", "1", "--no-sound", "--video-codec", "JPEG image encoder", "--output",
                               output} +
                   options);
    };

    const CtlRun low = record("low.avi", {});
    ASSERT_EQ(low.exitCode, 0) << low.err.toStdString();
    EXPECT_EQ(low.err.count("skipped"), 1) << low.err.toStdString();
    EXPECT_TRUE(low.err.contains("nosuch=1 of the compressor jpegenc")) << low.err.toStdString();
    const CtlRun high = record("high.avi", {"--video-option", "quality=100"});
    ASSERT_EQ(high.exitCode, 0) << high.err.toStdString();
    ExpectComplete(file("high.avi"));
    // Both hold the same second of the same picture: only the quality differs.
    const auto lowSize = fs::file_size(file("low.avi"));
    const auto highSize = fs::file_size(file("high.avi"));
    EXPECT_GT(highSize, 3 * lowSize) << lowSize << " against " << highSize;

    CompressorOptions after;
    targets.compressors = &after;
    LoadSettings(targets, registry(), &clock);
    EXPECT_EQ(after.of("jpegenc"), stored.of("jpegenc")) << "an option is for its run only";
}

TEST_F(CtlRecord, ABadCompressorOptionFailsBeforeAnythingIsRecorded) {
    struct Bad {
        QStringList args;
        QString error;
    };
    for (const Bad& bad :
         {Bad{{"--video-codec", "JPEG image encoder", "--video-option", "quality=lots"},
              "error: --video-option quality=lots: \"lots\" is not a value of quality (compressor "
              "jpegenc)\n"},
          Bad{{"--video-codec", "JPEG image encoder", "--video-option", "bitrate=4000"},
              "error: --video-option bitrate=4000: no setting named bitrate (compressor jpegenc)\n"},
          Bad{{"--no-sound", "--audio-option", "bitrate=128"},
              "error: --audio-option needs an audio compressor to record with\n"}}) {
        const CtlRun result = run(QStringList{"record", "1"} + bad.args);
        EXPECT_EQ(result.exitCode, 1) << bad.error.toStdString();
        EXPECT_EQ(result.err, bad.error);
        EXPECT_FALSE(result.out.contains("recorded ")) << result.out.toStdString();
        EXPECT_FALSE(fs::exists(file("capture.avi")));
        EXPECT_FALSE(fs::exists(file("capture.avi.part")));
    }
}

TEST_F(CtlRecord, ACompressorThatFailsLeavesNoRecordingAndSaysSo) {
    const CtlRun result = run({"record", "2", "--video-codec", "libav MPEG-1 video encoder"}, 30000);

    EXPECT_NE(result.exitCode, 0);
    EXPECT_TRUE(result.err.contains("error: ")) << result.err.toStdString();
    EXPECT_FALSE(result.out.contains("recorded ")) << result.out.toStdString();
    EXPECT_FALSE(fs::exists(file("capture.avi"))) << "nothing that looks like a recording";
}

TEST_F(CtlRecord, LostDeviceStillLeavesACompleteFile) {
    useCard(R"({"lose_device_after_ms":1500})");

    const CtlRun result = run({"record", "3"});

    EXPECT_NE(result.exitCode, 0);
    EXPECT_TRUE(
        result.err.contains("error: Stopping Capture/Preview (Device Lost). Select New Capture Device"))
        << result.err.toStdString();
    ExpectComplete(file("capture.avi"));
    // Each device goes 1.5 s after its own first data. A picture that started later than the sound (on a busy
    // machine) is filled from the sound's start, so it ends that much later.
    const double lateStart =
        ReadAviStructure(QString::fromStdString(file("capture.avi").string())).emptyAtStart * 0.04;
    EXPECT_NEAR(Discover(file("capture.avi")).seconds - lateStart, 1.5, 0.3);
}

TEST_F(CtlRecord, CtrlCStopsWithACompleteFile) {
    QProcess process;
    start(process, {"record", "30", "--no-sound"});
    // Stopped once the figures count a second of frames: their clock starts with the graph, and on a busy
    // machine the first frames come later than that.
    const QRegularExpression frames(QStringLiteral("Frames: (\\d+)"));
    QByteArray said;
    auto framesSoFar = [&] {
        int count = 0;
        for (auto match = frames.globalMatch(QString::fromUtf8(said)); match.hasNext();) {
            count = match.next().captured(1).toInt();
        }
        return count;
    };
    while (framesSoFar() < 25 && process.state() == QProcess::Running) {
        process.waitForReadyRead(10000);
        said += process.readAllStandardOutput();
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
    // The engine's log of the bus error may come first; the verdict is a line of its own.
    EXPECT_TRUE(result.err.contains(
        QRegularExpression(QStringLiteral("^error: "), QRegularExpression::MultilineOption)))
        << result.err.toStdString();

    // A full disk: the writes fail while recording, which ends it with the graph's error.
    const CtlRun full = run({"record", "3", "--output", "/dev/full"}, 30000);
    EXPECT_NE(full.exitCode, 0);
    EXPECT_TRUE(full.err.contains("error: ERROR during capture/preview")) << full.err.toStdString();
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST_F(CtlRecord, TwoRecordingsOfTheVirtualCardRunAtOnce) {
    // The virtual card is each process's own: a lock of its name (as older versions took) holds nothing.
    DeviceLock held;
    ASSERT_TRUE(held.acquire("Corvane Virtual TV Card"));
    QProcess first;
    start(first,
          {"record", "2", "--no-sound", "--output", QString::fromStdString(file("first.avi").string())});
    const CtlRun second =
        run({"record", "2", "--no-sound", "--output", QString::fromStdString(file("second.avi").string())},
            30000);
    ASSERT_TRUE(first.waitForFinished(30000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_TRUE(fs::exists(file("first.avi")));
    EXPECT_TRUE(fs::exists(file("second.avi")));
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

// A received channel shows the colour bars: most neighbouring pixels along a line are alike. Snow is noise.
bool ShowsBars(const QImage& image) {
    const int y = image.height() / 4;
    int alike = 0;
    for (int x = 1; x < image.width(); ++x) {
        alike += image.pixel(x, y) == image.pixel(x - 1, y) ? 1 : 0;
    }
    return alike > image.width() * 9 / 10;
}

TEST_F(CtlRecord, SnapshotShowsTheTunedChannelAndSnowWithoutOne) {
    useCard("{}");
    const CtlRun tuned = run({"snapshot", "tuned.png", "--tune", "tv", "196.25", "--size", "384x288"});
    ASSERT_EQ(tuned.exitCode, 0) << tuned.err.toStdString();
    EXPECT_EQ(tuned.out, "snapshot tuned.png 384x288\n");
    const QImage picture(QString::fromStdString(file("tuned.png").string()));
    EXPECT_EQ(picture.size(), QSize(384, 288));
    EXPECT_TRUE(ShowsBars(picture));

    const CtlRun untuned = run({"snapshot", "snow.png", "--tune", "tv", "500"});
    ASSERT_EQ(untuned.exitCode, 0) << untuned.err.toStdString();
    const QImage snow(QString::fromStdString(file("snow.png").string()));
    EXPECT_EQ(snow.size(), QSize(352, 288));
    EXPECT_FALSE(ShowsBars(snow));

    // Another input than the tuner: the card's own bars whatever is tuned.
    const CtlRun input = run({"snapshot", "input.png", "--tune", "tv", "500", "--input", "Video SVideo"});
    ASSERT_EQ(input.exitCode, 0) << input.err.toStdString();
    EXPECT_TRUE(ShowsBars(QImage(QString::fromStdString(file("input.png").string()))));
}

TEST_F(CtlRecord, SnapshotMistakesEndWithAClearError) {
    const CtlRun unknownInput = run({"snapshot", "a.png", "--input", "Video Scart"});
    EXPECT_EQ(unknownInput.exitCode, 1);
    EXPECT_EQ(unknownInput.err.toStdString(), "error: no input named Video Scart on Corvane Virtual TV Card; "
                                              "inputs: Video Tuner, Video Composite, Video SVideo\n");
    const CtlRun unwritable = run({"snapshot", "missing/folder/a.png"});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(unwritable.err.startsWith("error: cannot write missing/folder/a.png"))
        << unwritable.err.toStdString();
    const CtlRun badSize = run({"snapshot", "a.png", "--size", "8000x600"});
    EXPECT_EQ(badSize.exitCode, 2);
    const CtlRun refusedSize = run({"snapshot", "a.png", "--size", "4000x3000"});
    EXPECT_EQ(refusedSize.exitCode, 1);
    EXPECT_TRUE(refusedSize.err.endsWith("error: Corvane Virtual TV Card does not preview at 4000x3000\n"))
        << refusedSize.err.toStdString();
    EXPECT_FALSE(fs::exists(file("a.png")));

    // A device lost before the frames came: an error instead of a wait.
    useCard(R"({"lose_device_after_ms":40})");
    const CtlRun lost = run({"snapshot", "a.png"}, 30000);
    EXPECT_EQ(lost.exitCode, 1);
    EXPECT_TRUE(lost.err.contains("error: ")) << lost.err.toStdString();
    EXPECT_FALSE(fs::exists(file("a.png")));

    environment_.insert(QStringLiteral("CORVANE_DEVICES"), QStringLiteral("none"));
    const CtlRun none = run({"snapshot", "a.png"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.err, "error: no video capture device\n");
}

TEST_F(CtlRecord, RecordTunesAndChoosesTheInputFirst) {
    const CtlRun unknown = run({"record", "1", "--input", "Video Scart"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.contains("error: no input named Video Scart")) << unknown.err.toStdString();
    EXPECT_FALSE(fs::exists(file("capture.avi")));

    const CtlRun refused = run({"record", "1", "--tune", "tv", "900"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("error: KSPROPERTY_TUNER_FREQUENCY")) << refused.err.toStdString();

    const CtlRun recorded =
        run({"record", "1", "--tune", "tv", "175.25", "--input", "Video Tuner", "--no-sound"});
    ASSERT_EQ(recorded.exitCode, 0) << recorded.err.toStdString();
    ExpectComplete(file("capture.avi"));
}

// The luma of the last picture of an uncompressed recording at 352 × 288: YUY2 gives every other byte.
std::vector<int> LastPictureLuma(const fs::path& avi) {
    QFile file(QString::fromStdString(avi.string()));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    constexpr qsizetype kFrameBytes = 352 * 288 * 2;
    qsizetype last = -1;
    for (qsizetype at = data.indexOf("00d"); at >= 0; at = data.indexOf("00d", at + 4)) {
        if (at + 8 + kFrameBytes <= data.size() && ReadLe32(data, at + 4) == kFrameBytes) {
            last = at + 8;
            at += kFrameBytes;
        }
    }
    std::vector<int> luma;
    for (qsizetype i = 0; last >= 0 && i < kFrameBytes; i += 2) {
        luma.push_back(static_cast<unsigned char>(data[last + i]));
    }
    return luma;
}

double MeanOf(const std::vector<int>& values) {
    return values.empty() ? 0.0 : std::accumulate(values.begin(), values.end(), 0.0) / values.size();
}

// Bars, not snow: along a line most neighbouring pixels are alike.
bool LineShowsBars(const std::vector<int>& luma) {
    const std::size_t row = 288 / 4 * 352;
    int alike = 0;
    for (std::size_t x = 1; x < 352 && row + x < luma.size(); ++x) {
        alike += std::abs(luma[row + x] - luma[row + x - 1]) <= 2 ? 1 : 0;
    }
    return alike > 352 * 9 / 10;
}

TEST_F(CtlRecord, RecordsAStoredChannelByNameWithItsPictureValues) {
    useCard("{}");
    RealClock clock;
    HeadlessChannelListView view;
    TVChannelList stored(view, nullptr, clock, QLocale::c());
    ChannelEntry plain = ChannelEntry::MakeTV(196250000, 16);
    plain.name = QStringLiteral("Test One");
    ChannelEntry dark = plain;
    dark.name = QStringLiteral("Test One dark");
    dark.brightness = 3000;
    stored.list().replaceAll({plain, dark});
    SettingsTargets targets;
    targets.tvChannels = &stored;
    ASSERT_TRUE(SaveSettings(targets, registry(), &clock));

    const CtlRun unknown = run({"record", "1", "--channel", "Test Two"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.err, "error: no TV channel named Test Two\n");
    EXPECT_FALSE(fs::exists(file("capture.avi")));

    std::vector<int> luma[2];
    for (int i = 0; i < 2; ++i) {
        const QString output = i == 0 ? QStringLiteral("plain.avi") : QStringLiteral("dark.avi");
        const CtlRun result = run({"record", "--duration", "1s", "--no-sound", "--output", output,
                                   "--channel", i == 0 ? plain.name : dark.name});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
        luma[i] = LastPictureLuma(file(output.toLatin1().constData()));
        ASSERT_EQ(luma[i].size(), 352u * 288u);
    }
    // The untuned card shows snow: bars show the channel's frequency reached the tuner.
    EXPECT_TRUE(LineShowsBars(luma[0]));
    EXPECT_TRUE(LineShowsBars(luma[1]));
    // 3000 of 10000 is well below the card's middle brightness.
    EXPECT_LT(MeanOf(luma[1]), MeanOf(luma[0]) - 30) << MeanOf(luma[1]) << " against " << MeanOf(luma[0]);
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

// What listen played: the card-sound output is a file of raw 48 kHz mono samples.
std::vector<std::int16_t> ReadSamples(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::int16_t> samples;
    std::int16_t sample = 0;
    while (in.read(reinterpret_cast<char*>(&sample), sizeof sample)) {
        samples.push_back(sample);
    }
    return samples;
}

TEST_F(CtlRecord, ListenPrintsTheTuneLinesAndPlaysTheStationForTheTimeGiven) {
    useCard("{}");
    struct Case {
        QStringList args;
        const char* lines;
        bool tone;
    };
    for (const Case& c :
         {Case{{"listen", "radio", "100.1", "2"}, "frequency 100100000\nfine-tuning +0\n", true},
          Case{{"listen", "radio", "107.9", "2"}, "frequency 107900000\nfine-tuning +0\n", false},
          Case{{"listen", "tv", "196.25", "2"},
               "frequency 196250000\nfine-tuning +0\nsignal locked\n",
               true}}) {
        const fs::path played = file("played.raw");
        fs::remove(played);
        environment_.insert(QStringLiteral("CORVANE_CARD_SOUND_SINK"),
                            QStringLiteral("capsfilter caps=audio/x-raw,format=S16LE,channels=1,rate=48000 ! "
                                           "filesink location=") +
                                QString::fromStdString(played.string()));
        const CtlRun result = run(c.args);
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_EQ(result.exitCode, 0) << what << result.err.toStdString();
        EXPECT_EQ(result.out.toStdString(), c.lines) << what;
        const std::vector<std::int16_t> samples = ReadSamples(played);
        // The time asked for counts from the first sound. How much of it reaches the file depends on the load
        // (the output drops old sound rather than fall behind); what matters is that the tone is there to be
        // measured and that the playing stopped.
        EXPECT_GT(samples.size(), 48000u / 10) << what;
        EXPECT_LT(samples.size(), 48000u * 4) << what;
        if (c.tone) {
            EXPECT_GT(Peak(samples), 3000) << what;
            EXPECT_GT(ToneFrequency(samples, 48000), 100.0) << what;
        } else {
            EXPECT_EQ(Peak(samples), 0) << what;
        }
    }
}

// Listening ends as soon as the sound device fails, with an error: there is nothing left to hear. A
// recording goes on with its picture.
TEST_F(CtlRecord, ASoundDeviceFailingEndsListeningButNotARecording) {
    useCard(R"({"fail_sound_after_ms":300})");
    environment_.insert(QStringLiteral("CORVANE_CARD_SOUND_SINK"), QStringLiteral("fakesink"));
    for (const QStringList& args :
         {QStringList{"listen", "radio", "100.1", "40"}, QStringList{"listen", "tv", "196.25", "40"}}) {
        const std::string what = args.join(' ').toStdString();
        // Far less than the seconds asked for: a listening that ran its time out would not finish here.
        const CtlRun result = run(args, 30000);
        EXPECT_EQ(result.exitCode, 1) << what << result.err.toStdString();
        EXPECT_TRUE(result.err.contains(
            QRegularExpression(QStringLiteral("corvane: the (radio's|TV) sound stopped"))))
            << what << result.err.toStdString();
        EXPECT_TRUE(result.err.endsWith("error: the sound stopped\n")) << what << result.err.toStdString();
    }

    const CtlRun recorded = run({"record", "2"});
    EXPECT_EQ(recorded.exitCode, 0) << recorded.err.toStdString();
    EXPECT_TRUE(recorded.err.contains("corvane: the TV sound stopped, the picture goes on"))
        << recorded.err.toStdString();
    ExpectComplete(file("capture.avi"));
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

    // The virtual card's radio tuner is each process's own: a lock of its name holds nothing.
    DeviceLock held;
    ASSERT_TRUE(held.acquire("Corvane Virtual TV Card radio tuner"));
    EXPECT_EQ(run({"tune", "radio", "100.1"}).exitCode, 0);
}

} // namespace
