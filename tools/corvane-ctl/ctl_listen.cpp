// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl_listen.h"

#include "app/settings_store.h"
#include "app/unix_signals.h"
#include "components/dev_cmb_pickers.h"
#include "ctl_arguments.h"
#include "ctl_choice.h"
#include "ctl_event_window.h"
#include "ctl_message_boxes.h"
#include "ctl_source.h"
#include "ctl_timed_run.h"
#include "ctl_tune.h"
#include "platform/win/clock.h"
#include "radio/radio_card_sound.h"
#include "radio/radio_tools.h"
#include "tv/card_sound_engine.h"
#include "tv/tuner_platform.h"
#include "tv/tuner_tools.h"

#include <QCoreApplication>

namespace {

// How long the card's sound may take to reach the output once the graph runs.
constexpr int kSoundStartMs = 10000;

// Plays until SECONDS of sound have been played, Ctrl+C or SIGTERM closes the window, or a graph event ends
// it. The time counts from the first sound that reaches the output. False when no sound came at all.
bool PlayFor(const CtlArguments& listen, const ICardSound& sound) {
    return RunForAfterStart(
        listen.seconds, [&sound] { return sound.Sounding(); }, kSoundStartMs);
}

int ListenTv(const CtlArguments& listen, std::FILE* out, std::FILE* err) {
    RealClock clock;
    CtlMessageBoxes boxes;
    const std::unique_ptr<TunerPlatform> platform = MakeEngineTunerPlatform();
    TVideoCaptureDevCombo video;
    TAudioCaptureDevCombo audio;
    IMoniker* videoMoniker = ChooseVideoDevice(video, listen.device, err);
    if (!videoMoniker) {
        return 1;
    }
    IMoniker* audioMoniker = audio.GetMoniker();
    if (!audioMoniker) {
        std::fprintf(err, "error: no audio capture device to listen to\n");
        return 1;
    }
    TTunerTools* current = nullptr;
    CaptureEventWindow window(current);
    window.endsWhenSoundStops = true;
    CloseWindowOnTerminationSignals(&window);
    VideoTargetRecord target;
    TTunerTools tools(&target, TTunerTools::Services{*platform, boxes, clock});
    current = &tools;
    tools.notifyWindow = &window;
    tools.previewWanted = false;
    tools.audioWanted = true;
    if (FAILED(CreateEngineCardSound(CardSoundRole::Video, tools.cardSound.put()))) {
        std::fprintf(err, "error: no sound output\n");
        return 1;
    }
    tools.SelectSources(videoMoniker, audioMoniker);
    const std::string device = video.GetDevice().toStdString();
    if (!tools.videoCapture) {
        return boxes.fail(err, "cannot open " + device);
    }
    if (!tools.audioCapture) {
        return boxes.fail(err, "cannot open " + audio.GetDevice().toStdString());
    }
    if (const int status = TuneTvAndReport(tools, boxes, clock, device, listen.frequency, out, err)) {
        return status;
    }
    if (listen.input) {
        if (const int status = ChooseInput(tools, boxes, device, *listen.input, err)) {
            return status;
        }
    }
    if (!tools.AssemblePreview() || !tools.RunPreview()) {
        return boxes.fail(err, "cannot play the sound of " + device);
    }
    boxes.flush(err, false);
    const bool sounded = PlayFor(listen, *query<ICardSound>(tools.cardSound));
    tools.HaltPreview();
    if (window.outcome) {
        return boxes.fail(err, "the sound stopped");
    }
    if (!sounded) {
        return boxes.fail(err, "no sound came from " + audio.GetDevice().toStdString());
    }
    return boxes.flush(err, false) ? 1 : 0;
}

int ListenRadio(const CtlArguments& listen, std::FILE* out, std::FILE* err) {
    RealClock clock;
    CtlMessageBoxes boxes;
    TTVTunerDevCombo tuners;
    SettingsTargets targets;
    targets.radioTunerDev = &tuners;
    IMoniker* tunerMoniker = PickedDevice(targets, tuners, listen.device, "radio tuner", err);
    if (!tunerMoniker) {
        return 1;
    }
    const std::string device = tuners.GetDevice().toStdString();
    RefPtr<ICreateDevEnum> devices;
    CreateSystemDeviceEnum(devices.put());
    const RefPtr<IMoniker> sound = TunerSoundDevice(tunerMoniker, devices.get());
    if (!sound) {
        std::fprintf(err, "error: %s delivers its sound on a cable only; listen on the sound card's input\n",
                     device.c_str());
        return 1;
    }
    TRadioTools radio(tunerMoniker, nullptr, nullptr, TRadioTools::Services{boxes});
    if (const int status = TuneRadioAndReport(radio, boxes, clock, device, listen.frequency, out, err)) {
        return status;
    }

    const std::unique_ptr<TunerPlatform> platform = MakeEngineTunerPlatform();
    // A device that fails while it plays ends the listening at once, as there is nothing left to hear.
    bool stopped = false;
    RadioCardSound player(RadioCardSound::Services{*platform, &CreateEngineCardSound, [&stopped] {
                                                       stopped = true;
                                                       QCoreApplication::exit(1);
                                                   }});
    if (!player.Play(sound.get())) {
        return 1;
    }
    player.sound()->SetMuted(false);
    // Ctrl+C and SIGTERM close the window, which ends the listening.
    TTunerTools* none = nullptr;
    CaptureEventWindow window(none);
    CloseWindowOnTerminationSignals(&window);
    const bool sounded = PlayFor(listen, *player.sound());
    player.Stop();
    if (stopped) {
        return boxes.fail(err, "the sound stopped");
    }
    if (!sounded) {
        return boxes.fail(err, "no sound came from " + device);
    }
    return 0;
}

} // namespace

int Listen(const CtlArguments& listen, std::FILE* out, std::FILE* err) {
    return listen.band == CtlArguments::Band::Tv ? ListenTv(listen, out, err) : ListenRadio(listen, out, err);
}
