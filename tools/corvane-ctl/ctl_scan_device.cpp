// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl_scan_device.h"

#include "app/settings_store.h"
#include "components/dev_cmb_pickers.h"
#include "ctl_message_boxes.h"
#include "radio/radio_channel_tuner.h"
#include "radio/radio_tools.h"
#include "tv/tuner_channel_tuner.h"
#include "tv/tuner_platform.h"
#include "tv/tuner_tools.h"

#include <string>

namespace {

// What a scan says, whichever band, when it has no tuner that answers: a sweep would find nothing.
constexpr const char* kNoTuner = "no tuner";

class TvScanDevice final : public ScanDevice {
public:
    TvScanDevice(Clock& clock, CtlMessageBoxes& boxes)
        : platform_(MakeEngineTunerPlatform()),
          tools_(&target_, TTunerTools::Services{*platform_, boxes, clock}), tuner_(tools_) {
        tools_.previewWanted = false;
        tools_.audioWanted = false;
    }
    // The reason it cannot search, empty when it can.
    std::string open(IMoniker* video, const std::string& name) {
        tools_.SelectSources(video, nullptr);
        if (!tools_.videoCapture) {
            return "cannot open " + name;
        }
        if (!tools_.PrepareTvTuner()) {
            return kNoTuner;
        }
        return {};
    }
    SearchTuner& tuner() override { return tuner_; }

private:
    std::unique_ptr<TunerPlatform> platform_;
    VideoTargetRecord target_;
    TTunerTools tools_;
    TunerChannelTuner tuner_;
};

class RadioScanDevice final : public ScanDevice {
public:
    RadioScanDevice(IMoniker* tuner, IMoniker* tvAudio, IMoniker* crossbar, CtlMessageBoxes& boxes)
        : tools_(tuner, tvAudio, crossbar, TRadioTools::Services{boxes}), tuner_(tools_) {}
    bool hasTuner() const { return tools_.hasTuner(); }
    SearchTuner& tuner() override { return tuner_; }

private:
    TRadioTools tools_;
    RadioChannelTuner tuner_;
};

} // namespace

std::unique_ptr<ScanDevice> OpenScanDevice(CtlArguments::Band band, const std::filesystem::path& registry,
                                           Clock& clock, CtlMessageBoxes& boxes, std::FILE* err) {
    if (band == CtlArguments::Band::Tv) {
        TVideoCaptureDevCombo video;
        SettingsTargets targets;
        targets.tvVideoCaptureDev = &video;
        LoadSettings(targets, registry, &clock);
        IMoniker* moniker = video.GetMoniker();
        if (!moniker) {
            std::fputs("error: no video capture device\n", err);
            return nullptr;
        }
        auto device = std::make_unique<TvScanDevice>(clock, boxes);
        const std::string refused = device->open(moniker, video.GetDevice().toStdString());
        if (!refused.empty()) {
            boxes.fail(err, refused);
            return nullptr;
        }
        return device;
    }
    TTVTunerDevCombo tuner;
    TTVAudioDevCombo tvAudio;
    TVideoCrossbarDevCombo crossbar;
    SettingsTargets targets;
    targets.radioTunerDev = &tuner;
    targets.radioAudioDev = &tvAudio;
    targets.radioCrossbarDev = &crossbar;
    LoadSettings(targets, registry, &clock);
    auto device = std::make_unique<RadioScanDevice>(tuner.GetMoniker(), tvAudio.GetMoniker(),
                                                    crossbar.GetMoniker(), boxes);
    if (!device->hasTuner()) {
        boxes.fail(err, kNoTuner);
        return nullptr;
    }
    return device;
}
