// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A V4L2 capture node as the platform's video capture filter: a live picture on its capture and preview
// pins, both streamed from the node by the seam's picture source (v4l2src on the same node), with the
// node's decoder (standard, horizontal lock), picture amplifier (brightness, contrast, hue, saturation) and
// its front end (tuner, TV audio, crossbar) behind its analog video input. When the node goes away while it
// streams, the source's error becomes the graph's EC_DEVICE_LOST.

#include "platform/devices/virtual/pin_stream_config.h"
#include "platform/media/gst/capture_device.h"
#include "platform/media/gst/capture_output.h"
#include "platform/media/gst/video_format.h"
#include "v4l2_front_end.h"

#include <memory>
#include <utility>
#include <vector>

class V4l2CaptureFilter final : public GstFilter,
                                public ICaptureDevice,
                                public IAMAnalogVideoDecoder,
                                public IAMVideoProcAmp,
                                public StreamFormats {
public:
    explicit V4l2CaptureFilter(std::shared_ptr<V4l2Device> device);

    HRESULT QueryInterface(const Guid& iid, void** object) override {
        return GstFilter::QueryInterface(iid, object);
    }
    std::uint32_t AddRef() override { return GstFilter::AddRef(); }
    std::uint32_t Release() override { return GstFilter::Release(); }

    // ICaptureDevice
    std::vector<AnalogConnection> analogFrontEnd() override;
    HRESULT canRender(const Guid& category) override;

    // IAMAnalogVideoDecoder
    HRESULT get_AvailableTVFormats(LONG* standards) override;
    // A standard the driver refuses while streaming (EBUSY) is set between a stop and a restart of the
    // picture source.
    HRESULT put_TVFormat(LONG standard) override;
    HRESULT get_TVFormat(LONG* standard) override;
    // Locked unless the current input reports no horizontal lock, no signal or no power.
    HRESULT get_HorizontalLocked(LONG* locked) override;
    HRESULT put_VCRHorizontalLocking(LONG vcrLocking) override;
    HRESULT get_VCRHorizontalLocking(LONG* vcrLocking) override;
    HRESULT get_NumberOfLines(LONG* lines) override;
    HRESULT put_OutputEnable(LONG enable) override;
    HRESULT get_OutputEnable(LONG* enable) override;

    // IAMVideoProcAmp on VIDIOC_QUERYCTRL / G_CTRL / S_CTRL.
    HRESULT GetRange(LONG property, LONG* minimum, LONG* maximum, LONG* step, LONG* defaultValue,
                     LONG* capsFlags) override;
    HRESULT Set(LONG property, LONG value, LONG flags) override;
    HRESULT Get(LONG property, LONG* value, LONG* flags) override;

    void* queryPinInterface(const GstPin& pin, const Guid& iid) override;

    // Whether the node's pictures are MJPEG decoded in the filter.
    bool decodesJpeg() const { return jpeg_; }
    // The size the node is asked to deliver for the pins' formats now (each pin scales from it).
    std::pair<LONG, LONG> sourceSize() const { return sourceSize_; }

    // Called from the bin for every error of an element inside it; true when it was the device going away
    // (the error is then replaced by EC_DEVICE_LOST).
    bool takeSourceError();

private:
    ~V4l2CaptureFilter() override;
    void* queryOtherInterface(const Guid& iid) override;

    // StreamFormats
    HRESULT currentFormat(const GstPin& pin, AM_MEDIA_TYPE** type) override;
    HRESULT changeFormat(const GstPin& pin, const AM_MEDIA_TYPE& type) override;
    int capabilityCount(const GstPin& pin) override;
    AM_MEDIA_TYPE* capability(const GstPin& pin, int index) override;

    void readSizes();
    void readFrameSizes(std::uint32_t pixelFormat);
    void applyFormats();
    bool isPreview(const GstPin& pin) const { return &pin == previewPin_; }

    std::shared_ptr<V4l2Device> device_;
    // Frame sizes the node offers: discrete sizes, or the bounds of a stepwise range.
    std::vector<std::pair<LONG, LONG>> discrete_;
    std::pair<LONG, LONG> minimum_{32, 24};
    std::pair<LONG, LONG> maximum_{768, 576};
    std::pair<LONG, LONG> sourceSize_{0, 0};
    // The node offers MJPEG and no raw layout: the source asks for JPEG and decodes it (jpegdec).
    bool jpeg_ = false;

    // The node's picture source, owned by the filter's bin.
    GstElement* source_ = nullptr;
    GstElement* sourceCaps_ = nullptr;
    GstElement* captureCaps_ = nullptr;
    GstElement* previewCaps_ = nullptr;
    std::unique_ptr<CaptureOutput> capture_;
    std::unique_ptr<CaptureOutput> preview_;
    GstPin* capturePin_ = nullptr;
    GstPin* previewPin_ = nullptr;
    std::unique_ptr<PinStreamConfig> captureConfig_;
    std::unique_ptr<PinStreamConfig> previewConfig_;
    VideoFormat captureFormat_;
    VideoFormat previewFormat_;
    std::atomic<bool> lostPosted_{false};

    // The node's own controls with the decoder's standard; each pin's format.
    std::unique_ptr<DeviceControlPages> pages_;
    std::unique_ptr<DeviceControlPages> capturePages_;
    std::unique_ptr<DeviceControlPages> previewPages_;

    RefPtr<V4l2TunerFilter> tuner_;
    RefPtr<V4l2TvAudioFilter> tvAudio_;
    RefPtr<V4l2CrossbarFilter> crossbar_;
    bool frontEndMade_ = false;
    LONG vcrLocking_ = 0;
    LONG outputEnable_ = 1;
};

// Binds the node's capture filter: E_FAIL when it is no capture node, the errno of a node that cannot be
// opened, HResultFromErrno(EBUSY) when another program streams from it.
HRESULT BindV4l2CaptureFilter(std::shared_ptr<V4l2System> system, const std::string& node, const Guid& iid,
                              void** object);
