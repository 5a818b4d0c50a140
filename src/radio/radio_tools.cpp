// SPDX-License-Identifier: GPL-2.0-or-later
#include "radio_tools.h"

#include "platform/win/message_boxes.h"
#include "tv/crossbar.h"
#include "tv/tuner_properties.h"

namespace {

// Binds a device's moniker straight to interface T; empty when there is no moniker or the bind fails.
template <typename T> RefPtr<T> Bind(IMoniker* moniker) {
    RefPtr<T> object;
    if (moniker &&
        FAILED(moniker->BindToObject(nullptr, nullptr, T::IID, reinterpret_cast<void**>(object.put())))) {
        object = nullptr;
    }
    return object;
}

} // namespace

TRadioTools::TRadioTools(IMoniker* tunerDevice, IMoniker* tvAudioDevice, IMoniker* crossbarDevice,
                         Services services)
    : services_(services) {
    if (tunerDevice) {
        // Two processes retuning one V4L2 tuner would fight over it; the virtual card has no path and each
        // process its own card, and a session without a usable lock folder tunes unguarded rather than not
        // at all.
        const std::string key = DeviceLockKey(tunerDevice);
        const bool locked =
            key.empty() ||
            tunerLock_.acquire(TunerLockName(key), TunerLockName(DeviceFriendlyName(tunerDevice))) ||
            tunerLock_.busyMessage().empty();
        if (locked) {
            tuner_ = Bind<IAMTVTuner>(tunerDevice);
        } else {
            ShowRadioError(S_OK, tunerLock_.busyMessage().c_str());
        }
    }
    tvAudio_ = Bind<IAMTVAudio>(tvAudioDevice);
    crossbar_ = Bind<IAMCrossbar>(crossbarDevice);
}

TRadioTools::~TRadioTools() {
    crossbar_ = nullptr;
    tvAudio_ = nullptr;
    tuner_ = nullptr;
}

std::string TRadioTools::TunerLockName(const std::string& device) {
    // Apart from the card's capture lock: the program's own TV page keeps its graph while the radio plays.
    return device + " radio tuner";
}

bool TRadioTools::SetRadioMode() {
    if (!tuner_) {
        return false;
    }
    tuner_->put_Mode(AMTUNER_MODE_FM_RADIO);
    return true;
}

bool TRadioTools::RouteRadioAudio() {
    if (!crossbar_) {
        return false;
    }
    LONG outputs = 0;
    LONG inputs = 0;
    if (FAILED(crossbar_->get_PinCounts(&outputs, &inputs))) {
        return false;
    }
    const LONG output =
        CCrossbar::FirstPinOfType(crossbar_.get(), false, outputs, PhysConn_Audio_AudioDecoder);
    if (output < 0) {
        return false;
    }
    const LONG input = CCrossbar::FirstPinOfType(crossbar_.get(), true, inputs, PhysConn_Audio_Tuner);
    return input >= 0 && SUCCEEDED(crossbar_->Route(output, input));
}

bool TRadioTools::TuneFrequency(std::int32_t hertz) {
    tunerFailure_ = S_OK;
    return TuneByProperties(tuner_.get(), KSPROPERTY_TUNER_MODE_FM_RADIO, KS_TUNER_TUNING_FINE, hertz,
                            [this](HRESULT hr, const char* property) {
                                if (SUCCEEDED(tunerFailure_)) {
                                    tunerFailure_ = hr;
                                }
                                ShowRadioError(hr, property);
                            });
}

std::int32_t TRadioTools::ReadTunerOffset() {
    return ReadPllOffset(tuner_.get(), {});
}

bool TRadioTools::IsSignalPresent() {
    LONG strength = AMTUNER_NOSIGNAL;
    return tuner_ && SUCCEEDED(tuner_->SignalPresent(&strength)) && strength == AMTUNER_SIGNALPRESENT;
}

TvAudioModeBox TRadioTools::ReadAudioModes() {
    return ReadTvAudioModes(tvAudio_.get());
}

bool TRadioTools::SetTvAudioMode(std::int32_t mode) {
    return tvAudio_ && SUCCEEDED(tvAudio_->put_TVAudioMode(mode));
}

RadioAudioSources TRadioTools::ReadAudioSources() {
    RadioAudioSources sources;
    LONG outputs = 0;
    LONG inputs = 0;
    if (!crossbar_ || FAILED(crossbar_->get_PinCounts(&outputs, &inputs))) {
        return sources;
    }
    sources.decoderOutput =
        CCrossbar::FirstPinOfType(crossbar_.get(), false, outputs, PhysConn_Audio_AudioDecoder);
    for (LONG index = 0; index < inputs; ++index) {
        LONG related = -1;
        LONG type = 0;
        // Video connectors are below the first audio type and are not sources of sound.
        if (SUCCEEDED(crossbar_->get_CrossbarPinInfo(1, index, &related, &type)) &&
            type >= PhysConn_Audio_Tuner) {
            sources.inputs.push_back({CCrossbar::ConnectorName(type), index});
        }
    }
    return sources;
}

bool TRadioTools::RouteAudio(std::int32_t output, std::int32_t input) {
    return crossbar_ && SUCCEEDED(crossbar_->Route(output, input));
}

IUnknown* TRadioTools::device(Device which) const {
    switch (which) {
    case Device::Tuner:
        return tuner_.get();
    case Device::TvAudio:
        return tvAudio_.get();
    case Device::Crossbar:
        return crossbar_.get();
    }
    return nullptr;
}

void TRadioTools::ShowRadioError(HRESULT hr, const char* text) {
    std::string message = text;
    if (FAILED(hr)) {
        message += "\n" + FormatMessage(hr);
    }
    services_.messageBoxes.show(nullptr, QString::fromStdString(message), QString(), MessageIcon::Error);
}
