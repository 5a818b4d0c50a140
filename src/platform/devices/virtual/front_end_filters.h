// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The virtual card's tuner, TV audio and crossbars. Each object is made per binding, like a driver's filter,
// and acts on the one card they share. Each publishes a settings page generated from its own interface.

#include "analog_filter.h"
#include "platform/devices/device_control_pages.h"
#include "platform/devices/tuner_input.h"
#include "platform/devices/tv_device_interfaces.h"
#include "virtual_card.h"

#include <memory>

class VirtualTunerFilter final : public AnalogFilter, public IAMTVTuner, public IKsPropertySet {
public:
    explicit VirtualTunerFilter(std::shared_ptr<VirtualCard> card);

    HRESULT QueryInterface(const Guid& iid, void** object) override {
        return GstFilter::QueryInterface(iid, object);
    }
    std::uint32_t AddRef() override { return GstFilter::AddRef(); }
    std::uint32_t Release() override { return GstFilter::Release(); }

    // IAMTuner / IAMTVTuner
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

    // IKsPropertySet: PROPSETID_TUNER mode, frequency (set and get) and status (get).
    HRESULT Set(const Guid& set, DWORD id, void* instance, DWORD instanceLength, void* data,
                DWORD dataLength) override;
    HRESULT Get(const Guid& set, DWORD id, void* instance, DWORD instanceLength, void* data, DWORD dataLength,
                DWORD* returned) override;
    HRESULT QuerySupported(const Guid& set, DWORD id, DWORD* support) override;

private:
    void* queryOtherInterface(const Guid& iid) override;

    std::shared_ptr<VirtualCard> card_;
    TunerInput input_;
    DeviceControlPages pages_;
};

class VirtualTvAudioFilter final : public AnalogFilter, public IAMTVAudio {
public:
    explicit VirtualTvAudioFilter(std::shared_ptr<VirtualCard> card);

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

    std::shared_ptr<VirtualCard> card_;
    DeviceControlPages pages_;
};

class VirtualCrossbarFilter final : public AnalogFilter, public IAMCrossbar {
public:
    // index 0 is the crossbar in front of the decoder, 1 the one in front of that.
    VirtualCrossbarFilter(std::shared_ptr<VirtualCard> card, int index);

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

private:
    void* queryOtherInterface(const Guid& iid) override;
    bool inRange(LONG output, LONG input) const;

    std::shared_ptr<VirtualCard> card_;
    int index_;
    DeviceControlPages pages_;
};

// Pin names of the front end's wiring.
extern const char* const kTunerVideoPin;
extern const char* const kTunerAudioPin;
extern const char* const kTvAudioInPin;
extern const char* const kTvAudioOutPin;
