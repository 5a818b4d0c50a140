// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl_record.h"

#include "app/settings_store.h"
#include "app/unix_signals.h"
#include "components/dev_cmb_pickers.h"
#include "ctl_choice.h"
#include "ctl_event_window.h"
#include "ctl_message_boxes.h"
#include "ctl_source.h"
#include "ctl_source_channel.h"
#include "ctl_timed_run.h"
#include "platform/devices/gst/gst_encoder_provider.h"
#include "platform/win/clock.h"
#include "tv/capture_file.h"
#include "tv/capture_statistics.h"
#include "tv/compressor_options.h"
#include "tv/tuner_platform.h"
#include "tv/tuner_tools.h"

#include <QCoreApplication>
#include <QTimer>

#include <optional>

namespace {

// How long the device may take to deliver its first frame once the graph runs.
constexpr int kFirstFrameMs = 10000;

LONG FramesDelivered(IAMDroppedFrames* counters) {
    LONG delivered = 0;
    if (counters) {
        counters->GetNumNotDropped(&delivered);
    }
    return delivered;
}

// A compressor by its listed name, or by the one it was listed under before, which scripts may still give.
bool ChooseCompressor(DevicePickerCombo& picker, const std::string& name) {
    if (ChooseByName(picker, name)) {
        return true;
    }
    for (int index = 0; index < picker.count(); ++index) {
        if (IsFormerEncoderName(picker.itemText(index).toStdString(), name)) {
            picker.setCurrentIndex(index);
            return true;
        }
    }
    return false;
}

// --video-option and --audio-option on the compressors just bound, before anything is recorded.
int ApplyCompressorOptions(TTunerTools& tools, const CtlArguments& args, std::FILE* err) {
    struct Side {
        const char* option;
        const CompressorOptions::Settings& settings;
        IBaseFilter* compressor;
        const char* what;
    };
    for (const Side& side :
         {Side{"--video-option", args.videoOptions, tools.videoCompressor.get(), "a video compressor"},
          Side{"--audio-option", args.audioOptions, tools.audioCompressor.get(), "an audio compressor"}}) {
        if (side.settings.empty()) {
            continue;
        }
        if (!side.compressor) {
            std::fprintf(err, "error: %s needs %s to record with\n", side.option, side.what);
            return 1;
        }
        const std::string refused = ApplyOneRunSettings(side.compressor, side.settings);
        if (!refused.empty()) {
            std::fprintf(err, "error: %s %s\n", side.option, refused.c_str());
            return 1;
        }
    }
    return 0;
}

} // namespace

int RecordCapture(const CtlArguments& args, std::FILE* out, std::FILE* err) {
    RealClock clock;
    CtlMessageBoxes boxes;
    const std::unique_ptr<TunerPlatform> platform = MakeEngineTunerPlatform();

    TVideoCaptureDevCombo video;
    TAudioCaptureDevCombo audio;
    TVideoCompressionDevCombo videoCodec;
    TAudioCompressionDevCombo audioCodec;
    CompressorOptions compressorOptions;
    SettingsTargets targets;
    targets.compressors = &compressorOptions;
    targets.tvVideoCaptureDev = &video;
    targets.tvVideoCompression = &videoCodec;
    targets.tvAudioCompression = &audioCodec;
    CtlStoredChannel channel(clock);
    if (args.channel) {
        targets.tvChannels = &channel.list();
    }
    LoadSettings(targets);
    if (args.channel && !channel.choose(*args.channel)) {
        std::fprintf(err, "error: no TV channel named %s\n", args.channel->c_str());
        return 1;
    }

    struct Named {
        const std::optional<std::string>& name;
        DevicePickerCombo& picker;
        const char* what;
        bool (*choose)(DevicePickerCombo&, const std::string&);
    };
    for (const Named& named : {Named{args.device, video, "video capture device", ChooseByName},
                               Named{args.audioDevice, audio, "audio capture device", ChooseByName},
                               Named{args.videoCodec, videoCodec, "video compressor", ChooseCompressor},
                               Named{args.audioCodec, audioCodec, "audio compressor", ChooseCompressor}}) {
        if (named.name && !named.choose(named.picker, *named.name)) {
            std::fprintf(err, "error: no %s named %s\n", named.what, named.name->c_str());
            return 1;
        }
    }
    IMoniker* videoMoniker = video.GetMoniker();
    if (!videoMoniker) {
        std::fprintf(err, "error: no video capture device\n");
        return 1;
    }
    IMoniker* audioMoniker = args.noSound ? nullptr : audio.GetMoniker();

    TTunerTools* current = nullptr;
    CaptureEventWindow window(current);
    CloseWindowOnTerminationSignals(&window);
    VideoTargetRecord target;
    TTunerTools tools(&target, TTunerTools::Services{*platform, boxes, clock});
    current = &tools;
    tools.notifyWindow = &window;
    tools.previewWanted = false;
    tools.audioWanted = audioMoniker != nullptr;
    tools.outputFile = std::filesystem::path(args.output).wstring();
    tools.compressorOptions = &compressorOptions;

    tools.SelectSources(videoMoniker, audioMoniker);
    const std::string device = video.GetDevice().toStdString();
    if (!tools.videoCapture) {
        return boxes.fail(err, "cannot open " + device);
    }
    if (args.channel) {
        if (const int status = channel.tune(tools, boxes, device, err)) {
            return status;
        }
    }
    if (const int status = PrepareSource(tools, boxes, clock, device, args, err)) {
        return status;
    }
    if (!tools.SetCaptureFormat(args.width, args.height) || tools.captureWidth != args.width ||
        tools.captureHeight != args.height) {
        return boxes.fail(err, device + " does not capture at " + std::to_string(args.width) + "x" +
                                   std::to_string(args.height));
    }
    tools.SelectCompressors(videoCodec.GetMoniker(), audioCodec.GetMoniker());
    if ((videoCodec.GetMoniker() && !tools.videoCompressor) ||
        (tools.audioWanted && audioCodec.GetMoniker() && !tools.audioCompressor)) {
        return boxes.fail(err, "cannot make the compressor");
    }
    if (const int status = ApplyCompressorOptions(tools, args, err)) {
        return status;
    }
    if (!tools.AssembleCapture()) {
        return boxes.fail(err, "cannot build the capture graph");
    }
    if (!tools.RunCapture()) {
        return boxes.fail(err, "cannot start the recording");
    }
    boxes.flush(err, false);
    // A device without stream control gives no counters to the recording sheet; its capture pin may still
    // count, from the start of the graph.
    RefPtr<IAMDroppedFrames> counters = tools.droppedFrames;
    if (!counters) {
        tools.builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, tools.videoCapture.get(),
                                     IAMDroppedFrames::IID, reinterpret_cast<void**>(counters.put()));
    }

    QTimer figures;
    // A coarse timer may fire up to 5 % early, and the line a second in would then read "Time: 0.9".
    figures.setTimerType(Qt::PreciseTimer);
    QObject::connect(&figures, &QTimer::timeout, [&] {
        if (const auto stats = ReadCaptureStatistics(counters.get(), tools, clock)) {
            std::fprintf(out, "%s\n", FormatCaptureLine(*stats).c_str());
            std::fflush(out);
        }
    });
    figures.start(1000);
    // The seconds count from the first picture or sound the devices deliver, so a slow start does not shorten
    // the file.
    RefPtr<IAMDroppedFrames> soundCounters;
    if (tools.audioWanted && tools.audioCapture) {
        tools.builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Audio, tools.audioCapture.get(),
                                     IAMDroppedFrames::IID, reinterpret_cast<void**>(soundCounters.put()));
    }
    const LONG framesBefore = FramesDelivered(counters.get());
    const LONG soundBefore = FramesDelivered(soundCounters.get());
    const bool started = RunForAfterStart(
        args.seconds,
        [&] {
            return !counters || FramesDelivered(counters.get()) > framesBefore ||
                   FramesDelivered(soundCounters.get()) > soundBefore;
        },
        kFirstFrameMs);
    figures.stop();

    tools.HaltCapture();
    // Counted after the stop: the frames still on their way when it came reach the file too.
    const std::optional<CaptureStatistics> last = ReadCaptureStatistics(counters.get(), tools, clock);
    const bool failed = window.outcome.has_value() || boxes.flush(err, false);
    if (window.outcome) {
        return boxes.fail(err, "the recording stopped");
    }
    if (!started) {
        std::fprintf(err, "error: no picture came from %s\n", device.c_str());
        return 1;
    }
    if (!IsFinishedRecording(args.output)) {
        std::fprintf(err, "error: the recording %s could not be finished\n", args.output.c_str());
        return 1;
    }
    const CaptureStatistics stats = last.value_or(CaptureStatistics{});
    std::fprintf(out, "recorded %s frames %d dropped %d\n", args.output.c_str(), stats.delivered,
                 stats.dropped);
    std::fflush(out);
    return failed ? 1 : 0;
}
