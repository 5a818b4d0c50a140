// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace faderix {

// Control flags and the control and line type numbers that presets, hosts and the manual command use.
namespace mixer_flags {
constexpr uint32_t Uniform = 0x1;
constexpr uint32_t Multiple = 0x2;
} // namespace mixer_flags

namespace control_types {
constexpr uint32_t Volume = 0x50030001; // fader class, unsigned
constexpr uint32_t SignedSlider = 0x40020000;
constexpr uint32_t OnOff = 0x20010001;
constexpr uint32_t Mute = 0x20010002;
constexpr uint32_t Mux = 0x70010001;   // single select
constexpr uint32_t Mixer = 0x71010001; // multiple select
} // namespace control_types

namespace component_types {
constexpr uint32_t DstSpeakers = 0x0004;
constexpr uint32_t DstWaveIn = 0x0007;
constexpr uint32_t SrcUndefined = 0x1000;
constexpr uint32_t SrcDigital = 0x1001;
constexpr uint32_t SrcLine = 0x1002;
constexpr uint32_t SrcMicrophone = 0x1003;
constexpr uint32_t SrcSynthesizer = 0x1004;
constexpr uint32_t SrcCompactDisc = 0x1005;
constexpr uint32_t SrcTelephone = 0x1006;
constexpr uint32_t SrcPcSpeaker = 0x1007;
constexpr uint32_t SrcWaveOut = 0x1008;
constexpr uint32_t SrcAuxiliary = 0x1009;
constexpr uint32_t SrcAnalog = 0x100A;
} // namespace component_types

constexpr uint32_t kNoSource = 0xFFFFFFFFu;

struct MixerCaps {
    std::string name; // at most 31 characters
    uint32_t destinations = 0;
};

struct MixerLine {
    uint32_t destination = 0;
    uint32_t source = kNoSource; // kNoSource for a destination line
    uint32_t lineId = 0;
    uint32_t componentType = 0;
    uint32_t channels = 1;
    uint32_t connections = 0; // sources, for a destination line
    uint32_t controls = 0;
    std::string name; // at most 63 characters
};

struct MixerControl {
    uint32_t id = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    uint32_t items = 0;   // list items, for a List control with the Multiple flag
    std::string name;     // at most 63 characters
    uint32_t minimum = 0; // raw 32-bit bounds; signed for a slider-class control
    uint32_t maximum = 0;
};

// An open mixer device: the enumeration calls that need a handle. Closing is destruction.
class MixerDevice {
public:
    virtual ~MixerDevice() = default;
    virtual bool caps(MixerCaps& caps) = 0;
    virtual bool destination(uint32_t destination, MixerLine& line) = 0;
    virtual bool source(uint32_t destination, uint32_t source, MixerLine& line) = 0;
    virtual bool lineControls(const MixerLine& line, std::vector<MixerControl>& controls) = 0;
    // channels x items texts of a List control, item-major.
    virtual bool listTexts(const MixerControl& control, uint32_t channels,
                           std::vector<std::string>& texts) = 0;
};

// The sound card mixers as the plug-in sees them: exactly the operations the model, the actions and the
// manual command rest on. Devices are named by index where no open handle is needed.
class MixerBackend {
public:
    virtual ~MixerBackend() = default;
    virtual uint32_t deviceCount() = 0;
    virtual bool deviceCaps(uint32_t device, MixerCaps& caps) = 0;
    virtual std::unique_ptr<MixerDevice> open(uint32_t device) = 0;
    virtual bool lineByComponentType(uint32_t device, uint32_t componentType, MixerLine& line) = 0;
    virtual bool controlById(uint32_t device, uint32_t controlId, MixerControl& control) = 0;
    virtual bool controlByType(uint32_t device, const MixerLine& line, uint32_t controlType,
                               MixerControl& control) = 0;
    // One channel; `values` gets one value, or one per list item for a List control.
    virtual bool getValue(uint32_t device, const MixerControl& control, std::vector<uint32_t>& values) = 0;
    virtual bool setValue(uint32_t device, const MixerControl& control,
                          const std::vector<uint32_t>& values) = 0;
};

} // namespace faderix
