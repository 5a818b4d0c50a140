#include "ctl_tune.h"

#include "components/dev_cmb_pickers.h"
#include "ctl_choice.h"
#include "ctl_message_boxes.h"
#include "ctl_source.h"
#include "platform/win/clock.h"
#include "tv/tuner_platform.h"
#include "tv/tuner_tools.h"

#include <string>

int TuneTv(const CtlArguments& args, Clock& clock, std::FILE* out, std::FILE* err) {
    CtlMessageBoxes boxes;
    const std::unique_ptr<TunerPlatform> platform = MakeEngineTunerPlatform();

    TVideoCaptureDevCombo video;
    IMoniker* videoMoniker = ChooseVideoDevice(video, args.device, err);
    if (!videoMoniker) {
        return 1;
    }
    const std::string device = video.GetDevice().toStdString();

    VideoTargetRecord target;
    TTunerTools tools(&target, TTunerTools::Services{*platform, boxes, clock});
    tools.previewWanted = false;
    tools.audioWanted = false;
    tools.SelectSources(videoMoniker, nullptr);
    if (!tools.videoCapture) {
        return boxes.fail(err, "cannot open " + device);
    }
    if (const int status = TuneCard(tools, boxes, clock, device, args.frequency, err)) {
        return status;
    }
    const std::int32_t offset = tools.ReadTunerOffset();
    const bool locked = tools.IsSignalLocked();
    std::fprintf(out, "frequency %d\nfine-tuning %+d\nsignal %s\n", args.frequency, offset,
                 locked ? "locked" : "none");
    std::fflush(out);
    // An offset that could not be read was printed as 0: not a success.
    return boxes.pending() ? boxes.fail(err, "cannot read the tuner") : 0;
}
