// SPDX-License-Identifier: GPL-2.0-or-later
#include "v4l2_front_end.h"

#include "platform/devices/interface_controls.h"
#include "platform/devices/ks_property_io.h"
#include "v4l2_mapping.h"

#include <cerrno>
#include <set>

namespace {

// The sound carrier of a TV channel sits 5.5 MHz above its picture carrier (PAL B/G).
constexpr LONG kSoundCarrierOffset = 5500000;

} // namespace

bool IsRadio(const v4l2_tuner& tuner) {
    return tuner.type == V4L2_TUNER_RADIO;
}

LONG ReceivableStandards(V4l2Device& device) {
    v4l2_std_id all = 0;
    for (std::uint32_t index = 0; index < kMaxEnumerated; ++index) {
        v4l2_standard standard{};
        standard.index = index;
        if (device.ioctl(VIDIOC_ENUMSTD, &standard) < 0) {
            break;
        }
        all |= standard.id;
    }
    return AnalogStandardsOf(all);
}

HRESULT CurrentStandard(V4l2Device& device, LONG* standard) {
    if (!standard) {
        return E_POINTER;
    }
    v4l2_std_id id = 0;
    const HRESULT hr = ResultOf(device.ioctl(VIDIOC_G_STD, &id));
    if (SUCCEEDED(hr)) {
        *standard = AnalogStandardsOf(id);
    }
    return hr;
}

std::optional<v4l2_tuner> ReadTuner(V4l2Device& device) {
    v4l2_tuner tuner{};
    tuner.index = 0;
    if (device.ioctl(VIDIOC_G_TUNER, &tuner) < 0) {
        return std::nullopt;
    }
    return tuner;
}

// ---- Tuner ----

V4l2TunerFilter::V4l2TunerFilter(std::shared_ptr<V4l2Device> device, const v4l2_tuner& tuner)
    : device_(std::move(device)), tuner_(tuner),
      pages_(static_cast<IBaseFilter&>(*this), [this] { return TunerControls(*this, *this); }) {
    addAnalogPin(kTunerVideoPin, PINDIR_OUTPUT);
    addAnalogPin(kTunerAudioPin, PINDIR_OUTPUT);
}

void* V4l2TunerFilter::queryOtherInterface(const Guid& iid) {
    if (iid == IAMTVTuner::IID || iid == IAMTuner::IID) {
        return static_cast<IAMTVTuner*>(this);
    }
    return iid == IKsPropertySet::IID ? static_cast<IKsPropertySet*>(this) : pages_.answer(iid);
}

LONG V4l2TunerFilter::ownMode() const {
    return IsRadio(tuner_) ? AMTUNER_MODE_FM_RADIO : AMTUNER_MODE_TV;
}

HRESULT V4l2TunerFilter::put_Mode(LONG mode) {
    if (device_->lost()) {
        return HResultFromErrno(ENODEV);
    }
    return mode == ownMode() ? S_OK : E_INVALIDARG;
}

HRESULT V4l2TunerFilter::get_Mode(LONG* mode) {
    return Answer(mode, ownMode());
}

HRESULT V4l2TunerFilter::GetAvailableModes(LONG* modes) {
    return Answer(modes, ownMode());
}

HRESULT V4l2TunerFilter::put_CountryCode(LONG country) {
    return input_.putCountryCode(country);
}

HRESULT V4l2TunerFilter::get_CountryCode(LONG* country) {
    return input_.getCountryCode(country);
}

HRESULT V4l2TunerFilter::SignalPresent(LONG* strength) {
    if (!strength) {
        return E_POINTER;
    }
    v4l2_tuner now{};
    now.index = tuner_.index;
    const HRESULT hr = ResultOf(device_->ioctl(VIDIOC_G_TUNER, &now));
    if (FAILED(hr)) {
        return hr;
    }
    *strength = now.signal > 0 ? AMTUNER_SIGNALPRESENT : AMTUNER_NOSIGNAL;
    return S_OK;
}

HRESULT V4l2TunerFilter::get_NumInputConnections(LONG* count) {
    return TunerInput::numInputConnections(count);
}

HRESULT V4l2TunerFilter::put_InputType(LONG index, LONG type) {
    return input_.putInputType(index, type);
}

HRESULT V4l2TunerFilter::get_InputType(LONG index, LONG* type) {
    return input_.getInputType(index, type);
}

HRESULT V4l2TunerFilter::put_ConnectInput(LONG index) {
    return TunerInput::putConnectInput(index);
}

HRESULT V4l2TunerFilter::get_ConnectInput(LONG* index) {
    return TunerInput::getConnectInput(index);
}

HRESULT V4l2TunerFilter::frequency(LONG* hertz) {
    if (!hertz) {
        return E_POINTER;
    }
    v4l2_frequency frequency{};
    frequency.tuner = tuner_.index;
    const HRESULT hr = ResultOf(device_->ioctl(VIDIOC_G_FREQUENCY, &frequency));
    if (FAILED(hr)) {
        return hr;
    }
    *hertz = static_cast<LONG>(HertzOf(frequency.frequency, tuner_.capability));
    return S_OK;
}

HRESULT V4l2TunerFilter::get_VideoFrequency(LONG* hertz) {
    return frequency(hertz);
}

HRESULT V4l2TunerFilter::get_AudioFrequency(LONG* hertz) {
    const HRESULT hr = frequency(hertz);
    if (SUCCEEDED(hr) && !IsRadio(tuner_) && *hertz) {
        *hertz += kSoundCarrierOffset;
    }
    return hr;
}

HRESULT V4l2TunerFilter::get_AvailableTVFormats(LONG* standards) {
    return Answer(standards, IsRadio(tuner_) ? 0 : ReceivableStandards(*device_));
}

HRESULT V4l2TunerFilter::get_TVFormat(LONG* standard) {
    return CurrentStandard(*device_, standard);
}

HRESULT V4l2TunerFilter::tune(ULONG hertz) {
    // The range check is the driver's: it clamps or refuses as its hardware needs.
    v4l2_frequency frequency{};
    frequency.tuner = tuner_.index;
    frequency.type = tuner_.type;
    frequency.frequency = TunerUnitsOf(hertz, tuner_.capability);
    return ResultOf(device_->ioctl(VIDIOC_S_FREQUENCY, &frequency));
}

HRESULT V4l2TunerFilter::Set(const Guid& set, DWORD id, void* instance, DWORD instanceLength, void* data,
                             DWORD dataLength) {
    if (set != PROPSETID_TUNER) {
        return E_PROP_SET_UNSUPPORTED;
    }
    if (id == KSPROPERTY_TUNER_MODE) {
        KSPROPERTY_TUNER_MODE_S mode;
        if (!ReadProperty(instance, instanceLength, data, dataLength, &mode)) {
            return E_INVALIDARG;
        }
        return put_Mode(static_cast<LONG>(mode.Mode));
    }
    if (id == KSPROPERTY_TUNER_FREQUENCY) {
        KSPROPERTY_TUNER_FREQUENCY_S frequency;
        if (!ReadProperty(instance, instanceLength, data, dataLength, &frequency)) {
            return E_INVALIDARG;
        }
        return tune(frequency.Frequency);
    }
    return E_PROP_ID_UNSUPPORTED;
}

HRESULT V4l2TunerFilter::Get(const Guid& set, DWORD id, void*, DWORD, void* data, DWORD dataLength,
                             DWORD* returned) {
    if (set != PROPSETID_TUNER) {
        return E_PROP_SET_UNSUPPORTED;
    }
    switch (id) {
    case KSPROPERTY_TUNER_MODE: {
        KSPROPERTY_TUNER_MODE_S mode;
        mode.Property = {PROPSETID_TUNER, id, KSPROPERTY_TYPE_GET};
        mode.Mode = static_cast<ULONG>(ownMode());
        return WriteProperty(mode, data, dataLength, returned);
    }
    case KSPROPERTY_TUNER_FREQUENCY: {
        LONG hertz = 0;
        if (const HRESULT hr = frequency(&hertz); FAILED(hr)) {
            return hr;
        }
        KSPROPERTY_TUNER_FREQUENCY_S frequency;
        frequency.Property = {PROPSETID_TUNER, id, KSPROPERTY_TYPE_GET};
        frequency.Frequency = static_cast<ULONG>(hertz);
        return WriteProperty(frequency, data, dataLength, returned);
    }
    case KSPROPERTY_TUNER_STATUS: {
        v4l2_tuner now{};
        now.index = tuner_.index;
        if (const HRESULT hr = ResultOf(device_->ioctl(VIDIOC_G_TUNER, &now)); FAILED(hr)) {
            return hr;
        }
        LONG hertz = 0;
        frequency(&hertz);
        KSPROPERTY_TUNER_STATUS_S status;
        status.Property = {PROPSETID_TUNER, id, KSPROPERTY_TYPE_GET};
        status.CurrentFrequency = static_cast<ULONG>(hertz);
        status.PLLOffset = PllOffsetOf(now.afc);
        status.SignalStrength = SignalPercentOf(now.signal);
        return WriteProperty(status, data, dataLength, returned);
    }
    default:
        return E_PROP_ID_UNSUPPORTED;
    }
}

HRESULT V4l2TunerFilter::QuerySupported(const Guid& set, DWORD id, DWORD* support) {
    return TunerInput::propertySupport(set, id, support);
}

// ---- TV audio ----

V4l2TvAudioFilter::V4l2TvAudioFilter(std::shared_ptr<V4l2Device> device, const v4l2_tuner& tuner)
    : device_(std::move(device)), index_(tuner.index), capability_(tuner.capability),
      pages_(static_cast<IBaseFilter&>(*this), [this] { return TvAudioControls(*this); }) {
    addAnalogPin(kTvAudioInPin, PINDIR_INPUT);
    addAnalogPin(kTvAudioOutPin, PINDIR_OUTPUT);
}

void* V4l2TvAudioFilter::queryOtherInterface(const Guid& iid) {
    return iid == IAMTVAudio::IID ? static_cast<IAMTVAudio*>(this) : pages_.answer(iid);
}

HRESULT V4l2TvAudioFilter::GetHardwareSupportedTVAudioModes(LONG* modes) {
    return Answer(modes, HardwareAudioModesOf(capability_));
}

HRESULT V4l2TvAudioFilter::GetAvailableTVAudioModes(LONG* modes) {
    if (!modes) {
        return E_POINTER;
    }
    v4l2_tuner now{};
    now.index = index_;
    const HRESULT hr = ResultOf(device_->ioctl(VIDIOC_G_TUNER, &now));
    if (SUCCEEDED(hr)) {
        *modes = HeardAudioModesOf(now.rxsubchans);
    }
    return hr;
}

HRESULT V4l2TvAudioFilter::get_TVAudioMode(LONG* mode) {
    if (!mode) {
        return E_POINTER;
    }
    v4l2_tuner now{};
    now.index = index_;
    const HRESULT hr = ResultOf(device_->ioctl(VIDIOC_G_TUNER, &now));
    if (SUCCEEDED(hr)) {
        *mode = AudioModeOf(now.audmode);
    }
    return hr;
}

HRESULT V4l2TvAudioFilter::put_TVAudioMode(LONG mode) {
    const std::optional<std::uint32_t> audmode = AudmodeOf(mode);
    if (!audmode || !(HardwareAudioModesOf(capability_) & mode)) {
        return E_INVALIDARG;
    }
    v4l2_tuner now{};
    now.index = index_;
    if (const HRESULT hr = ResultOf(device_->ioctl(VIDIOC_G_TUNER, &now)); FAILED(hr)) {
        return hr;
    }
    now.audmode = *audmode;
    return ResultOf(device_->ioctl(VIDIOC_S_TUNER, &now));
}

// ---- Crossbar ----

V4l2CrossbarLayout ReadCrossbarLayout(V4l2Device& device) {
    V4l2CrossbarLayout layout;
    std::vector<v4l2_input> videos;
    for (std::uint32_t index = 0; index < kMaxEnumerated; ++index) {
        v4l2_input input{};
        input.index = index;
        if (device.ioctl(VIDIOC_ENUMINPUT, &input) < 0) {
            break;
        }
        videos.push_back(input);
    }
    std::vector<v4l2_audio> sounds;
    for (std::uint32_t index = 0; index < kMaxEnumerated; ++index) {
        v4l2_audio audio{};
        audio.index = index;
        if (device.ioctl(VIDIOC_ENUMAUDIO, &audio) < 0) {
            break;
        }
        sounds.push_back(audio);
    }
    const bool tuner = !videos.empty() && std::any_of(videos.begin(), videos.end(), [](const v4l2_input& i) {
        return i.type == V4L2_INPUT_TYPE_TUNER;
    });
    if (videos.size() < 2 && !tuner) {
        return layout;
    }

    // Pin names are the driver's labels, made unique so that each pin can be found by its name.
    std::set<std::string> taken;
    auto unique = [&taken](std::string name) {
        std::string candidate = name;
        for (int n = 2; !taken.insert(candidate).second; ++n) {
            candidate = name + " #" + std::to_string(n);
        }
        return candidate;
    };
    const LONG firstSound = static_cast<LONG>(videos.size());
    for (const v4l2_input& input : videos) {
        V4l2CrossbarPin pin{unique(TextOf(input.name)), VideoConnectorOf(input)};
        pin.v4l2Index = input.index;
        if (sounds.empty()) {
            pin.related = firstSound + static_cast<LONG>(input.index);
        } else {
            for (std::uint32_t bit = 0; bit < sounds.size() && bit < 32; ++bit) {
                if (input.audioset & (1u << bit)) {
                    pin.related = firstSound + static_cast<LONG>(bit);
                    break;
                }
            }
        }
        layout.inputs.push_back(pin);
    }
    if (sounds.empty()) {
        // The card switches the sound with the picture: each input's sound is a pin of its own kind.
        for (const v4l2_input& input : videos) {
            V4l2CrossbarPin pin{
                unique(TextOf(input.name) + " Audio"),
                input.type == V4L2_INPUT_TYPE_TUNER ? PhysConn_Audio_Tuner : PhysConn_Audio_Line,
                static_cast<LONG>(input.index), V4l2CrossbarPin::Kind::SoundOfVideo, input.index};
            layout.inputs.push_back(pin);
        }
    } else {
        for (const v4l2_audio& audio : sounds) {
            V4l2CrossbarPin pin{unique(TextOf(audio.name)), AudioConnectorOf(audio), -1,
                                V4l2CrossbarPin::Kind::AudioInput, audio.index};
            layout.inputs.push_back(pin);
        }
    }
    layout.outputs = {{"Video Decoder", PhysConn_Video_VideoDecoder, 1, V4l2CrossbarPin::Kind::Output, 0},
                      {"Audio Decoder", PhysConn_Audio_AudioDecoder, 0, V4l2CrossbarPin::Kind::Output, 0}};
    return layout;
}

V4l2CrossbarFilter::V4l2CrossbarFilter(std::shared_ptr<V4l2Device> device, V4l2CrossbarLayout layout)
    : device_(std::move(device)), layout_(std::move(layout)),
      pages_(static_cast<IBaseFilter&>(*this), [this] { return CrossbarControls(*this, *this); }) {
    // Inputs first, then outputs, as a crossbar's pins are numbered.
    for (const V4l2CrossbarPin& pin : layout_.inputs) {
        addAnalogPin(pin.name, PINDIR_INPUT);
    }
    for (const V4l2CrossbarPin& pin : layout_.outputs) {
        addAnalogPin(pin.name, PINDIR_OUTPUT);
    }
}

void* V4l2CrossbarFilter::queryOtherInterface(const Guid& iid) {
    return iid == IAMCrossbar::IID ? static_cast<IAMCrossbar*>(this) : pages_.answer(iid);
}

bool V4l2CrossbarFilter::inRange(LONG output, LONG input) const {
    return output >= 0 && output < static_cast<LONG>(layout_.outputs.size()) && input >= 0 &&
           input < static_cast<LONG>(layout_.inputs.size());
}

HRESULT V4l2CrossbarFilter::get_PinCounts(LONG* outputs, LONG* inputs) {
    if (!outputs || !inputs) {
        return E_POINTER;
    }
    *outputs = static_cast<LONG>(layout_.outputs.size());
    *inputs = static_cast<LONG>(layout_.inputs.size());
    return S_OK;
}

HRESULT V4l2CrossbarFilter::CanRoute(LONG output, LONG input) {
    if (!inRange(output, input)) {
        return E_INVALIDARG;
    }
    const bool videoOut = layout_.outputs[output].physicalType == PhysConn_Video_VideoDecoder;
    const bool videoIn = layout_.inputs[input].kind == V4l2CrossbarPin::Kind::VideoInput;
    return videoOut == videoIn ? S_OK : S_FALSE;
}

HRESULT V4l2CrossbarFilter::Route(LONG output, LONG input) {
    if (!inRange(output, input)) {
        return E_INVALIDARG;
    }
    if (CanRoute(output, input) != S_OK) {
        return VFW_E_CANNOT_CONNECT;
    }
    const V4l2CrossbarPin& pin = layout_.inputs[input];
    switch (pin.kind) {
    case V4l2CrossbarPin::Kind::VideoInput:
    case V4l2CrossbarPin::Kind::SoundOfVideo: {
        // A sound that follows its picture is routed by choosing that picture's input, as the card does.
        int index = static_cast<int>(pin.v4l2Index);
        return ResultOf(device_->ioctl(VIDIOC_S_INPUT, &index));
    }
    case V4l2CrossbarPin::Kind::AudioInput: {
        v4l2_audio audio{};
        audio.index = pin.v4l2Index;
        return ResultOf(device_->ioctl(VIDIOC_S_AUDIO, &audio));
    }
    default:
        return VFW_E_CANNOT_CONNECT;
    }
}

HRESULT V4l2CrossbarFilter::get_IsRoutedTo(LONG output, LONG* input) {
    if (!input) {
        return E_POINTER;
    }
    if (!inRange(output, 0)) {
        return E_INVALIDARG;
    }
    *input = -1;
    const bool video = layout_.outputs[output].physicalType == PhysConn_Video_VideoDecoder;
    std::uint32_t current = 0;
    V4l2CrossbarPin::Kind kind = V4l2CrossbarPin::Kind::VideoInput;
    if (video || layout_.inputs.back().kind == V4l2CrossbarPin::Kind::SoundOfVideo) {
        int index = -1;
        if (const HRESULT hr = ResultOf(device_->ioctl(VIDIOC_G_INPUT, &index)); FAILED(hr)) {
            return hr;
        }
        current = static_cast<std::uint32_t>(index);
        kind = video ? V4l2CrossbarPin::Kind::VideoInput : V4l2CrossbarPin::Kind::SoundOfVideo;
    } else {
        v4l2_audio audio{};
        if (const HRESULT hr = ResultOf(device_->ioctl(VIDIOC_G_AUDIO, &audio)); FAILED(hr)) {
            return hr;
        }
        current = audio.index;
        kind = V4l2CrossbarPin::Kind::AudioInput;
    }
    for (std::size_t i = 0; i < layout_.inputs.size(); ++i) {
        if (layout_.inputs[i].kind == kind && layout_.inputs[i].v4l2Index == current) {
            *input = static_cast<LONG>(i);
        }
    }
    return S_OK;
}

HRESULT V4l2CrossbarFilter::get_CrossbarPinInfo(BOOL isInput, LONG index, LONG* related, LONG* physicalType) {
    if (!related || !physicalType) {
        return E_POINTER;
    }
    const auto& pins = isInput ? layout_.inputs : layout_.outputs;
    if (index < 0 || index >= static_cast<LONG>(pins.size())) {
        return E_INVALIDARG;
    }
    *related = pins[index].related;
    *physicalType = pins[index].physicalType;
    return S_OK;
}
