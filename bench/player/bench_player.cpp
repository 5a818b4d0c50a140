// SPDX-License-Identifier: GPL-2.0-or-later
// Plays one generated 720 x 576, 25 fps file with sound through TPlayerTools and through gst-play-1.0 with
// the same sinks, and reports time from open to first frame and CPU time per second of playback, as ratios to
// gst-play-1.0 measured in the same run. Reports figures only; it asserts nothing.

#include "media_test_support.h"
#include "platform/media/gst/filter_graph.h"
#include "platform/media/video_renderer.h"
#include "platform/win/message_boxes.h"
#include "player/player_tools.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr double kFileSeconds = 10.0;
constexpr int kRuns = 3;
const char* const AudioSink = "fakeaudiosink";
// gst-play's picture goes through the same conversion as the player's renderer, into a clocked sink.
const char* const GstPlayVideoSink = "videoconvert ! video/x-raw,format=BGRx ! fakesink sync=true";

struct Measurement {
    double firstFrameMs = 0;
    double cpuPerSecond = 0; // CPU seconds per second of playback
};

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::optional<Measurement> PlayThroughPlayerTools(const QString& file) {
    VideoTargetRecord target;
    QWidget owner;
    target.owner = &owner;
    RecordingMessageBoxes boxes;
    TPlayerTools tools(nullptr, &target, boxes);
    // Opening counts towards the CPU time too, as gst-play's figure covers its whole run.
    const double cpuBefore = ProcessCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    if (!tools.OpenFile(file)) {
        return std::nullopt;
    }
    auto* graph = dynamic_cast<FilterGraph*>(tools.graph());
    if (!graph || !graph->videoRenderer() ||
        !WaitUntil([&] { return graph->videoRenderer()->framesPresented() > 0; }, 10000)) {
        return std::nullopt;
    }
    Measurement result;
    result.firstFrameMs = double(clock.nsecsElapsed()) / 1e6;
    clock.restart();
    tools.Play();
    LONG code = 0;
    LONG_PTR first = 0;
    LONG_PTR second = 0;
    while (clock.elapsed() < 60000) {
        if (SUCCEEDED(query<IMediaEventEx>(tools.graph())->GetEvent(&code, &first, &second, 50)) &&
            code == EC_COMPLETE) {
            break;
        }
        QCoreApplication::processEvents();
    }
    if (code != EC_COMPLETE) {
        return std::nullopt;
    }
    result.cpuPerSecond = (ProcessCpuSeconds() - cpuBefore) / kFileSeconds;
    return result;
}

// Runs gst-play-1.0 to the end; returns its CPU seconds and what it wrote to stderr.
std::optional<std::pair<double, QByteArray>> RunGstPlay(const QString& program, const QString& file,
                                                        bool traced) {
    const QString log = QStringLiteral("%1/gst-play-%2.log").arg(QDir::tempPath()).arg(::getpid());
    const pid_t child = fork();
    if (child == 0) {
        if (traced) {
            setenv("GST_DEBUG", "GST_STATES:4,basesink:5", 1);
            setenv("GST_DEBUG_NO_COLOR", "1", 1);
        }
        std::freopen(log.toLocal8Bit().constData(), "w", stderr);
        std::freopen("/dev/null", "w", stdout);
        const QByteArray path = program.toLocal8Bit();
        const QByteArray audio = QByteArray("--audiosink=") + AudioSink;
        const QByteArray video = QByteArray("--videosink=") + GstPlayVideoSink;
        const QByteArray media = file.toLocal8Bit();
        execl(path.constData(), path.constData(), "--no-interactive", "-q", audio.constData(),
              video.constData(), media.constData(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    QFile output(log);
    output.open(QIODevice::ReadOnly);
    const QByteArray text = output.readAll();
    output.remove();
    const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return std::make_pair(cpu, text);
}

std::optional<double> TraceTimeMs(const QString& trace, const QString& pattern) {
    const QRegularExpression line(QStringLiteral(R"(^(\d+):(\d+):(\d+)\.(\d+) .*)") + pattern,
                                  QRegularExpression::MultilineOption);
    const auto match = line.match(trace);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const double seconds = match.captured(1).toDouble() * 3600 + match.captured(2).toDouble() * 60 +
                           match.captured(3).toDouble() + match.captured(4).toDouble() / 1e9;
    return seconds * 1000.0;
}

// From the moment gst-play starts opening the file (its playbin is ready) to the picture sink's first frame.
std::optional<double> FirstFrameMsFromTrace(const QByteArray& trace) {
    const QString text = QString::fromUtf8(trace);
    const auto opening = TraceTimeMs(text, QStringLiteral("<playbin> completed state change to READY"));
    const auto frame =
        TraceTimeMs(text, QStringLiteral("gst_base_sink_do_preroll:<fakesink\\d+> preroll buffer"));
    if (!opening || !frame) {
        return std::nullopt;
    }
    return *frame - *opening;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    UseFakeAudioOutput(AudioSink);
    const QString gstPlay = QStandardPaths::findExecutable(QStringLiteral("gst-play-1.0"));
    if (gstPlay.isEmpty()) {
        std::fprintf(stderr,
                     "bench_player: gst-play-1.0 is not installed (gstreamer1.0-plugins-base-apps)\n");
        return 1;
    }
    GeneratedMedia media;
    const QString file =
        WriteVideoWithSoundFile(media.path(QStringLiteral("bench.avi")), 720, 576, kFileSeconds);
    if (file.isEmpty()) {
        std::fprintf(stderr, "bench_player: could not generate the media file\n");
        return 1;
    }
    // One untimed run loads the plug-ins, as gst-play loads them from a warm registry too.
    PlayThroughPlayerTools(file);

    std::vector<double> oursFirst, oursCpu, theirsFirst, theirsCpu;
    for (int run = 0; run < kRuns; ++run) {
        const auto ours = PlayThroughPlayerTools(file);
        const auto traced = RunGstPlay(gstPlay, file, true);
        const auto plain = RunGstPlay(gstPlay, file, false);
        const auto theirFirst = traced ? FirstFrameMsFromTrace(traced->second) : std::nullopt;
        if (!ours || !plain || !theirFirst) {
            std::fprintf(stderr, "bench_player: run %d failed\n", run + 1);
            return 1;
        }
        oursFirst.push_back(ours->firstFrameMs);
        oursCpu.push_back(ours->cpuPerSecond);
        theirsFirst.push_back(*theirFirst);
        theirsCpu.push_back(plain->first / kFileSeconds);
    }
    const double first = Median(oursFirst);
    const double cpu = Median(oursCpu);
    const double theirFirst = Median(theirsFirst);
    const double theirCpu = Median(theirsCpu);
    std::printf("file: 720x576, 25 fps, JPEG in AVI with 44.1 kHz stereo PCM, %.0f s; medians of %d runs\n",
                kFileSeconds, kRuns);
    std::printf("%-28s %14s %14s\n", "", "TPlayerTools", "gst-play-1.0");
    std::printf("%-28s %14.1f %14.1f\n", "open to first frame (ms)", first, theirFirst);
    std::printf("%-28s %14.4f %14.4f\n", "CPU s per s of playback", cpu, theirCpu);
    std::printf("ratio first frame: %.2f\n", first / theirFirst);
    std::printf("ratio CPU per second: %.2f\n", cpu / theirCpu);
    return 0;
}
