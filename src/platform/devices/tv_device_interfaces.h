// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The interfaces of an analog TV card's parts: tuner, TV sound, crossbar, picture amplifier, video decoder
// and the kernel-streaming tuner properties. A card's monikers (TV tuner, TV audio, crossbar categories) bind
// straight to them; the capture graph builder finds them on and upstream of the card's capture filter.

#include "platform/media/capture_interfaces.h"

#include <cstddef>
#include <cstdint>

using ULONG = std::uint32_t;

// ---- Tuner
// --------------------------------------------------------------------------------------------------

enum AMTunerModeType {
    AMTUNER_MODE_DEFAULT = 0x0000,
    AMTUNER_MODE_TV = 0x0001,
    AMTUNER_MODE_FM_RADIO = 0x0002,
    AMTUNER_MODE_AM_RADIO = 0x0004,
    AMTUNER_MODE_DSS = 0x0008,
};

enum TunerInputType { TunerInputCable = 0, TunerInputAntenna = 1 };

enum AMTunerSignalStrength {
    AMTUNER_HASNOSIGNALSTRENGTH = -1,
    AMTUNER_NOSIGNAL = 0,
    AMTUNER_SIGNALPRESENT = 1,
};

struct IAMTuner : IUnknown {
    static constexpr Guid IID = Guid::of("{211A8761-03AC-11D1-8D13-00AA00BD8339}");

    // E_INVALIDARG for a mode the tuner does not have.
    virtual HRESULT put_Mode(LONG mode) = 0;
    virtual HRESULT get_Mode(LONG* mode) = 0;
    // The AMTUNER_MODE_* bits the tuner offers.
    virtual HRESULT GetAvailableModes(LONG* modes) = 0;
    virtual HRESULT put_CountryCode(LONG country) = 0;
    virtual HRESULT get_CountryCode(LONG* country) = 0;
    // AMTUNER_SIGNALPRESENT when a carrier is heard at the tuned frequency, AMTUNER_NOSIGNAL otherwise.
    virtual HRESULT SignalPresent(LONG* strength) = 0;
};

struct IAMTVTuner : IAMTuner {
    using Parent = IAMTuner;
    static constexpr Guid IID = Guid::of("{211A8766-03AC-11D1-8D13-00AA00BD8339}");

    virtual HRESULT get_NumInputConnections(LONG* count) = 0;
    virtual HRESULT put_InputType(LONG index, LONG type) = 0;
    virtual HRESULT get_InputType(LONG index, LONG* type) = 0;
    virtual HRESULT put_ConnectInput(LONG index) = 0;
    virtual HRESULT get_ConnectInput(LONG* index) = 0;
    // The frequency tuned, in Hz; the audio carrier of a TV channel or the station in FM mode.
    virtual HRESULT get_VideoFrequency(LONG* hertz) = 0;
    virtual HRESULT get_AudioFrequency(LONG* hertz) = 0;
    // The AnalogVideoStandard bits the tuner can receive.
    virtual HRESULT get_AvailableTVFormats(LONG* standards) = 0;
    virtual HRESULT get_TVFormat(LONG* standard) = 0;
};

// Kernel-streaming tuner properties, through the tuner's IKsPropertySet. Each structure starts with the
// 24-byte KSPROPERTY header; a caller passes the part after it as instance data and the whole structure as
// data (InstanceDataOf, InstanceSizeOf).
inline constexpr Guid PROPSETID_TUNER = Guid::of("{6A2E0605-28E4-11D0-A18C-00A0C9118956}");

enum KSPROPERTY_TUNER {
    KSPROPERTY_TUNER_CAPS = 0,
    KSPROPERTY_TUNER_MODE_CAPS = 1,
    KSPROPERTY_TUNER_MODE = 2,
    KSPROPERTY_TUNER_STANDARD = 3,
    KSPROPERTY_TUNER_FREQUENCY = 4,
    KSPROPERTY_TUNER_INPUT = 5,
    KSPROPERTY_TUNER_STATUS = 6,
};

constexpr ULONG KSPROPERTY_TYPE_GET = 0x1;
constexpr ULONG KSPROPERTY_TYPE_SET = 0x2;

constexpr ULONG KSPROPERTY_TUNER_MODE_TV = AMTUNER_MODE_TV;
constexpr ULONG KSPROPERTY_TUNER_MODE_FM_RADIO = AMTUNER_MODE_FM_RADIO;

constexpr ULONG KS_TUNER_TUNING_EXACT = 1;
constexpr ULONG KS_TUNER_TUNING_FINE = 2;
constexpr ULONG KS_TUNER_TUNING_COARSE = 3;

struct alignas(8) KSPROPERTY {
    Guid Set;
    ULONG Id = 0;
    ULONG Flags = 0;
};

struct KSPROPERTY_TUNER_MODE_S {
    KSPROPERTY Property;
    ULONG Mode = 0;
};

struct KSPROPERTY_TUNER_FREQUENCY_S {
    KSPROPERTY Property;
    ULONG Frequency = 0; // Hz
    ULONG LastFrequency = 0;
    ULONG TuningFlags = 0; // KS_TUNER_TUNING_*
    ULONG VideoSubChannel = 0;
    ULONG AudioSubChannel = 0;
    ULONG Channel = 0;
    ULONG Country = 0;
};

struct KSPROPERTY_TUNER_STATUS_S {
    KSPROPERTY Property;
    ULONG CurrentFrequency = 0;
    // Signed, in Hz: carrier − tuned frequency; positive below a carrier, 0 on it, negative above it.
    LONG PLLOffset = 0;
    ULONG SignalStrength = 0;
    ULONG Busy = 0;
};

static_assert(sizeof(KSPROPERTY) == 24);
static_assert(sizeof(KSPROPERTY_TUNER_MODE_S) == 32);
static_assert(sizeof(KSPROPERTY_TUNER_FREQUENCY_S) == 56);
static_assert(sizeof(KSPROPERTY_TUNER_STATUS_S) == 40);

// The instance data of a property structure: everything after its KSPROPERTY header.
template <typename T> void* InstanceDataOf(T& property) {
    return reinterpret_cast<std::uint8_t*>(&property) + sizeof(KSPROPERTY);
}
template <typename T> constexpr DWORD InstanceSizeOf() {
    return static_cast<DWORD>(sizeof(T) - sizeof(KSPROPERTY));
}

// ---- TV sound
// -----------------------------------------------------------------------------------------------

enum TVAudioMode {
    AMTVAUDIO_MODE_MONO = 0x0001,
    AMTVAUDIO_MODE_STEREO = 0x0002,
    AMTVAUDIO_MODE_LANG_A = 0x0010,
    AMTVAUDIO_MODE_LANG_B = 0x0020,
    AMTVAUDIO_MODE_LANG_C = 0x0040,
};

struct IAMTVAudio : IUnknown {
    static constexpr Guid IID = Guid::of("{83EC1C30-23D1-11D1-99E6-00A0C9560266}");

    // Every mode bit the device can produce.
    virtual HRESULT GetHardwareSupportedTVAudioModes(LONG* modes) = 0;
    // The modes the carrier heard now offers (mono; stereo; or languages A and B).
    virtual HRESULT GetAvailableTVAudioModes(LONG* modes) = 0;
    virtual HRESULT get_TVAudioMode(LONG* mode) = 0;
    // E_INVALIDARG for a value that is not a supported mode bit.
    virtual HRESULT put_TVAudioMode(LONG mode) = 0;
};

// ---- Crossbar
// -----------------------------------------------------------------------------------------------

enum PhysicalConnectorType {
    PhysConn_Video_Tuner = 1,
    PhysConn_Video_Composite = 2,
    PhysConn_Video_SVideo = 3,
    PhysConn_Video_RGB = 4,
    PhysConn_Video_YRYBY = 5,
    PhysConn_Video_SerialDigital = 6,
    PhysConn_Video_ParallelDigital = 7,
    PhysConn_Video_SCSI = 8,
    PhysConn_Video_AUX = 9,
    PhysConn_Video_1394 = 10,
    PhysConn_Video_USB = 11,
    PhysConn_Video_VideoDecoder = 12,
    PhysConn_Video_VideoEncoder = 13,
    PhysConn_Video_SCART = 14,
    PhysConn_Video_Black = 15,
    PhysConn_Audio_Tuner = 0x1000,
    PhysConn_Audio_Line = 0x1001,
    PhysConn_Audio_Mic = 0x1002,
    PhysConn_Audio_AESDigital = 0x1003,
    PhysConn_Audio_SPDIFDigital = 0x1004,
    PhysConn_Audio_SCSI = 0x1005,
    PhysConn_Audio_AUX = 0x1006,
    PhysConn_Audio_1394 = 0x1007,
    PhysConn_Audio_USB = 0x1008,
    PhysConn_Audio_AudioDecoder = 0x1009,
};

// A switch matrix. Its filter's pins enumerate the inputs first, then the outputs, each in index order.
struct IAMCrossbar : IUnknown {
    static constexpr Guid IID = Guid::of("{C6E13380-30AC-11D0-A18C-00A0C9118956}");

    virtual HRESULT get_PinCounts(LONG* outputs, LONG* inputs) = 0;
    // S_OK when the output can take the input, S_FALSE when not; E_INVALIDARG for an index out of range.
    virtual HRESULT CanRoute(LONG output, LONG input) = 0;
    // S_OK, or E_INVALIDARG for an index out of range, VFW_E_CANNOT_CONNECT when the output cannot take the
    // input.
    virtual HRESULT Route(LONG output, LONG input) = 0;
    // The input routed to the output, -1 for none.
    virtual HRESULT get_IsRoutedTo(LONG output, LONG* input) = 0;
    // related receives the index (same direction) of the pin's companion (a video input's audio input), or
    // -1; physicalType a PhysicalConnectorType.
    virtual HRESULT get_CrossbarPinInfo(BOOL isInput, LONG index, LONG* related, LONG* physicalType) = 0;
};

// ---- Picture
// ------------------------------------------------------------------------------------------------

enum VideoProcAmpProperty {
    VideoProcAmp_Brightness = 0,
    VideoProcAmp_Contrast = 1,
    VideoProcAmp_Hue = 2,
    VideoProcAmp_Saturation = 3,
    VideoProcAmp_Sharpness = 4,
    VideoProcAmp_Gamma = 5,
    VideoProcAmp_ColorEnable = 6,
    VideoProcAmp_WhiteBalance = 7,
    VideoProcAmp_BacklightCompensation = 8,
    VideoProcAmp_Gain = 9,
};

enum VideoProcAmpFlags { VideoProcAmp_Flags_Auto = 0x0001, VideoProcAmp_Flags_Manual = 0x0002 };

struct IAMVideoProcAmp : IUnknown {
    static constexpr Guid IID = Guid::of("{C6E13360-30AC-11D0-A18C-00A0C9118956}");

    // E_PROP_ID_UNSUPPORTED for a property the device does not have.
    virtual HRESULT GetRange(LONG property, LONG* minimum, LONG* maximum, LONG* step, LONG* defaultValue,
                             LONG* capsFlags) = 0;
    // E_INVALIDARG for a value outside the range.
    virtual HRESULT Set(LONG property, LONG value, LONG flags) = 0;
    virtual HRESULT Get(LONG property, LONG* value, LONG* flags) = 0;
};

// ---- Video decoder
// ------------------------------------------------------------------------------------------

enum AnalogVideoStandard {
    AnalogVideo_None = 0x00000000,
    AnalogVideo_NTSC_M = 0x00000001,
    AnalogVideo_NTSC_M_J = 0x00000002,
    AnalogVideo_NTSC_433 = 0x00000004,
    AnalogVideo_PAL_B = 0x00000010,
    AnalogVideo_PAL_D = 0x00000020,
    AnalogVideo_PAL_G = 0x00000040,
    AnalogVideo_PAL_H = 0x00000080,
    AnalogVideo_PAL_I = 0x00000100,
    AnalogVideo_PAL_M = 0x00000200,
    AnalogVideo_PAL_N = 0x00000400,
    AnalogVideo_PAL_60 = 0x00000800,
    AnalogVideo_SECAM_B = 0x00001000,
    AnalogVideo_SECAM_D = 0x00002000,
    AnalogVideo_SECAM_G = 0x00004000,
    AnalogVideo_SECAM_H = 0x00008000,
    AnalogVideo_SECAM_K = 0x00010000,
    AnalogVideo_SECAM_K1 = 0x00020000,
    AnalogVideo_SECAM_L = 0x00040000,
    AnalogVideo_SECAM_L1 = 0x00080000,
    AnalogVideo_PAL_N_COMBO = 0x00100000,
};

// On the card's video capture filter.
struct IAMAnalogVideoDecoder : IUnknown {
    static constexpr Guid IID = Guid::of("{C6E13350-30AC-11D0-A18C-00A0C9118956}");

    virtual HRESULT get_AvailableTVFormats(LONG* standards) = 0;
    // E_INVALIDARG for a standard the decoder does not have.
    virtual HRESULT put_TVFormat(LONG standard) = 0;
    virtual HRESULT get_TVFormat(LONG* standard) = 0;
    // Non-zero when the decoder is locked to a picture's line timing.
    virtual HRESULT get_HorizontalLocked(LONG* locked) = 0;
    virtual HRESULT put_VCRHorizontalLocking(LONG vcrLocking) = 0;
    virtual HRESULT get_VCRHorizontalLocking(LONG* vcrLocking) = 0;
    virtual HRESULT get_NumberOfLines(LONG* lines) = 0;
    virtual HRESULT put_OutputEnable(LONG enable) = 0;
    virtual HRESULT get_OutputEnable(LONG* enable) = 0;
};
