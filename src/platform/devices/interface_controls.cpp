// SPDX-License-Identifier: GPL-2.0-or-later
#include "interface_controls.h"

#include "control_builders.h"

#include "platform/com/ref_ptr.h"
#include "platform/media/gst/filter_interfaces.h"

#include <cstdlib>

#include <string>

namespace {

// Identifiers of the controls, one range per page.
enum : std::uint32_t {
    kPictureBase = 0x100, // + the picture property number
    kVideoStandard = 0x110,
    kVcrLocking = 0x111,
    kOutputEnable = 0x112,
    kPictureDefaults = 0x113,
    kTunerMode = 0x200,
    kTunerFrequency = 0x201,
    kTunerInputType = 0x202,
    kTunerStandard = 0x203,
    kTunerSignal = 0x204,
    kTunerFineTuning = 0x205,
    kCrossbarOutputBase = 0x300, // + the output index
    kTvAudioMode = 0x400,
};

constexpr const char* kPictureNames[] = {"Brightness", "Contrast", "Hue", "Saturation"};

struct NamedBit {
    LONG bit;
    const char* name;
};

constexpr NamedBit kStandards[] = {
    {AnalogVideo_NTSC_M, "NTSC_M"},     {AnalogVideo_NTSC_M_J, "NTSC_M_J"},
    {AnalogVideo_NTSC_433, "NTSC_433"}, {AnalogVideo_PAL_B, "PAL_B"},
    {AnalogVideo_PAL_D, "PAL_D"},       {AnalogVideo_PAL_G, "PAL_G"},
    {AnalogVideo_PAL_H, "PAL_H"},       {AnalogVideo_PAL_I, "PAL_I"},
    {AnalogVideo_PAL_M, "PAL_M"},       {AnalogVideo_PAL_N, "PAL_N"},
    {AnalogVideo_PAL_60, "PAL_60"},     {AnalogVideo_SECAM_B, "SECAM_B"},
    {AnalogVideo_SECAM_D, "SECAM_D"},   {AnalogVideo_SECAM_G, "SECAM_G"},
    {AnalogVideo_SECAM_H, "SECAM_H"},   {AnalogVideo_SECAM_K, "SECAM_K"},
    {AnalogVideo_SECAM_K1, "SECAM_K1"}, {AnalogVideo_SECAM_L, "SECAM_L"},
    {AnalogVideo_SECAM_L1, "SECAM_L1"}, {AnalogVideo_PAL_N_COMBO, "PAL_N_COMBO"},
};

constexpr NamedBit kSoundModes[] = {
    {AMTVAUDIO_MODE_MONO, "Mono"},         {AMTVAUDIO_MODE_STEREO, "Stereo"},
    {AMTVAUDIO_MODE_LANG_A, "Language A"}, {AMTVAUDIO_MODE_LANG_B, "Language B"},
    {AMTVAUDIO_MODE_LANG_C, "Language C"},
};

// Menu items of the bits set in mask.
template <std::size_t N> std::vector<DeviceControlItem> ItemsOf(const NamedBit (&table)[N], LONG mask) {
    std::vector<DeviceControlItem> items;
    for (const NamedBit& named : table) {
        if (mask & named.bit) {
            items.push_back({named.bit, named.name});
        }
    }
    return items;
}

// The tuner's bands, Hz: TV 40–870 MHz holds FM 87.5–108 MHz; the tuner itself refuses what its mode
// cannot take.
constexpr std::int32_t kLowestFrequency = 40000000;
constexpr std::int32_t kHighestFrequency = 870000000;
constexpr std::int32_t kFrequencyStep = 50000;
constexpr std::int32_t kWidestPllOffset = 10000000;

// A tuner property read whole; what a failed read leaves is zeros.
template <typename T> T TunerProperty(IKsPropertySet& properties, ULONG id) {
    T property;
    property.Property = {PROPSETID_TUNER, id, KSPROPERTY_TYPE_GET};
    DWORD returned = 0;
    properties.Get(PROPSETID_TUNER, id, InstanceDataOf(property), InstanceSizeOf<T>(), &property,
                   sizeof(property), &returned);
    return property;
}

// Pin names of a filter in enumeration order.
std::vector<std::string> PinNames(IBaseFilter& filter) {
    std::vector<std::string> names;
    RefPtr<IEnumPins> pins;
    if (filter.EnumPins(pins.put()) < 0 || !pins) {
        return names;
    }
    RefPtr<IPin> pin;
    while (pins->Next(1, pin.put(), nullptr) == S_OK) {
        PIN_INFO info;
        pin->QueryPinInfo(&info);
        if (info.pFilter) {
            info.pFilter->Release();
        }
        const std::wstring wide(info.achName);
        names.emplace_back(wide.begin(), wide.end());
        pin = nullptr;
    }
    return names;
}

} // namespace

std::vector<DeviceControlEntry> DecoderControls(IAMVideoProcAmp* procAmp, IAMAnalogVideoDecoder* decoder) {
    std::vector<DeviceControlEntry> entries;
    if (procAmp) {
        std::vector<std::pair<LONG, LONG>> defaults;
        for (LONG property = VideoProcAmp_Brightness; property <= VideoProcAmp_Saturation; ++property) {
            LONG minimum = 0, maximum = 0, step = 0, defaultValue = 0, flags = 0;
            if (procAmp->GetRange(property, &minimum, &maximum, &step, &defaultValue, &flags) < 0) {
                continue;
            }
            defaults.emplace_back(property, defaultValue);
            entries.push_back({NumberControl(kPictureBase + property, kPictureNames[property], minimum,
                                             maximum, step, defaultValue),
                               [procAmp, property] {
                                   LONG flags = 0;
                                   return ReadLong(
                                       [&](LONG* v) { return procAmp->Get(property, v, &flags); });
                               },
                               [procAmp, property](std::int32_t value) {
                                   return procAmp->Set(property, value, VideoProcAmp_Flags_Manual) >= 0;
                               }});
        }
        if (!defaults.empty()) {
            DeviceControl reset;
            reset.id = kPictureDefaults;
            reset.kind = DeviceControl::Kind::Button;
            reset.name = "Default Picture";
            entries.push_back({reset, nullptr, [procAmp, defaults](std::int32_t) {
                                   bool all = true;
                                   for (const auto& [property, value] : defaults) {
                                       all = procAmp->Set(property, value, VideoProcAmp_Flags_Manual) >= 0 &&
                                             all;
                                   }
                                   return all;
                               }});
        }
    }
    if (decoder) {
        const LONG available = ReadLong([decoder](LONG* v) { return decoder->get_AvailableTVFormats(v); });
        entries.push_back(
            {MenuControl(kVideoStandard, "Video Standard", ItemsOf(kStandards, available)),
             [decoder] { return ReadLong([decoder](LONG* v) { return decoder->get_TVFormat(v); }); },
             [decoder](std::int32_t value) { return decoder->put_TVFormat(value) >= 0; }});
        entries.push_back(
            {SwitchControl(kVcrLocking, "VCR Horizontal Locking"),
             [decoder] {
                 return ReadLong([decoder](LONG* v) { return decoder->get_VCRHorizontalLocking(v); });
             },
             [decoder](std::int32_t value) { return decoder->put_VCRHorizontalLocking(value) >= 0; }});
        entries.push_back(
            {SwitchControl(kOutputEnable, "Output Enable"),
             [decoder] { return ReadLong([decoder](LONG* v) { return decoder->get_OutputEnable(v); }); },
             [decoder](std::int32_t value) { return decoder->put_OutputEnable(value) >= 0; }});
    }
    return entries;
}

std::vector<DeviceControlEntry> TunerControls(IAMTVTuner& tuner, IKsPropertySet& properties) {
    IAMTVTuner* t = &tuner;
    IKsPropertySet* ks = &properties;
    std::vector<DeviceControlEntry> entries;
    const LONG modes = ReadLong([t](LONG* v) { return t->GetAvailableModes(v); });
    std::vector<DeviceControlItem> modeItems;
    if (modes & AMTUNER_MODE_TV) {
        modeItems.push_back({AMTUNER_MODE_TV, "TV"});
    }
    if (modes & AMTUNER_MODE_FM_RADIO) {
        modeItems.push_back({AMTUNER_MODE_FM_RADIO, "FM Radio"});
    }
    entries.push_back({MenuControl(kTunerMode, "Mode", modeItems),
                       [t] { return ReadLong([t](LONG* v) { return t->get_Mode(v); }); },
                       [t](std::int32_t value) { return t->put_Mode(value) >= 0; }});
    entries.push_back(
        {NumberControl(kTunerFrequency, "Frequency (Hz)", kLowestFrequency, kHighestFrequency, kFrequencyStep,
                       kLowestFrequency),
         [ks] {
             return std::int32_t(
                 TunerProperty<KSPROPERTY_TUNER_FREQUENCY_S>(*ks, KSPROPERTY_TUNER_FREQUENCY).Frequency);
         },
         [ks](std::int32_t value) {
             KSPROPERTY_TUNER_FREQUENCY_S frequency;
             frequency.Property = {PROPSETID_TUNER, KSPROPERTY_TUNER_FREQUENCY, KSPROPERTY_TYPE_SET};
             frequency.Frequency = ULONG(value);
             frequency.TuningFlags = KS_TUNER_TUNING_EXACT;
             return ks->Set(PROPSETID_TUNER, KSPROPERTY_TUNER_FREQUENCY, InstanceDataOf(frequency),
                            InstanceSizeOf<KSPROPERTY_TUNER_FREQUENCY_S>(), &frequency,
                            sizeof(frequency)) >= 0;
         }});
    entries.push_back({MenuControl(kTunerInputType, "Input Type",
                                   {{TunerInputCable, "Cable"}, {TunerInputAntenna, "Antenna"}}),
                       [t] { return ReadLong([t](LONG* v) { return t->get_InputType(0, v); }); },
                       [t](std::int32_t value) { return t->put_InputType(0, value) >= 0; }});
    const LONG standards = ReadLong([t](LONG* v) { return t->get_AvailableTVFormats(v); });
    entries.push_back({MenuControl(kTunerStandard, "Video Standard", ItemsOf(kStandards, standards), true),
                       [t] { return ReadLong([t](LONG* v) { return t->get_TVFormat(v); }); }, nullptr});
    entries.push_back(
        {SwitchControl(kTunerSignal, "Signal Present", true),
         [t] {
             return ReadLong([t](LONG* v) { return t->SignalPresent(v); }) == AMTUNER_SIGNALPRESENT ? 1 : 0;
         },
         nullptr});
    entries.push_back(
        {NumberControl(kTunerFineTuning, "Fine Tuning (Hz)", -kWidestPllOffset, kWidestPllOffset, 1, 0, true),
         [ks] {
             return std::int32_t(
                 TunerProperty<KSPROPERTY_TUNER_STATUS_S>(*ks, KSPROPERTY_TUNER_STATUS).PLLOffset);
         },
         nullptr});
    return entries;
}

std::vector<DeviceControlEntry> CrossbarControls(IAMCrossbar& crossbar, IBaseFilter& filter) {
    IAMCrossbar* x = &crossbar;
    std::vector<DeviceControlEntry> entries;
    LONG outputs = 0;
    LONG inputs = 0;
    if (crossbar.get_PinCounts(&outputs, &inputs) < 0) {
        return entries;
    }
    const std::vector<std::string> names = PinNames(filter);
    auto nameOf = [&names](std::size_t pin) {
        return pin < names.size() ? names[pin] : "Pin " + std::to_string(pin);
    };
    for (LONG output = 0; output < outputs; ++output) {
        std::vector<DeviceControlItem> items;
        for (LONG input = 0; input < inputs; ++input) {
            if (crossbar.CanRoute(output, input) == S_OK) {
                items.push_back({input, nameOf(std::size_t(input))});
            }
        }
        DeviceControl control =
            MenuControl(kCrossbarOutputBase + std::uint32_t(output), "", std::move(items));
        control.name = nameOf(std::size_t(inputs + output));
        entries.push_back(
            {control,
             [x, output] { return ReadLong([x, output](LONG* v) { return x->get_IsRoutedTo(output, v); }); },
             [x, output](std::int32_t input) { return x->Route(output, input) >= 0; }});
    }
    return entries;
}

std::vector<DeviceControlEntry> TvAudioControls(IAMTVAudio& audio) {
    IAMTVAudio* a = &audio;
    const LONG available = ReadLong([a](LONG* v) { return a->GetAvailableTVAudioModes(v); });
    return {{MenuControl(kTvAudioMode, "Sound Mode", ItemsOf(kSoundModes, available)),
             [a] { return ReadLong([a](LONG* v) { return a->get_TVAudioMode(v); }); },
             [a](std::int32_t value) { return a->put_TVAudioMode(value) >= 0; }}};
}
