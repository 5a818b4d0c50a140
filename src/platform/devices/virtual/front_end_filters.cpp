// SPDX-License-Identifier: GPL-2.0-or-later
#include "front_end_filters.h"

#include "platform/devices/interface_controls.h"
#include "platform/devices/ks_property_io.h"

#include <cstdlib>
#include <cstring>

const char* const kTunerVideoPin = "Analog Video";
const char* const kTunerAudioPin = "Analog Audio";
const char* const kTvAudioInPin = "TVAudio In";
const char* const kTvAudioOutPin = "TVAudio Out";

namespace {

// Standards the card's decoder and tuner receive: NTSC, PAL and SECAM in all their variants.
constexpr LONG kStandards = 0x1FFFF7;
// The sound carrier of a TV channel sits 5.5 MHz above its picture carrier (PAL B/G).
constexpr LONG kSoundCarrierOffset = 5500000;

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

} // namespace

void AnalogFilter::addAnalogPin(const std::string& name, PIN_DIRECTION direction) {
    addPin(Wide(name), direction, PinKind::Analog, nullptr);
}

// ---- Tuner ----

VirtualTunerFilter::VirtualTunerFilter(std::shared_ptr<VirtualCard> card)
    : card_(std::move(card)),
      pages_(static_cast<IBaseFilter&>(*this), [this] { return TunerControls(*this, *this); }) {
    addAnalogPin(kTunerVideoPin, PINDIR_OUTPUT);
    addAnalogPin(kTunerAudioPin, PINDIR_OUTPUT);
}

void* VirtualTunerFilter::queryOtherInterface(const Guid& iid) {
    if (iid == IAMTVTuner::IID || iid == IAMTuner::IID) {
        return static_cast<IAMTVTuner*>(this);
    }
    if (iid == IKsPropertySet::IID) {
        return static_cast<IKsPropertySet*>(this);
    }
    return pages_.answer(iid);
}

HRESULT VirtualTunerFilter::put_Mode(LONG mode) {
    if (mode != AMTUNER_MODE_TV && mode != AMTUNER_MODE_FM_RADIO) {
        return E_INVALIDARG;
    }
    card_->setMode(mode == AMTUNER_MODE_TV ? TunerMode::Tv : TunerMode::Fm);
    return S_OK;
}

HRESULT VirtualTunerFilter::get_Mode(LONG* mode) {
    return Answer(mode, card_->mode() == TunerMode::Tv ? AMTUNER_MODE_TV : AMTUNER_MODE_FM_RADIO);
}

HRESULT VirtualTunerFilter::GetAvailableModes(LONG* modes) {
    return Answer(modes, AMTUNER_MODE_TV | AMTUNER_MODE_FM_RADIO);
}

HRESULT VirtualTunerFilter::put_CountryCode(LONG country) {
    return input_.putCountryCode(country);
}

HRESULT VirtualTunerFilter::get_CountryCode(LONG* country) {
    return input_.getCountryCode(country);
}

HRESULT VirtualTunerFilter::SignalPresent(LONG* strength) {
    return Answer(strength, card_->reception().heard() ? AMTUNER_SIGNALPRESENT : AMTUNER_NOSIGNAL);
}

HRESULT VirtualTunerFilter::get_NumInputConnections(LONG* count) {
    return TunerInput::numInputConnections(count);
}

HRESULT VirtualTunerFilter::put_InputType(LONG index, LONG type) {
    return input_.putInputType(index, type);
}

HRESULT VirtualTunerFilter::get_InputType(LONG index, LONG* type) {
    return input_.getInputType(index, type);
}

HRESULT VirtualTunerFilter::put_ConnectInput(LONG index) {
    return TunerInput::putConnectInput(index);
}

HRESULT VirtualTunerFilter::get_ConnectInput(LONG* index) {
    return TunerInput::getConnectInput(index);
}

HRESULT VirtualTunerFilter::get_VideoFrequency(LONG* hertz) {
    return Answer(hertz, static_cast<LONG>(card_->frequency()));
}

HRESULT VirtualTunerFilter::get_AudioFrequency(LONG* hertz) {
    if (!hertz) {
        return E_POINTER;
    }
    const LONG tuned = static_cast<LONG>(card_->frequency());
    *hertz = card_->mode() == TunerMode::Tv && tuned ? tuned + kSoundCarrierOffset : tuned;
    return S_OK;
}

HRESULT VirtualTunerFilter::get_AvailableTVFormats(LONG* standards) {
    return Answer(standards, kStandards);
}

HRESULT VirtualTunerFilter::get_TVFormat(LONG* standard) {
    return Answer(standard, card_->videoStandard());
}

HRESULT VirtualTunerFilter::Set(const Guid& set, DWORD id, void* instance, DWORD instanceLength, void* data,
                                DWORD dataLength) {
    if (set != PROPSETID_TUNER) {
        return E_PROP_SET_UNSUPPORTED;
    }
    if (id != KSPROPERTY_TUNER_MODE && id != KSPROPERTY_TUNER_FREQUENCY) {
        return E_PROP_ID_UNSUPPORTED;
    }
    if (card_->faults().setProperty) {
        return E_FAIL;
    }
    if (id == KSPROPERTY_TUNER_MODE) {
        KSPROPERTY_TUNER_MODE_S mode;
        if (!ReadProperty(instance, instanceLength, data, dataLength, &mode)) {
            return E_INVALIDARG;
        }
        return put_Mode(static_cast<LONG>(mode.Mode));
    }
    KSPROPERTY_TUNER_FREQUENCY_S frequency;
    if (!ReadProperty(instance, instanceLength, data, dataLength, &frequency)) {
        return E_INVALIDARG;
    }
    return card_->setFrequency(frequency.Frequency) ? S_OK : E_INVALIDARG;
}

HRESULT VirtualTunerFilter::Get(const Guid& set, DWORD id, void*, DWORD, void* data, DWORD dataLength,
                                DWORD* returned) {
    if (set != PROPSETID_TUNER) {
        return E_PROP_SET_UNSUPPORTED;
    }
    switch (id) {
    case KSPROPERTY_TUNER_MODE: {
        KSPROPERTY_TUNER_MODE_S mode;
        mode.Property = {PROPSETID_TUNER, id, KSPROPERTY_TYPE_GET};
        mode.Mode =
            card_->mode() == TunerMode::Tv ? KSPROPERTY_TUNER_MODE_TV : KSPROPERTY_TUNER_MODE_FM_RADIO;
        return WriteProperty(mode, data, dataLength, returned);
    }
    case KSPROPERTY_TUNER_FREQUENCY: {
        KSPROPERTY_TUNER_FREQUENCY_S frequency;
        frequency.Property = {PROPSETID_TUNER, id, KSPROPERTY_TYPE_GET};
        frequency.Frequency = static_cast<ULONG>(card_->frequency());
        return WriteProperty(frequency, data, dataLength, returned);
    }
    case KSPROPERTY_TUNER_STATUS: {
        const Reception heard = card_->reception();
        KSPROPERTY_TUNER_STATUS_S status;
        status.Property = {PROPSETID_TUNER, id, KSPROPERTY_TYPE_GET};
        status.CurrentFrequency = static_cast<ULONG>(card_->frequency());
        status.PLLOffset = heard.pllOffset;
        status.SignalStrength = heard.heard() ? 100 : 0;
        status.Busy = 0;
        return WriteProperty(status, data, dataLength, returned);
    }
    default:
        return E_PROP_ID_UNSUPPORTED;
    }
}

HRESULT VirtualTunerFilter::QuerySupported(const Guid& set, DWORD id, DWORD* support) {
    return TunerInput::propertySupport(set, id, support);
}

// ---- TV audio ----

VirtualTvAudioFilter::VirtualTvAudioFilter(std::shared_ptr<VirtualCard> card)
    : card_(std::move(card)),
      pages_(static_cast<IBaseFilter&>(*this), [this] { return TvAudioControls(*this); }) {
    addAnalogPin(kTvAudioInPin, PINDIR_INPUT);
    addAnalogPin(kTvAudioOutPin, PINDIR_OUTPUT);
}

void* VirtualTvAudioFilter::queryOtherInterface(const Guid& iid) {
    return iid == IAMTVAudio::IID ? static_cast<IAMTVAudio*>(this) : pages_.answer(iid);
}

HRESULT VirtualTvAudioFilter::GetHardwareSupportedTVAudioModes(LONG* modes) {
    return Answer(modes, AMTVAUDIO_MODE_MONO | AMTVAUDIO_MODE_STEREO | AMTVAUDIO_MODE_LANG_A |
                             AMTVAUDIO_MODE_LANG_B);
}

HRESULT VirtualTvAudioFilter::GetAvailableTVAudioModes(LONG* modes) {
    return Answer(modes, card_->availableAudioModes());
}

HRESULT VirtualTvAudioFilter::get_TVAudioMode(LONG* mode) {
    return Answer(mode, card_->audioMode());
}

HRESULT VirtualTvAudioFilter::put_TVAudioMode(LONG mode) {
    return card_->setAudioMode(mode) ? S_OK : E_INVALIDARG;
}

// ---- Crossbar ----

VirtualCrossbarFilter::VirtualCrossbarFilter(std::shared_ptr<VirtualCard> card, int index)
    : card_(std::move(card)), index_(index),
      pages_(static_cast<IBaseFilter&>(*this), [this] { return CrossbarControls(*this, *this); }) {
    // Inputs first, then outputs, as a crossbar's pins are numbered.
    const CrossbarLayout& layout = card_->crossbar(index_);
    for (const CrossbarPinLayout& pin : layout.inputs) {
        addAnalogPin(pin.name, PINDIR_INPUT);
    }
    for (const CrossbarPinLayout& pin : layout.outputs) {
        addAnalogPin(pin.name, PINDIR_OUTPUT);
    }
}

void* VirtualCrossbarFilter::queryOtherInterface(const Guid& iid) {
    return iid == IAMCrossbar::IID ? static_cast<IAMCrossbar*>(this) : pages_.answer(iid);
}

bool VirtualCrossbarFilter::inRange(LONG output, LONG input) const {
    const CrossbarLayout& layout = card_->crossbar(index_);
    return output >= 0 && output < static_cast<LONG>(layout.outputs.size()) && input >= 0 &&
           input < static_cast<LONG>(layout.inputs.size());
}

HRESULT VirtualCrossbarFilter::get_PinCounts(LONG* outputs, LONG* inputs) {
    if (!outputs || !inputs) {
        return E_POINTER;
    }
    const CrossbarLayout& layout = card_->crossbar(index_);
    *outputs = static_cast<LONG>(layout.outputs.size());
    *inputs = static_cast<LONG>(layout.inputs.size());
    return S_OK;
}

HRESULT VirtualCrossbarFilter::CanRoute(LONG output, LONG input) {
    if (!inRange(output, input)) {
        return E_INVALIDARG;
    }
    return card_->canRoute(index_, output, input) ? S_OK : S_FALSE;
}

HRESULT VirtualCrossbarFilter::Route(LONG output, LONG input) {
    if (!inRange(output, input)) {
        return E_INVALIDARG;
    }
    return card_->route(index_, output, input) ? S_OK : VFW_E_CANNOT_CONNECT;
}

HRESULT VirtualCrossbarFilter::get_IsRoutedTo(LONG output, LONG* input) {
    if (!input) {
        return E_POINTER;
    }
    if (!inRange(output, 0)) {
        return E_INVALIDARG;
    }
    *input = card_->routedTo(index_, output);
    return S_OK;
}

HRESULT VirtualCrossbarFilter::get_CrossbarPinInfo(BOOL isInput, LONG index, LONG* related,
                                                   LONG* physicalType) {
    if (!related || !physicalType) {
        return E_POINTER;
    }
    const CrossbarLayout& layout = card_->crossbar(index_);
    const auto& pins = isInput ? layout.inputs : layout.outputs;
    if (index < 0 || index >= static_cast<LONG>(pins.size())) {
        return E_INVALIDARG;
    }
    *related = pins[index].related;
    *physicalType = pins[index].physicalType;
    return S_OK;
}
