// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl_tune.h"

#include "app/settings_store.h"
#include "channels/channel_tuner.h"
#include "components/dev_cmb_pickers.h"
#include "ctl_choice.h"
#include "ctl_message_boxes.h"
#include "ctl_source.h"
#include "platform/win/clock.h"
#include "radio/radio_tools.h"
#include "tv/tuner_platform.h"
#include "tv/tuner_tools.h"

#include <optional>
#include <string>

int TuneTvAndReport(TTunerTools& tools, CtlMessageBoxes& boxes, Clock& clock, const std::string& device,
                    std::int32_t hertz, std::FILE* out, std::FILE* err) {
    if (const int status = TuneCard(tools, boxes, clock, device, hertz, err)) {
        return status;
    }
    const std::int32_t offset = tools.ReadTunerOffset();
    const bool locked = tools.IsSignalLocked();
    std::fprintf(out, "frequency %d\nfine-tuning %+d\nsignal %s\n", hertz, offset,
                 locked ? "locked" : "none");
    std::fflush(out);
    // An offset that could not be read was printed as 0: not a success.
    return boxes.pending() ? boxes.fail(err, "cannot read the tuner") : 0;
}

int TuneRadioAndReport(TRadioTools& radio, CtlMessageBoxes& boxes, Clock& clock, const std::string& device,
                       std::int32_t hertz, std::FILE* out, std::FILE* err) {
    if (!radio.hasTuner()) {
        return boxes.fail(err, "cannot open " + device);
    }
    radio.SetRadioMode();
    // The answer says only whether the frequency was 0; a refusal is in its box.
    const bool tuned = radio.TuneFrequency(hertz);
    if (!tuned || boxes.pending()) {
        return boxes.fail(err, "the tuner refused " + std::to_string(hertz) + " Hz");
    }
    clock.Sleep(kTunerSettleMs);
    std::fprintf(out, "frequency %d\nfine-tuning %+d\n", hertz, radio.ReadTunerOffset());
    std::fflush(out);
    return 0;
}

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
    return TuneTvAndReport(tools, boxes, clock, device, args.frequency, out, err);
}

int TuneRadio(const CtlArguments& args, Clock& clock, std::FILE* out, std::FILE* err) {
    CtlMessageBoxes boxes;
    TTVTunerDevCombo tuners;
    SettingsTargets targets;
    targets.radioTunerDev = &tuners;
    IMoniker* tunerMoniker = PickedDevice(targets, tuners, args.device, "radio tuner", err);
    if (!tunerMoniker) {
        return 1;
    }
    const std::string device = tuners.GetDevice().toStdString();

    // The tuner alone: tuning needs neither the TV sound nor the crossbar, and leaves another program's
    // routing as it is.
    TRadioTools radio(tunerMoniker, nullptr, nullptr, TRadioTools::Services{boxes});
    return TuneRadioAndReport(radio, boxes, clock, device, args.frequency, out, err);
}
