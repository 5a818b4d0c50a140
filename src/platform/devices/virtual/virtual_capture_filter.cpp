#include "virtual_capture_filter.h"

#include "card_sources.h"
#include "field_sampler.h"
#include "platform/devices/format_controls.h"
#include "platform/devices/interface_controls.h"
#include "platform/media/gst/device_controls_dialog.h"

#include <cstdlib>
#include <cstring>

const wchar_t* const kAnalogVideoInPin = L"Analog Video In";

namespace {

constexpr LONG kStandards = 0x1FFFF7;
// Standards with 525 lines: NTSC and PAL M.
constexpr LONG k525LineStandards = 0x1 | 0x2 | 0x4 | 0x200;

// A second of frames: the AVI multiplexer holds the picture back while it interleaves about half a second of
// sound ahead of it, and a frame must not be dropped meanwhile.
constexpr guint kCaptureFrames = 25;
constexpr guint kPreviewFrames = 2;

// videotestsrc patterns.
constexpr int kPatternSmpte = 0;
constexpr int kPatternSnow = 1;
constexpr int kPatternSmpte75 = 13;
// Pixels per picture drawn (a field when interlaced) the channel's pattern moves: the moving element of a
// received picture, and what shows combs in an interlaced frame.
constexpr int kPatternSpeed = 4;

// The sizes offered as capabilities: those of the program's resolution lists.
constexpr std::pair<LONG, LONG> kSizes[] = {{320, 240}, {352, 288}, {384, 288},
                                            {704, 576}, {720, 576}, {768, 576}};
constexpr LONG kMaxWidth = 768;
constexpr LONG kMaxHeight = 576;
constexpr LONG kMinWidth = 32;
constexpr LONG kMinHeight = 24;
// 10 to 50 frames a second.
constexpr REFERENCE_TIME kShortestFrame = 200000;
constexpr REFERENCE_TIME kLongestFrame = 1000000;

GstElement* Make(GstBin* bin, const char* factory) {
    GstElement* element = gst_element_factory_make(factory, nullptr);
    if (element) {
        gst_bin_add(bin, element);
    }
    return element;
}

// Caps of a branch: its own size and layout, at the source's frame rate.
GstCaps* BranchCaps(const VideoFormat& format) {
    GstCaps* caps = CapsOf(format);
    if (caps) {
        gst_structure_remove_field(gst_caps_get_structure(caps, 0), "framerate");
    }
    return caps;
}

} // namespace

VirtualCaptureFilter::VirtualCaptureFilter(std::shared_ptr<VirtualCard> card)
    : GstFilter(FilterRole::Source), card_(std::move(card)) {
    captureFormat_.compression = FourCC_YUY2;
    previewFormat_.compression = FourCC_YUY2;
    GstElement* binElement = gst_bin_new(nullptr);
    setBin(binElement);
    GstBin* bin = GST_BIN(binElement);

    // The picture comes from the card's own source element, as a real card's from v4l2src.
    RegisterCardSources();
    GstElement* picture = Make(bin, kCardPictureElement);
    auto part = [picture](const char* name) {
        GstElement* element = CardSourcePart(picture, name);
        if (element) {
            gst_object_unref(element); // the source holds its parts for as long as it lives
        }
        return element;
    };
    source_ = part("source");
    sourceCaps_ = part("caps");
    fields_ = part("fields");
    overlay_ = part("overlay");
    balance_ = part("balance");
    GstElement* tee = Make(bin, "tee");
    g_object_set(tee, "allow-not-linked", TRUE, nullptr);
    gst_element_link(picture, tee);
    if (overlay_) {
        g_object_set(overlay_, "font-desc", "Sans Bold 24", "valignment", 2, "halignment", 1,
                     "shaded-background", TRUE, nullptr);
    }

    auto branch = [&](GstElement*& caps, guint frames) {
        GstElement* scale = Make(bin, "videoscale");
        GstElement* convert = Make(bin, "videoconvert");
        caps = Make(bin, "capsfilter");
        GstPad* from = gst_element_request_pad_simple(tee, "src_%u");
        auto output = std::make_unique<CaptureOutput>(bin, from, frames,
                                                      std::vector<GstElement*>{scale, convert, caps});
        gst_object_unref(from);
        output->setStreamControlled(!card_->faults().noStreamControl);
        return output;
    };
    capture_ = branch(captureCaps_, kCaptureFrames);
    capturePin_ = &addPin(L"Capture", PINDIR_OUTPUT, PinKind::Video, capture_->pad());
    capturePin_->setCategory(PIN_CATEGORY_CAPTURE);
    capture_->setPin(capturePin_);
    captureConfig_ = std::make_unique<PinStreamConfig>(*this, *capturePin_);
    if (!card_->faults().noPreviewPin) {
        preview_ = branch(previewCaps_, kPreviewFrames);
        previewPin_ = &addPin(L"Preview", PINDIR_OUTPUT, PinKind::Video, preview_->pad());
        previewPin_->setCategory(PIN_CATEGORY_PREVIEW);
        preview_->setPin(previewPin_);
        previewConfig_ = std::make_unique<PinStreamConfig>(*this, *previewPin_);
    }
    GstPin& analog = addPin(kAnalogVideoInPin, PINDIR_INPUT, PinKind::Analog, nullptr);
    analog.setCategory(PIN_CATEGORY_ANALOGVIDEOIN);

    GstPad* frames = gst_element_get_static_pad(source_, "src");
    loss_ = std::make_unique<DeviceLoss>(frames, *this, card_->faults().loseDeviceAfterMs);
    gst_object_unref(frames);

    applyFormats();
    showPicture();
    subscription_ = card_->subscribe([this] { showPicture(); });
    makePages();
}

void VirtualCaptureFilter::makePages() {
    IUnknown& filter = static_cast<IBaseFilter&>(*this);
    pages_ = std::make_unique<DeviceControlPages>(filter, [this] { return DecoderControls(this, this); });
    capturePages_ = std::make_unique<DeviceControlPages>(
        static_cast<IPin&>(*capturePin_), [this] { return StreamFormatControls(*captureConfig_); });
    if (previewPin_) {
        previewPages_ = std::make_unique<DeviceControlPages>(
            static_cast<IPin&>(*previewPin_), [this] { return StreamFormatControls(*previewConfig_); });
    }
    sourcePages_ = std::make_unique<DeviceControlPages>(filter, [this] {
        analogFrontEnd(); // the crossbars exist from the first look at the front end on
        std::vector<DeviceControlEntry> entries = CrossbarControls(*crossbars_.front(), *crossbars_.front());
        for (DeviceControlEntry& entry : DecoderControls(nullptr, this)) {
            entries.push_back(std::move(entry));
        }
        return entries;
    });
}

VirtualCaptureFilter::~VirtualCaptureFilter() {
    card_->unsubscribe(subscription_);
    // Nothing may stream through the outputs' probes once they are gone.
    gst_element_set_state(element(), GST_STATE_NULL);
}

void* VirtualCaptureFilter::queryOtherInterface(const Guid& iid) {
    if (iid == ICaptureDevice::IID) {
        return static_cast<ICaptureDevice*>(this);
    }
    if (iid == IAMAnalogVideoDecoder::IID) {
        return static_cast<IAMAnalogVideoDecoder*>(this);
    }
    if (iid == IAMVfwCaptureDialogs::IID) {
        return static_cast<IAMVfwCaptureDialogs*>(this);
    }
    return iid == IAMVideoProcAmp::IID ? static_cast<IAMVideoProcAmp*>(this) : pages_->answer(iid);
}

void* VirtualCaptureFilter::queryPinInterface(const GstPin& pin, const Guid& iid) {
    CaptureOutput* output = &pin == capturePin_ ? capture_.get() : isPreview(pin) ? preview_.get() : nullptr;
    if (!output) {
        return nullptr;
    }
    if (iid == IAMStreamConfig::IID) {
        return static_cast<IAMStreamConfig*>(isPreview(pin) ? previewConfig_.get() : captureConfig_.get());
    }
    if (iid == IAMStreamControl::IID && output->streamControlled()) {
        return static_cast<IAMStreamControl*>(output);
    }
    if (iid == IAMDroppedFrames::IID) {
        return static_cast<IAMDroppedFrames*>(output);
    }
    return (isPreview(pin) ? previewPages_ : capturePages_)->answer(iid);
}

HRESULT VirtualCaptureFilter::joinGraph() {
    return card_->faults().addFilter ? E_FAIL : S_OK;
}

// ---- Front end ----

std::vector<AnalogConnection> VirtualCaptureFilter::analogFrontEnd() {
    if (!tuner_) {
        tuner_ = MakeCom<VirtualTunerFilter>(card_);
        tvAudio_ = MakeCom<VirtualTvAudioFilter>(card_);
        for (int i = 0; i < card_->crossbarCount(); ++i) {
            crossbars_.push_back(MakeCom<VirtualCrossbarFilter>(card_, i));
        }
    }
    auto filter = [](auto& object) { return RefPtr<IBaseFilter>(static_cast<IBaseFilter*>(object.get())); };
    std::vector<AnalogConnection> wires;
    wires.push_back({filter(crossbars_[0]), L"Corvane Virtual TV Card Crossbar", L"Video Decoder",
                     RefPtr<IBaseFilter>(static_cast<IBaseFilter*>(this)), kAnalogVideoInPin});
    RefPtr<IBaseFilter> outer = filter(crossbars_.back());
    if (crossbars_.size() == 2) {
        // The outer crossbar's outputs feed the tuner inputs of the one at the decoder.
        wires.push_back({outer, L"Corvane Virtual TV Card Crossbar 2", L"Video Decoder",
                         filter(crossbars_[0]), L"Video Tuner"});
        wires.push_back({outer, L"Corvane Virtual TV Card Crossbar 2", L"Audio Decoder",
                         filter(crossbars_[0]), L"Audio Tuner"});
    }
    const std::wstring tunerPinVideo(kTunerVideoPin, kTunerVideoPin + std::strlen(kTunerVideoPin));
    const std::wstring tunerPinAudio(kTunerAudioPin, kTunerAudioPin + std::strlen(kTunerAudioPin));
    const std::wstring tvAudioIn(kTvAudioInPin, kTvAudioInPin + std::strlen(kTvAudioInPin));
    const std::wstring tvAudioOut(kTvAudioOutPin, kTvAudioOutPin + std::strlen(kTvAudioOutPin));
    wires.push_back({filter(tuner_), L"Corvane Virtual TV Card Tuner", tunerPinVideo, outer, L"Video Tuner"});
    wires.push_back(
        {filter(tuner_), L"Corvane Virtual TV Card Tuner", tunerPinAudio, filter(tvAudio_), tvAudioIn});
    wires.push_back(
        {filter(tvAudio_), L"Corvane Virtual TV Card TV Audio", tvAudioOut, outer, L"Audio Tuner"});
    return wires;
}

HRESULT VirtualCaptureFilter::canRender(const Guid& category) {
    return category == PIN_CATEGORY_PREVIEW && card_->faults().renderPreview ? E_FAIL : S_OK;
}

// ---- Picture ----

void VirtualCaptureFilter::showPicture() {
    const PictureState picture = card_->picture();
    if (shownOnce_ && picture == shown_) {
        return;
    }
    const bool received =
        picture.kind == PictureState::Kind::Channel || picture.kind == PictureState::Kind::FaintChannel;
    const int pattern = picture.kind == PictureState::Kind::Noise        ? kPatternSnow
                        : picture.kind == PictureState::Kind::ColourBars ? kPatternSmpte75
                                                                         : kPatternSmpte;
    if (!shownOnce_ || pattern != shownPattern_) {
        g_object_set(source_, "pattern", pattern, nullptr);
        shownPattern_ = pattern;
    }
    g_object_set(source_, "horizontal-speed", received ? kPatternSpeed : 0, nullptr);
    if (overlay_) {
        g_object_set(overlay_, "text", picture.label.c_str(), "silent", picture.label.empty(), nullptr);
    }
    g_object_set(balance_, "brightness", picture.brightness, "contrast", picture.contrast, "hue", picture.hue,
                 "saturation", picture.saturation, nullptr);
    shown_ = picture;
    shownOnce_ = true;
}

// ---- Formats ----

void VirtualCaptureFilter::applyFormats() {
    // The source draws at the larger of the two sizes, in the capture pin's layout and rate; each pin scales.
    VideoFormat drawn = captureFormat_;
    const auto area = [](const VideoFormat& f) { return std::int64_t(f.width) * std::abs(f.height); };
    if (preview_ && area(previewFormat_) > area(captureFormat_)) {
        drawn.width = previewFormat_.width;
        drawn.height = previewFormat_.height;
    }
    const FieldSampling sampling = FieldSamplingOf(drawn, (card_->videoStandard() & k525LineStandards) != 0);
    SetFieldSampling(fields_, drawn, sampling);
    GstCaps* caps = PatternCapsOf(drawn, sampling);
    g_object_set(sourceCaps_, "caps", caps, nullptr);
    gst_caps_unref(caps);
    caps = BranchCaps(captureFormat_);
    g_object_set(captureCaps_, "caps", caps, nullptr);
    gst_caps_unref(caps);
    if (preview_) {
        caps = BranchCaps(previewFormat_);
        g_object_set(previewCaps_, "caps", caps, nullptr);
        gst_caps_unref(caps);
    }
}

HRESULT VirtualCaptureFilter::currentFormat(const GstPin& pin, AM_MEDIA_TYPE** type) {
    if (card_->faults().getFormat) {
        return E_FAIL;
    }
    *type = NewMediaType(isPreview(pin) ? previewFormat_ : captureFormat_);
    return S_OK;
}

HRESULT VirtualCaptureFilter::changeFormat(const GstPin& pin, const AM_MEDIA_TYPE& type) {
    if (card_->faults().setFormat) {
        return E_FAIL;
    }
    if (pin.peer() && GST_STATE(element()) == GST_STATE_PLAYING) {
        return VFW_E_WRONG_STATE;
    }
    std::optional<VideoFormat> format = VideoFormatOf(type);
    if (!format || format->width < kMinWidth || format->width > kMaxWidth || format->width % 2 != 0 ||
        std::abs(format->height) < kMinHeight || std::abs(format->height) > kMaxHeight ||
        format->avgTimePerFrame < kShortestFrame || format->avgTimePerFrame > kLongestFrame) {
        return VFW_E_INVALIDMEDIATYPE;
    }
    (isPreview(pin) ? previewFormat_ : captureFormat_) = *format;
    applyFormats();
    return S_OK;
}

int VirtualCaptureFilter::capabilityCount(const GstPin&) {
    return static_cast<int>(std::size(kSizes));
}

AM_MEDIA_TYPE* VirtualCaptureFilter::capability(const GstPin&, int index) {
    VideoFormat format;
    format.compression = FourCC_YUY2;
    format.width = kSizes[index].first;
    format.height = kSizes[index].second;
    return NewMediaType(format);
}

// ---- Driver dialogs ----

HRESULT VirtualCaptureFilter::HasDialog(int dialog) {
    return dialog == VfwCaptureDialog_Format || dialog == VfwCaptureDialog_Source ? S_OK : S_FALSE;
}

HRESULT VirtualCaptureFilter::ShowDialog(int dialog, OAHWND owner) {
    if (dialog == VfwCaptureDialog_Source) {
        DeviceControlsDialog(*sourcePages_, QStringLiteral("Video Source"), owner).exec();
        return S_OK;
    }
    if (dialog != VfwCaptureDialog_Format) {
        return E_INVALIDARG;
    }
    const VideoFormat before = captureFormat_;
    DeviceControlsDialog(*capturePages_, QStringLiteral("Video Format"), owner).exec();
    if (captureFormat_ == before) {
        return S_OK;
    }
    // One format for the device, as a video-for-Windows driver has: the preview shows what is captured. A
    // preview still streaming keeps its format until it is built again.
    const bool previewStreams =
        previewPin_ && previewPin_->peer() && GST_STATE(element()) == GST_STATE_PLAYING;
    if (preview_ && !previewStreams) {
        previewFormat_.width = captureFormat_.width;
        previewFormat_.height = captureFormat_.height;
        previewFormat_.avgTimePerFrame = captureFormat_.avgTimePerFrame;
        applyFormats();
    }
    const bool connected = capturePin_->peer() || (previewPin_ && previewPin_->peer());
    return connected ? VFW_E_CANNOT_CONNECT : S_OK;
}

// ---- Decoder ----

HRESULT VirtualCaptureFilter::get_AvailableTVFormats(LONG* standards) {
    return Answer(standards, kStandards);
}

HRESULT VirtualCaptureFilter::put_TVFormat(LONG standard) {
    return card_->setVideoStandard(standard) ? S_OK : E_INVALIDARG;
}

HRESULT VirtualCaptureFilter::get_TVFormat(LONG* standard) {
    return Answer(standard, card_->videoStandard());
}

HRESULT VirtualCaptureFilter::get_HorizontalLocked(LONG* locked) {
    return Answer(locked, card_->horizontalLocked() ? 1 : 0);
}

HRESULT VirtualCaptureFilter::put_VCRHorizontalLocking(LONG vcrLocking) {
    vcrLocking_ = vcrLocking ? 1 : 0;
    return S_OK;
}

HRESULT VirtualCaptureFilter::get_VCRHorizontalLocking(LONG* vcrLocking) {
    return Answer(vcrLocking, vcrLocking_);
}

HRESULT VirtualCaptureFilter::get_NumberOfLines(LONG* lines) {
    return Answer(lines, (card_->videoStandard() & k525LineStandards) ? 525 : 625);
}

HRESULT VirtualCaptureFilter::put_OutputEnable(LONG enable) {
    outputEnable_ = enable ? 1 : 0;
    return S_OK;
}

HRESULT VirtualCaptureFilter::get_OutputEnable(LONG* enable) {
    return Answer(enable, outputEnable_);
}

// ---- Picture amplifier ----

HRESULT VirtualCaptureFilter::GetRange(LONG property, LONG* minimum, LONG* maximum, LONG* step,
                                       LONG* defaultValue, LONG* capsFlags) {
    if (!minimum || !maximum || !step || !defaultValue || !capsFlags) {
        return E_POINTER;
    }
    if (property < VideoProcAmp_Brightness || property > VideoProcAmp_Saturation) {
        return E_PROP_ID_UNSUPPORTED;
    }
    const PictureRange& range = card_->definition().picture[property];
    *minimum = range.minimum;
    *maximum = range.maximum;
    *step = range.step;
    *defaultValue = range.defaultValue;
    *capsFlags = VideoProcAmp_Flags_Manual;
    return S_OK;
}

HRESULT VirtualCaptureFilter::Set(LONG property, LONG value, LONG) {
    if (property < VideoProcAmp_Brightness || property > VideoProcAmp_Saturation) {
        return E_PROP_ID_UNSUPPORTED;
    }
    return card_->setPictureValue(property, value) ? S_OK : E_INVALIDARG;
}

HRESULT VirtualCaptureFilter::Get(LONG property, LONG* value, LONG* flags) {
    if (!value || !flags) {
        return E_POINTER;
    }
    if (property < VideoProcAmp_Brightness || property > VideoProcAmp_Saturation) {
        return E_PROP_ID_UNSUPPORTED;
    }
    *value = card_->pictureValue(property);
    *flags = VideoProcAmp_Flags_Manual;
    return S_OK;
}
