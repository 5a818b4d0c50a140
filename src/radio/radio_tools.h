// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// TRadioTools: FM radio through a TV card's own tuner. No graph is built: the tuner, the TV audio device and
// the crossbar chosen on the Radio page are bound straight from their monikers, the tuner is put into FM mode
// and tuned through its kernel-streaming properties, and the crossbar connects the tuner's sound to the
// card's audio decoder output. Plain C++ over the device interfaces, so the page, the station search and
// corvane-ctl share it.

#include "platform/com/ref_ptr.h"
#include "platform/devices/device_enum.h"
#include "platform/devices/tv_device_interfaces.h"
#include "tv/device_lock.h"
#include "tv/tv_audio_modes.h"

#include <cstdint>
#include <string>
#include <vector>

class MessageBoxes;

// One row of the exit audio source list: an audio input of the crossbar.
struct RadioAudioSource {
    const char* name;
    std::int32_t pin;
};

struct RadioAudioSources {
    // The first output of type "Audio Decoder", which feeds the card's sound out; -1 when none.
    std::int32_t decoderOutput = -1;
    // Every input of an audio type, in pin order.
    std::vector<RadioAudioSource> inputs;
};

class TRadioTools {
public:
    struct Services {
        MessageBoxes& messageBoxes;
    };

    // Each moniker may be null; a device that cannot be bound leaves its part empty, silently. The tuner
    // is also left empty when another process holds it (told in the radio error box).
    TRadioTools(IMoniker* tunerDevice, IMoniker* tvAudioDevice, IMoniker* crossbarDevice, Services services);
    // Releases the crossbar, the TV audio device and the tuner, in that order.
    ~TRadioTools();
    TRadioTools(const TRadioTools&) = delete;
    TRadioTools& operator=(const TRadioTools&) = delete;

    bool hasTuner() const { return static_cast<bool>(tuner_); }
    bool hasTvAudio() const { return static_cast<bool>(tvAudio_); }
    bool hasCrossbar() const { return static_cast<bool>(crossbar_); }

    // The tuner in FM mode; false without tuner.
    bool SetRadioMode();
    // The first "Audio Decoder" output routed from the first "Audio Tuner" input; false without crossbar,
    // without either pin, or when the route is refused.
    bool RouteRadioAudio();

    // Tunes in FM mode with fine tuning. Failures of the two properties are shown in the radio error box;
    // the answer is only whether there is a tuner and the frequency is not 0.
    bool TuneFrequency(std::int32_t hertz);
    // The first property the last TuneFrequency had refused (and shown); S_OK when none. The station search
    // ends on it instead of showing it again at every step.
    HRESULT tunerFailure() const { return tunerFailure_; }
    // The phase-locked loop's offset in Hz (carrier − tuned frequency); 0 without tuner or when the read
    // fails, silently.
    std::int32_t ReadTunerOffset();
    // Whether the tuner hears a carrier at the frequency tuned; false without tuner or answer.
    bool IsSignalPresent();

    // The sound-mode box's contents; empty and disabled without TV audio.
    TvAudioModeBox ReadAudioModes();
    bool SetTvAudioMode(std::int32_t mode);

    // The crossbar's decoder output and audio inputs; empty without crossbar.
    RadioAudioSources ReadAudioSources();
    // Connects crossbar input to output (Route, output first); false without crossbar or when refused.
    bool RouteAudio(std::int32_t output, std::int32_t input);

    enum class Device { Tuner, TvAudio, Crossbar };
    // The bound object of a device, for its property pages; null when that part is empty.
    IUnknown* device(Device which) const;

    // The radio error box: text, a line feed and the system's text for hr, stop icon, no owner, no caption.
    void ShowRadioError(HRESULT hr, const char* text);

    // The lock of a radio tuner device (by its lock key, or its name in messages): one process at a time
    // may tune a V4L2 tuner.
    static std::string TunerLockName(const std::string& device);

private:
    Services services_;
    HRESULT tunerFailure_ = S_OK;
    DeviceLock tunerLock_;
    RefPtr<IAMTVTuner> tuner_;
    RefPtr<IAMTVAudio> tvAudio_;
    RefPtr<IAMCrossbar> crossbar_;
};
