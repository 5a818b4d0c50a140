// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The virtual card's audio capture filter: the sound of what the card's audio decoder is routed to, live at
// the pipeline clock's pace: a tone per received carrier, silence otherwise.

#include "device_loss.h"
#include "pin_stream_config.h"
#include "platform/media/gst/capture_device.h"
#include "platform/media/gst/capture_output.h"
#include "platform/media/gst/video_format.h"
#include "virtual_card.h"

#include <memory>

class VirtualAudioFilter final : public GstFilter, public ICaptureDevice, public StreamFormats {
public:
    explicit VirtualAudioFilter(std::shared_ptr<VirtualCard> card);

    HRESULT QueryInterface(const Guid& iid, void** object) override {
        return GstFilter::QueryInterface(iid, object);
    }
    std::uint32_t AddRef() override { return GstFilter::AddRef(); }
    std::uint32_t Release() override { return GstFilter::Release(); }

    std::vector<AnalogConnection> analogFrontEnd() override { return {}; }
    HRESULT canRender(const Guid&) override { return S_OK; }

    void* queryPinInterface(const GstPin& pin, const Guid& iid) override;

    const SoundState& playedSound() const { return played_; }

private:
    ~VirtualAudioFilter() override;
    void* queryOtherInterface(const Guid& iid) override;

    HRESULT currentFormat(const GstPin& pin, AM_MEDIA_TYPE** type) override;
    HRESULT changeFormat(const GstPin& pin, const AM_MEDIA_TYPE& type) override;
    int capabilityCount(const GstPin& pin) override;
    AM_MEDIA_TYPE* capability(const GstPin& pin, int index) override;

    void playSound();

    std::shared_ptr<VirtualCard> card_;
    int subscription_ = 0;
    GstElement* source_ = nullptr;
    GstElement* caps_ = nullptr;
    std::unique_ptr<CaptureOutput> capture_;
    GstPin* pin_ = nullptr;
    std::unique_ptr<PinStreamConfig> config_;
    std::unique_ptr<DeviceLoss> loss_;
    std::unique_ptr<DeviceLoss> failure_;
    AudioFormat format_;
    SoundState played_;
};
