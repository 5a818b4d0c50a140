// SPDX-License-Identifier: GPL-2.0-or-later
#include "ctl_listen.h"

#include "app/settings_store.h"
#include "app/unix_signals.h"
#include "channels/channel_tuner.h"
#include "components/dev_cmb_pickers.h"
#include "ctl_arguments.h"
#include "ctl_choice.h"
#include "ctl_event_window.h"
#include "ctl_message_boxes.h"
#include "ctl_source.h"
#include "platform/win/clock.h"
#include "radio/radio_card_sound.h"
#include "radio/radio_tools.h"
#include "tv/card_sound_engine.h"
#include "tv/tuner_platform.h"
#include "tv/tuner_tools.h"

#include <QCoreApplication>
#include <QTimer>

#include <cmath>
#include <cstdlib>

namespace {

// A day: a longer listen is a mistyped number.
constexpr double kLongestListen = 86400;

std::optional<CtlListen> Refuse(std::string& error, std::string reason) {
    error = std::move(reason);
    return std::nullopt;
}

// Plays until the time is up, Ctrl+C or SIGTERM closes the window, or a graph event ends it.
void PlayFor(const CtlListen& listen) {
    if (listen.seconds) {
        QTimer::singleShot(static_cast<int>(std::lround(*listen.seconds * 1000)), Qt::PreciseTimer, qApp,
                           [] { QCoreApplication::exit(0); });
    }
    QCoreApplication::exec();
}

int ListenTv(const CtlListen& listen, std::FILE* out, std::FILE* err) {
    RealClock clock;
    CtlMessageBoxes boxes;
    const std::unique_ptr<TunerPlatform> platform = MakeEngineTunerPlatform();
    TVideoCaptureDevCombo video;
    TAudioCaptureDevCombo audio;
    SettingsTargets targets;
    targets.tvVideoCaptureDev = &video;
    LoadSettings(targets);
    if (listen.device && !ChooseByName(video, *listen.device)) {
        std::fprintf(err, "error: no video capture device named %s\n", listen.device->c_str());
        return 1;
    }
    IMoniker* videoMoniker = video.GetMoniker();
    IMoniker* audioMoniker = audio.GetMoniker();
    if (!videoMoniker) {
        std::fprintf(err, "error: no video capture device\n");
        return 1;
    }
    if (!audioMoniker) {
        std::fprintf(err, "error: no audio capture device to listen to\n");
        return 1;
    }
    TTunerTools* current = nullptr;
    CaptureEventWindow window(current);
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
    if (const int status = TuneCard(tools, boxes, clock, device, listen.frequency, err)) {
        return status;
    }
    std::fprintf(out, "frequency %d\nfine-tuning %+d\nsignal %s\n", listen.frequency, tools.ReadTunerOffset(),
                 tools.IsSignalLocked() ? "locked" : "none");
    std::fflush(out);
    if (listen.input) {
        if (const int status = ChooseInput(tools, boxes, device, *listen.input, err)) {
            return status;
        }
    }
    if (!tools.AssemblePreview() || !tools.RunPreview()) {
        return boxes.fail(err, "cannot play the sound of " + device);
    }
    boxes.flush(err, false);
    PlayFor(listen);
    tools.HaltPreview();
    if (window.outcome) {
        return boxes.fail(err, "the sound stopped");
    }
    return boxes.flush(err, false) ? 1 : 0;
}

int ListenRadio(const CtlListen& listen, std::FILE* out, std::FILE* err) {
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
    if (!radio.hasTuner()) {
        return boxes.fail(err, "cannot open " + device);
    }
    radio.SetRadioMode();
    if (!radio.TuneFrequency(listen.frequency) || boxes.pending()) {
        return boxes.fail(err, "the tuner refused " + std::to_string(listen.frequency) + " Hz");
    }
    clock.Sleep(kTunerSettleMs);
    std::fprintf(out, "frequency %d\nfine-tuning %+d\n", listen.frequency, radio.ReadTunerOffset());
    std::fflush(out);

    const std::unique_ptr<TunerPlatform> platform = MakeEngineTunerPlatform();
    RadioCardSound player(RadioCardSound::Services{*platform, &CreateEngineCardSound});
    if (!player.Play(sound.get())) {
        return 1;
    }
    player.sound()->SetMuted(false);
    // Ctrl+C and SIGTERM close the window, which ends the listening.
    TTunerTools* none = nullptr;
    CaptureEventWindow window(none);
    CloseWindowOnTerminationSignals(&window);
    PlayFor(listen);
    player.Stop();
    return 0;
}

} // namespace

std::optional<CtlListen> ParseCtlListen(const std::vector<std::string>& args, std::string& error) {
    CtlListen listen;
    if (args.empty() || (args[0] != "tv" && args[0] != "radio")) {
        return Refuse(error, "listen needs a band: listen tv|radio MHZ [SECONDS]");
    }
    listen.band = args[0] == "tv" ? CtlListen::Band::Tv : CtlListen::Band::Radio;
    if (args.size() < 2 || !ParseMegahertz(args[1], listen.frequency)) {
        return Refuse(error, listen.band == CtlListen::Band::Tv
                                 ? "listen tv needs a frequency in MHz, as 175.25"
                                 : "listen radio needs a frequency in MHz, as 95.8");
    }
    std::size_t i = 2;
    if (i < args.size() && args[i].rfind("--", 0) != 0) {
        char* end = nullptr;
        const double seconds = std::strtod(args[i].c_str(), &end);
        if (end != args[i].c_str() + args[i].size() || !std::isfinite(seconds) || seconds <= 0 ||
            seconds > kLongestListen) {
            return Refuse(error, "listen needs a number of seconds above 0, up to a day");
        }
        listen.seconds = seconds;
        ++i;
    }
    for (; i < args.size(); ++i) {
        const std::string& option = args[i];
        const bool hasValue = i + 1 < args.size();
        if (option == "--device" && hasValue) {
            listen.device = args[++i];
        } else if (option == "--input" && hasValue && listen.band == CtlListen::Band::Tv) {
            listen.input = args[++i];
        } else {
            return Refuse(error, "unknown option for listen " + args[0] + ": " + option);
        }
    }
    return listen;
}

int Listen(const CtlListen& listen, std::FILE* out, std::FILE* err) {
    return listen.band == CtlListen::Band::Tv ? ListenTv(listen, out, err) : ListenRadio(listen, out, err);
}
