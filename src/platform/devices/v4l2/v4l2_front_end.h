// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A V4L2 node's tuner, TV sound and input switch as the platform's tuner (IAMTVTuner with its
// kernel-streaming properties), TV audio (IAMTVAudio) and crossbar (IAMCrossbar). Each object is made per
// binding, like a driver's filter, and speaks to the node it shares with the others.

#include "platform/devices/device_control_pages.h"
#include "platform/devices/tuner_input.h"
#include "platform/devices/tv_device_interfaces.h"
#include "platform/devices/virtual/analog_filter.h"
#include "platform/devices/virtual/front_end_filters.h"
#include "v4l2_device.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// Every standard the node can receive (VIDIOC_ENUMSTD), and the one it is set to (VIDIOC_G_STD), as
// platform bits.
LONG ReceivableStandards(V4l2Device& device);
HRESULT CurrentStandard(V4l2Device& device, LONG* standard);

// The node's first tuner; nullopt when it has none.
std::optional<v4l2_tuner> ReadTuner(V4l2Device& device);
// A tuner of a radio node, which receives FM.
bool IsRadio(const v4l2_tuner& tuner);

class V4l2TunerFilter final : public AnalogFilter, public IAMTVTuner, public IKsPropertySet {
public:
    V4l2TunerFilter(std::shared_ptr<V4l2Device> device, const v4l2_tuner& tuner);

    HRESULT QueryInterface(const Guid& iid, void** object) override {
        return GstFilter::QueryInterface(iid, object);
    }
    std::uint32_t AddRef() override { return GstFilter::AddRef(); }
    std::uint32_t Release() override { return GstFilter::Release(); }

    // A tuner has the one mode of its node: TV on a capture node, FM on a radio node.
    HRESULT put_Mode(LONG mode) override;
    HRESULT get_Mode(LONG* mode) override;
    HRESULT GetAvailableModes(LONG* modes) override;
    HRESULT put_CountryCode(LONG country) override;
    HRESULT get_CountryCode(LONG* country) override;
    HRESULT SignalPresent(LONG* strength) override;
    HRESULT get_NumInputConnections(LONG* count) override;
    HRESULT put_InputType(LONG index, LONG type) override;
    HRESULT get_InputType(LONG index, LONG* type) override;
    HRESULT put_ConnectInput(LONG index) override;
    HRESULT get_ConnectInput(LONG* index) override;
    HRESULT get_VideoFrequency(LONG* hertz) override;
    HRESULT get_AudioFrequency(LONG* hertz) override;
    HRESULT get_AvailableTVFormats(LONG* standards) override;
    HRESULT get_TVFormat(LONG* standard) override;

    // PROPSETID_TUNER: mode and frequency (set and get), status (get: PLL offset from afc, signal).
    HRESULT Set(const Guid& set, DWORD id, void* instance, DWORD instanceLength, void* data,
                DWORD dataLength) override;
    HRESULT Get(const Guid& set, DWORD id, void* instance, DWORD instanceLength, void* data, DWORD dataLength,
                DWORD* returned) override;
    HRESULT QuerySupported(const Guid& set, DWORD id, DWORD* support) override;

private:
    void* queryOtherInterface(const Guid& iid) override;
    LONG ownMode() const;
    HRESULT tune(ULONG hertz);
    HRESULT frequency(LONG* hertz);

    std::shared_ptr<V4l2Device> device_;
    v4l2_tuner tuner_;
    TunerInput input_;
    DeviceControlPages pages_;
};

class V4l2TvAudioFilter final : public AnalogFilter, public IAMTVAudio {
public:
    V4l2TvAudioFilter(std::shared_ptr<V4l2Device> device, const v4l2_tuner& tuner);

    HRESULT QueryInterface(const Guid& iid, void** object) override {
        return GstFilter::QueryInterface(iid, object);
    }
    std::uint32_t AddRef() override { return GstFilter::AddRef(); }
    std::uint32_t Release() override { return GstFilter::Release(); }

    HRESULT GetHardwareSupportedTVAudioModes(LONG* modes) override;
    HRESULT GetAvailableTVAudioModes(LONG* modes) override;
    HRESULT get_TVAudioMode(LONG* mode) override;
    HRESULT put_TVAudioMode(LONG mode) override;

private:
    void* queryOtherInterface(const Guid& iid) override;

    std::shared_ptr<V4l2Device> device_;
    std::uint32_t index_;
    std::uint32_t capability_;
    DeviceControlPages pages_;
};

// One pin of the crossbar: a video input (VIDIOC_ENUMINPUT), an audio input (VIDIOC_ENUMAUDIO), or, on a card
// that switches the sound with the picture and lists no audio inputs, the sound of a video input.
struct V4l2CrossbarPin {
    std::string name;
    LONG physicalType = 0;
    LONG related = -1;
    enum class Kind { VideoInput, AudioInput, SoundOfVideo, Output } kind = Kind::VideoInput;
    std::uint32_t v4l2Index = 0;
};

struct V4l2CrossbarLayout {
    std::vector<V4l2CrossbarPin> inputs;
    // "Video Decoder" and "Audio Decoder".
    std::vector<V4l2CrossbarPin> outputs;
};

// The node's inputs as a crossbar; no inputs when the node has none to choose (a webcam's one camera).
V4l2CrossbarLayout ReadCrossbarLayout(V4l2Device& device);

class V4l2CrossbarFilter final : public AnalogFilter, public IAMCrossbar {
public:
    V4l2CrossbarFilter(std::shared_ptr<V4l2Device> device, V4l2CrossbarLayout layout);

    HRESULT QueryInterface(const Guid& iid, void** object) override {
        return GstFilter::QueryInterface(iid, object);
    }
    std::uint32_t AddRef() override { return GstFilter::AddRef(); }
    std::uint32_t Release() override { return GstFilter::Release(); }

    HRESULT get_PinCounts(LONG* outputs, LONG* inputs) override;
    HRESULT CanRoute(LONG output, LONG input) override;
    HRESULT Route(LONG output, LONG input) override;
    HRESULT get_IsRoutedTo(LONG output, LONG* input) override;
    HRESULT get_CrossbarPinInfo(BOOL isInput, LONG index, LONG* related, LONG* physicalType) override;

    const V4l2CrossbarLayout& layout() const { return layout_; }

private:
    void* queryOtherInterface(const Guid& iid) override;
    bool inRange(LONG output, LONG input) const;

    std::shared_ptr<V4l2Device> device_;
    V4l2CrossbarLayout layout_;
    DeviceControlPages pages_;
};
