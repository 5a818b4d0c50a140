#pragma once
// The virtual card's video capture filter: a live picture at 25 frames a second on its capture and preview
// pins, drawn by GStreamer's test sources from what the card receives and where its crossbars are switched,
// with the card's decoder and picture amplifier on it and its front end (crossbars, tuner, TV audio) behind
// its analog video input. It and its two pins publish settings pages generated from their interfaces, and it
// has the driver's "Video Format" and "Video Source" dialogs.

#include "device_loss.h"
#include "front_end_filters.h"
#include "pin_stream_config.h"
#include "platform/devices/device_control_pages.h"
#include "platform/media/gst/capture_device.h"
#include "platform/media/gst/capture_output.h"
#include "platform/media/gst/video_format.h"

#include <memory>

class VirtualCaptureFilter final : public GstFilter,
                                   public ICaptureDevice,
                                   public IAMAnalogVideoDecoder,
                                   public IAMVideoProcAmp,
                                   public IAMVfwCaptureDialogs,
                                   public StreamFormats {
public:
    explicit VirtualCaptureFilter(std::shared_ptr<VirtualCard> card);

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
    HRESULT put_TVFormat(LONG standard) override;
    HRESULT get_TVFormat(LONG* standard) override;
    HRESULT get_HorizontalLocked(LONG* locked) override;
    HRESULT put_VCRHorizontalLocking(LONG vcrLocking) override;
    HRESULT get_VCRHorizontalLocking(LONG* vcrLocking) override;
    HRESULT get_NumberOfLines(LONG* lines) override;
    HRESULT put_OutputEnable(LONG enable) override;
    HRESULT get_OutputEnable(LONG* enable) override;

    // IAMVideoProcAmp
    HRESULT GetRange(LONG property, LONG* minimum, LONG* maximum, LONG* step, LONG* defaultValue,
                     LONG* capsFlags) override;
    HRESULT Set(LONG property, LONG value, LONG flags) override;
    HRESULT Get(LONG property, LONG* value, LONG* flags) override;

    // IAMVfwCaptureDialogs: Format (the capture pin's format, which the preview pin follows) and Source (the
    // input and the video standard); no Display dialog.
    HRESULT HasDialog(int dialog) override;
    HRESULT ShowDialog(int dialog, OAHWND owner) override;

    HRESULT joinGraph() override;
    void* queryPinInterface(const GstPin& pin, const Guid& iid) override;

    // What the picture shows now (for tests and the screenshot).
    const PictureState& shownPicture() const { return shown_; }

private:
    ~VirtualCaptureFilter() override;
    void* queryOtherInterface(const Guid& iid) override;

    // StreamFormats
    HRESULT currentFormat(const GstPin& pin, AM_MEDIA_TYPE** type) override;
    HRESULT changeFormat(const GstPin& pin, const AM_MEDIA_TYPE& type) override;
    int capabilityCount(const GstPin& pin) override;
    AM_MEDIA_TYPE* capability(const GstPin& pin, int index) override;

    void showPicture();
    void applyFormats();
    void makePages();
    bool isPreview(const GstPin& pin) const { return &pin == previewPin_; }

    std::shared_ptr<VirtualCard> card_;
    int subscription_ = 0;
    GstElement* source_ = nullptr;
    GstElement* sourceCaps_ = nullptr;
    GstElement* fields_ = nullptr;
    GstElement* overlay_ = nullptr;
    GstElement* balance_ = nullptr;
    GstElement* captureCaps_ = nullptr;
    GstElement* previewCaps_ = nullptr;
    std::unique_ptr<CaptureOutput> capture_;
    std::unique_ptr<CaptureOutput> preview_;
    GstPin* capturePin_ = nullptr;
    GstPin* previewPin_ = nullptr;
    std::unique_ptr<PinStreamConfig> captureConfig_;
    std::unique_ptr<PinStreamConfig> previewConfig_;
    std::unique_ptr<DeviceLoss> loss_;
    VideoFormat captureFormat_;
    VideoFormat previewFormat_;
    PictureState shown_;
    bool shownOnce_ = false;
    int shownPattern_ = 0;

    RefPtr<VirtualTunerFilter> tuner_;
    RefPtr<VirtualTvAudioFilter> tvAudio_;
    std::vector<RefPtr<VirtualCrossbarFilter>> crossbars_;
    LONG vcrLocking_ = 0;
    LONG outputEnable_ = 1;

    std::unique_ptr<DeviceControlPages> pages_;
    std::unique_ptr<DeviceControlPages> capturePages_;
    std::unique_ptr<DeviceControlPages> previewPages_;
    std::unique_ptr<DeviceControlPages> sourcePages_;
};

extern const wchar_t* const kAnalogVideoInPin;
