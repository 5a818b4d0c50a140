#include "ctl_snapshot.h"

#include "app/settings_store.h"
#include "components/dev_cmb_pickers.h"
#include "ctl_choice.h"
#include "ctl_event_window.h"
#include "ctl_message_boxes.h"
#include "ctl_source.h"
#include "platform/media/deinterlace_methods.h"
#include "platform/media/gst/filter_graph.h"
#include "platform/media/video_renderer.h"
#include "platform/win/clock.h"
#include "tv/tuner_platform.h"
#include "tv/tuner_tools.h"
#include "view/video_window_choices.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSaveFile>
#include <QTimer>

namespace {

// How often the renderer's frame count is looked at while waiting.
constexpr int kFramePollMs = 5;

// The preview frame after kSnapshotSettleFrames more have been shown, or a null image when the time ran out
// or the graph ended.
QImage NextSettledFrame(const VideoRenderer& renderer, const CaptureEventWindow& window) {
    const int wanted = renderer.framesPresented() + kSnapshotSettleFrames + 1;
    QImage frame;
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (renderer.framesPresented() >= wanted) {
            frame = renderer.currentFrame();
            QCoreApplication::exit(0);
        } else if (waited.elapsed() >= kSnapshotTimeoutMs) {
            QCoreApplication::exit(1);
        }
    });
    poll.start(kFramePollMs);
    QCoreApplication::exec();
    return window.outcome || window.interrupted ? QImage() : frame;
}

} // namespace

int TakeSnapshot(const CtlArguments& args, Clock& clock, std::FILE* out, std::FILE* err) {
    const QString file = QString::fromStdString(args.snapshotFile);
    {
        // A file that cannot be written is known before the device is touched.
        QSaveFile probe(file);
        if (!probe.open(QIODevice::WriteOnly)) {
            std::fprintf(err, "error: cannot write %s: %s\n", args.snapshotFile.c_str(),
                         probe.errorString().toStdString().c_str());
            return 1;
        }
        probe.cancelWriting();
    }
    // The preview deinterlaces as the program's video window would, or as asked.
    VideoWindowChoices choices;
    if (!args.deinterlace) {
        SettingsTargets stored;
        stored.videoWindow = &choices;
        LoadSettings(stored);
    }
    SetDefaultDeinterlace(args.deinterlace.value_or(choices.deinterlace));
    CtlMessageBoxes boxes;
    const std::unique_ptr<TunerPlatform> platform = MakeEngineTunerPlatform();
    TVideoCaptureDevCombo video;
    IMoniker* videoMoniker = ChooseVideoDevice(video, args.device, err);
    if (!videoMoniker) {
        return 1;
    }
    const std::string device = video.GetDevice().toStdString();

    TTunerTools* current = nullptr;
    CaptureEventWindow window(current);
    VideoTargetRecord target;
    target.owner = &window; // never shown: the picture is only read
    TTunerTools tools(&target, TTunerTools::Services{*platform, boxes, clock});
    current = &tools;
    tools.notifyWindow = &window;
    tools.previewWanted = false;
    tools.audioWanted = false;
    tools.SelectSources(videoMoniker, nullptr);
    if (!tools.videoCapture) {
        return boxes.fail(err, "cannot open " + device);
    }
    if (const int status = PrepareSource(tools, boxes, clock, device, args, err)) {
        return status;
    }
    const std::string size = std::to_string(args.width) + "x" + std::to_string(args.height);
    if (!tools.SetPreviewFormat(args.width, args.height) || target.videoWidth != args.width ||
        target.videoHeight != args.height) {
        return boxes.fail(err, device + " does not preview at " + size);
    }
    if (!tools.AssemblePreview() || !tools.RunPreview()) {
        return boxes.fail(err, "cannot run the preview of " + device);
    }
    boxes.flush(err, false);
    auto* graph = dynamic_cast<FilterGraph*>(tools.graph.get());
    VideoRenderer* renderer = graph ? graph->videoRenderer() : nullptr;
    const QImage frame = renderer ? NextSettledFrame(*renderer, window) : QImage();
    tools.HaltPreview();
    if (window.outcome) {
        return boxes.fail(err, "the preview stopped");
    }
    if (frame.isNull()) {
        return boxes.fail(err, "no picture from " + device + " within " +
                                   std::to_string(kSnapshotTimeoutMs / 1000) + " s");
    }
    QSaveFile saved(file);
    if (!saved.open(QIODevice::WriteOnly) || !frame.save(&saved, "PNG") || !saved.commit()) {
        std::fprintf(err, "error: cannot write %s: %s\n", args.snapshotFile.c_str(),
                     saved.errorString().toStdString().c_str());
        return 1;
    }
    std::fprintf(out, "snapshot %s %dx%d\n", args.snapshotFile.c_str(), frame.width(), frame.height());
    std::fflush(out);
    return 0;
}
