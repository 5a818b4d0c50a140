// SPDX-License-Identifier: GPL-2.0-or-later
#include "v4l2_capture_filter.h"

#include "platform/devices/format_controls.h"
#include "platform/devices/interface_controls.h"
#include "platform/media/gst/engine_setup.h"
#include "v4l2_controls.h"
#include "v4l2_mapping.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace {

// A second of frames for the capture pin (the AVI multiplexer holds the picture back while it interleaves
// sound), two for the preview.
constexpr guint kCaptureFrames = 25;
constexpr guint kPreviewFrames = 2;

// The sizes offered where the node scales freely: those of the program's resolution lists.
constexpr std::pair<LONG, LONG> kScaledSizes[] = {{320, 240}, {352, 288}, {384, 288},
                                                  {704, 576}, {720, 576}, {768, 576}};
// 10 to 50 frames a second.
constexpr REFERENCE_TIME kShortestFrame = 200000;
constexpr REFERENCE_TIME kLongestFrame = 1000000;
constexpr v4l2_std_id k525LineStandards = V4L2_STD_525_60;

GstElement* Make(GstBin* bin, const char* factory) {
    GstElement* element = gst_element_factory_make(factory, nullptr);
    if (element) {
        gst_bin_add(bin, element);
    }
    return element;
}

GstCaps* BranchCaps(const VideoFormat& format) {
    GstCaps* caps = CapsOf(format);
    if (caps) {
        gst_structure_remove_field(gst_caps_get_structure(caps, 0), "framerate");
    }
    return caps;
}

std::int64_t Area(LONG width, LONG height) {
    return std::int64_t(width) * std::abs(height);
}

} // namespace

// The filter's bin: a GstBin that shows its filter every error of an element inside it before passing it on,
// so the filter can tell a vanished device from any other failure.
extern "C" {

struct CorvaneV4l2Bin {
    GstBin parent;
    std::atomic<V4l2CaptureFilter*>* filter;
};
struct CorvaneV4l2BinClass {
    GstBinClass parentClass;
};

G_DEFINE_TYPE(CorvaneV4l2Bin, corvane_v4l2_bin, GST_TYPE_BIN)

static void corvane_v4l2_bin_handle_message(GstBin* bin, GstMessage* message) {
    auto* self = reinterpret_cast<CorvaneV4l2Bin*>(bin);
    V4l2CaptureFilter* filter = self->filter ? self->filter->load() : nullptr;
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR && filter && filter->takeSourceError()) {
        gst_message_unref(message);
        return;
    }
    GST_BIN_CLASS(corvane_v4l2_bin_parent_class)->handle_message(bin, message);
}

static void corvane_v4l2_bin_class_init(CorvaneV4l2BinClass* klass) {
    GST_BIN_CLASS(klass)->handle_message = corvane_v4l2_bin_handle_message;
}

static void corvane_v4l2_bin_init(CorvaneV4l2Bin* self) {
    self->filter = nullptr;
}

} // extern "C"

V4l2CaptureFilter::V4l2CaptureFilter(std::shared_ptr<V4l2Device> device)
    : GstFilter(FilterRole::Source), device_(std::move(device)) {
    captureFormat_.compression = FourCC_YUY2;
    previewFormat_.compression = FourCC_YUY2;
    readSizes();

    auto* binElement = GST_ELEMENT(g_object_new(corvane_v4l2_bin_get_type(), nullptr));
    // The bin may outlive the filter in a pipeline that is being taken down: it sees the filter through a
    // link the filter clears when it goes.
    auto* link = new std::atomic<V4l2CaptureFilter*>(this);
    reinterpret_cast<CorvaneV4l2Bin*>(binElement)->filter = link;
    g_object_set_data_full(G_OBJECT(binElement), "corvane-filter-link", link,
                           [](gpointer data) { delete static_cast<std::atomic<V4l2CaptureFilter*>*>(data); });
    setBin(binElement);
    GstBin* bin = GST_BIN(binElement);

    GstElement* source = device_->system().makePictureSource(device_->node());
    if (source) {
        gst_bin_add(bin, source);
    }
    source_ = source;
    sourceCaps_ = Make(bin, "capsfilter");
    GstElement* tee = Make(bin, "tee");
    g_object_set(tee, "allow-not-linked", TRUE, nullptr);
    if (source) {
        GstElement* decoder = jpeg_ ? Make(bin, "jpegdec") : nullptr;
        if (decoder) {
            gst_element_link_many(source, sourceCaps_, decoder, tee, nullptr);
        } else {
            gst_element_link_many(source, sourceCaps_, tee, nullptr);
        }
    }

    auto branch = [&](GstElement*& caps, guint frames) {
        GstElement* scale = Make(bin, "videoscale");
        GstElement* convert = Make(bin, "videoconvert");
        caps = Make(bin, "capsfilter");
        GstPad* from = gst_element_request_pad_simple(tee, "src_%u");
        auto output = std::make_unique<CaptureOutput>(bin, from, frames,
                                                      std::vector<GstElement*>{scale, convert, caps});
        gst_object_unref(from);
        return output;
    };
    capture_ = branch(captureCaps_, kCaptureFrames);
    capturePin_ = &addPin(L"Capture", PINDIR_OUTPUT, PinKind::Video, capture_->pad());
    capturePin_->setCategory(PIN_CATEGORY_CAPTURE);
    capture_->setPin(capturePin_);
    captureConfig_ = std::make_unique<PinStreamConfig>(*this, *capturePin_);
    preview_ = branch(previewCaps_, kPreviewFrames);
    previewPin_ = &addPin(L"Preview", PINDIR_OUTPUT, PinKind::Video, preview_->pad());
    previewPin_->setCategory(PIN_CATEGORY_PREVIEW);
    preview_->setPin(previewPin_);
    previewConfig_ = std::make_unique<PinStreamConfig>(*this, *previewPin_);
    GstPin& analog = addPin(L"Analog Video In", PINDIR_INPUT, PinKind::Analog, nullptr);
    analog.setCategory(PIN_CATEGORY_ANALOGVIDEOIN);
    applyFormats();

    pages_ = std::make_unique<DeviceControlPages>(static_cast<IBaseFilter&>(*this), [this] {
        std::vector<DeviceControlEntry> entries = V4l2DeviceControls(device_);
        v4l2_std_id standard = 0;
        if (device_->ioctl(VIDIOC_G_STD, &standard) == 0) {
            for (DeviceControlEntry& entry : DecoderControls(nullptr, this)) {
                entries.push_back(std::move(entry));
            }
        }
        return entries;
    });
    capturePages_ = std::make_unique<DeviceControlPages>(
        static_cast<IPin&>(*capturePin_), [this] { return StreamFormatControls(*captureConfig_); });
    previewPages_ = std::make_unique<DeviceControlPages>(
        static_cast<IPin&>(*previewPin_), [this] { return StreamFormatControls(*previewConfig_); });
}

V4l2CaptureFilter::~V4l2CaptureFilter() {
    if (auto* link = static_cast<std::atomic<V4l2CaptureFilter*>*>(
            g_object_get_data(G_OBJECT(element()), "corvane-filter-link"))) {
        link->store(nullptr);
    }
    gst_element_set_state(element(), GST_STATE_NULL);
}

void* V4l2CaptureFilter::queryOtherInterface(const Guid& iid) {
    if (iid == ICaptureDevice::IID) {
        return static_cast<ICaptureDevice*>(this);
    }
    if (iid == IAMAnalogVideoDecoder::IID) {
        return static_cast<IAMAnalogVideoDecoder*>(this);
    }
    return iid == IAMVideoProcAmp::IID ? static_cast<IAMVideoProcAmp*>(this) : pages_->answer(iid);
}

void* V4l2CaptureFilter::queryPinInterface(const GstPin& pin, const Guid& iid) {
    CaptureOutput* output = &pin == capturePin_ ? capture_.get() : isPreview(pin) ? preview_.get() : nullptr;
    if (!output) {
        return nullptr;
    }
    if (iid == IAMStreamConfig::IID) {
        return static_cast<IAMStreamConfig*>(isPreview(pin) ? previewConfig_.get() : captureConfig_.get());
    }
    if (iid == IAMStreamControl::IID) {
        return static_cast<IAMStreamControl*>(output);
    }
    if (iid == IAMDroppedFrames::IID) {
        return static_cast<IAMDroppedFrames*>(output);
    }
    return (isPreview(pin) ? previewPages_ : capturePages_)->answer(iid);
}

bool V4l2CaptureFilter::takeSourceError() {
    // A node that has gone answers ENODEV to everything; any other error is the graph's to report.
    v4l2_capability capability{};
    if (!device_->lost() && device_->ioctl(VIDIOC_QUERYCAP, &capability) != -ENODEV) {
        return false;
    }
    if (!lostPosted_.exchange(true)) {
        PostDeviceLost(element(), static_cast<IBaseFilter*>(this));
    }
    return true;
}

// ---- Front end ----

std::vector<AnalogConnection> V4l2CaptureFilter::analogFrontEnd() {
    if (!frontEndMade_) {
        frontEndMade_ = true;
        if (const std::optional<v4l2_tuner> tuner = ReadTuner(*device_)) {
            tuner_ = MakeCom<V4l2TunerFilter>(device_, *tuner);
            tvAudio_ = MakeCom<V4l2TvAudioFilter>(device_, *tuner);
        }
        V4l2CrossbarLayout layout = ReadCrossbarLayout(*device_);
        if (!layout.inputs.empty()) {
            crossbar_ = MakeCom<V4l2CrossbarFilter>(device_, std::move(layout));
        }
    }
    std::vector<AnalogConnection> wires;
    if (!crossbar_) {
        return wires;
    }
    auto filter = [](auto& object) { return RefPtr<IBaseFilter>(static_cast<IBaseFilter*>(object.get())); };
    auto wide = [](const std::string& text) { return std::wstring(text.begin(), text.end()); };
    const std::wstring card = wide(device_->cardName());
    wires.push_back({filter(crossbar_), card + L" Crossbar", L"Video Decoder",
                     RefPtr<IBaseFilter>(static_cast<IBaseFilter*>(this)), L"Analog Video In"});
    if (!tuner_) {
        return wires;
    }
    // The tuner's picture and sound reach the crossbar's first tuner inputs, the sound through TV audio.
    auto firstOfType = [this](LONG type) -> const V4l2CrossbarPin* {
        for (const V4l2CrossbarPin& pin : crossbar_->layout().inputs) {
            if (pin.physicalType == type) {
                return &pin;
            }
        }
        return nullptr;
    };
    if (const V4l2CrossbarPin* video = firstOfType(PhysConn_Video_Tuner)) {
        wires.push_back(
            {filter(tuner_), card + L" Tuner", wide(kTunerVideoPin), filter(crossbar_), wide(video->name)});
    }
    wires.push_back(
        {filter(tuner_), card + L" Tuner", wide(kTunerAudioPin), filter(tvAudio_), wide(kTvAudioInPin)});
    if (const V4l2CrossbarPin* sound = firstOfType(PhysConn_Audio_Tuner)) {
        wires.push_back({filter(tvAudio_), card + L" TV Audio", wide(kTvAudioOutPin), filter(crossbar_),
                         wide(sound->name)});
    }
    return wires;
}

HRESULT V4l2CaptureFilter::canRender(const Guid&) {
    return device_->lost() ? HResultFromErrno(ENODEV) : S_OK;
}

// ---- Formats ----

void V4l2CaptureFilter::readFrameSizes(std::uint32_t pixelFormat) {
    for (std::uint32_t sizeIndex = 0; sizeIndex < kMaxEnumerated; ++sizeIndex) {
        v4l2_frmsizeenum size{};
        size.index = sizeIndex;
        size.pixel_format = pixelFormat;
        if (device_->ioctl(VIDIOC_ENUM_FRAMESIZES, &size) < 0) {
            break;
        }
        if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
            const std::pair<LONG, LONG> found{static_cast<LONG>(size.discrete.width),
                                              static_cast<LONG>(size.discrete.height)};
            if (std::find(discrete_.begin(), discrete_.end(), found) == discrete_.end()) {
                discrete_.push_back(found);
            }
            continue;
        }
        minimum_ = {static_cast<LONG>(size.stepwise.min_width), static_cast<LONG>(size.stepwise.min_height)};
        maximum_ = {static_cast<LONG>(size.stepwise.max_width), static_cast<LONG>(size.stepwise.max_height)};
        break;
    }
}

void V4l2CaptureFilter::readSizes() {
    // The pins carry raw pictures: the node's raw layouts give the sizes. A camera that offers only MJPEG
    // (common on USB) has its pictures decoded here instead, and its MJPEG sizes are offered as raw ones.
    std::vector<std::uint32_t> raw;
    std::vector<std::uint32_t> jpeg;
    for (std::uint32_t index = 0; index < kMaxEnumerated; ++index) {
        v4l2_fmtdesc description{};
        description.index = index;
        description.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (device_->ioctl(VIDIOC_ENUM_FMT, &description) < 0) {
            break;
        }
        if (!(description.flags & V4L2_FMT_FLAG_COMPRESSED)) {
            raw.push_back(description.pixelformat);
        } else if (description.pixelformat == V4L2_PIX_FMT_MJPEG ||
                   description.pixelformat == V4L2_PIX_FMT_JPEG) {
            jpeg.push_back(description.pixelformat);
        }
    }
    jpeg_ = raw.empty() && !jpeg.empty();
    if (jpeg_) {
        raw = jpeg;
    }
    for (const std::uint32_t pixelFormat : raw) {
        readFrameSizes(pixelFormat);
    }
    std::sort(discrete_.begin(), discrete_.end(),
              [](const auto& a, const auto& b) { return Area(a.first, a.second) < Area(b.first, b.second); });
    // The pins start at the node's own size where it has one.
    v4l2_format current{};
    current.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    LONG width = 352;
    LONG height = 288;
    if (device_->ioctl(VIDIOC_G_FMT, &current) >= 0 && current.fmt.pix.width > 0 &&
        current.fmt.pix.height > 0) {
        width = static_cast<LONG>(current.fmt.pix.width);
        height = static_cast<LONG>(current.fmt.pix.height);
    }
    captureFormat_.width = previewFormat_.width = width;
    captureFormat_.height = previewFormat_.height = height;
}

void V4l2CaptureFilter::applyFormats() {
    // The node delivers the larger of the two pins' sizes, or the nearest size it has; each pin scales.
    const VideoFormat& larger =
        Area(previewFormat_.width, previewFormat_.height) > Area(captureFormat_.width, captureFormat_.height)
            ? previewFormat_
            : captureFormat_;
    std::pair<LONG, LONG> size{larger.width, std::abs(larger.height)};
    if (!discrete_.empty()) {
        const auto fits = std::find_if(discrete_.begin(), discrete_.end(), [&](const auto& candidate) {
            return candidate.first >= size.first && candidate.second >= size.second;
        });
        size = fits != discrete_.end() ? *fits : discrete_.back();
    } else {
        size.first = std::clamp(size.first, minimum_.first, maximum_.first);
        size.second = std::clamp(size.second, minimum_.second, maximum_.second);
    }
    sourceSize_ = size;
    GstCaps* caps = gst_caps_new_simple(jpeg_ ? "image/jpeg" : "video/x-raw", "width", G_TYPE_INT,
                                        static_cast<int>(size.first), "height", G_TYPE_INT,
                                        static_cast<int>(size.second), nullptr);
    g_object_set(sourceCaps_, "caps", caps, nullptr);
    gst_caps_unref(caps);
    caps = BranchCaps(captureFormat_);
    g_object_set(captureCaps_, "caps", caps, nullptr);
    gst_caps_unref(caps);
    caps = BranchCaps(previewFormat_);
    g_object_set(previewCaps_, "caps", caps, nullptr);
    gst_caps_unref(caps);
}

HRESULT V4l2CaptureFilter::currentFormat(const GstPin& pin, AM_MEDIA_TYPE** type) {
    *type = NewMediaType(isPreview(pin) ? previewFormat_ : captureFormat_);
    return S_OK;
}

HRESULT V4l2CaptureFilter::changeFormat(const GstPin& pin, const AM_MEDIA_TYPE& type) {
    if (pin.peer() && GST_STATE(element()) == GST_STATE_PLAYING) {
        return VFW_E_WRONG_STATE;
    }
    std::optional<VideoFormat> format = VideoFormatOf(type);
    // Every pin scales from what the node delivers, so any even size up to the node's largest will do.
    const LONG maxWidth = discrete_.empty() ? maximum_.first : discrete_.back().first;
    const LONG maxHeight = discrete_.empty() ? maximum_.second : discrete_.back().second;
    if (!format || format->width < 32 || format->width > std::max<LONG>(maxWidth, 768) ||
        format->width % 2 != 0 || std::abs(format->height) < 24 ||
        std::abs(format->height) > std::max<LONG>(maxHeight, 576) ||
        format->avgTimePerFrame < kShortestFrame || format->avgTimePerFrame > kLongestFrame) {
        return VFW_E_INVALIDMEDIATYPE;
    }
    (isPreview(pin) ? previewFormat_ : captureFormat_) = *format;
    applyFormats();
    return S_OK;
}

int V4l2CaptureFilter::capabilityCount(const GstPin&) {
    return discrete_.empty() ? static_cast<int>(std::size(kScaledSizes)) : static_cast<int>(discrete_.size());
}

AM_MEDIA_TYPE* V4l2CaptureFilter::capability(const GstPin&, int index) {
    VideoFormat format;
    format.compression = FourCC_YUY2;
    const auto& size = discrete_.empty() ? kScaledSizes[index] : discrete_[static_cast<std::size_t>(index)];
    format.width = size.first;
    format.height = size.second;
    return NewMediaType(format);
}

// ---- Decoder ----

HRESULT V4l2CaptureFilter::get_AvailableTVFormats(LONG* standards) {
    if (!standards) {
        return E_POINTER;
    }
    *standards = ReceivableStandards(*device_);
    return S_OK;
}

HRESULT V4l2CaptureFilter::put_TVFormat(LONG standard) {
    v4l2_std_id id = V4l2StandardOf(standard);
    if (id == 0) {
        return E_INVALIDARG;
    }
    const HRESULT hr = ResultOf(device_->ioctl(VIDIOC_S_STD, &id));
    GstState state = GST_STATE_NULL;
    if (hr != HResultFromErrno(EBUSY) || !source_ ||
        gst_element_get_state(source_, &state, nullptr, 0) == GST_STATE_CHANGE_FAILURE ||
        state < GST_STATE_PAUSED) {
        return hr;
    }
    // Many drivers refuse a standard while they stream: the stream stops (READY is STREAMOFF), takes the
    // standard and starts again with the rest of the graph, instead of silently keeping the old standard.
    gst_element_set_state(source_, GST_STATE_READY);
    const HRESULT retried = ResultOf(device_->ioctl(VIDIOC_S_STD, &id));
    gst_element_sync_state_with_parent(source_);
    return retried;
}

HRESULT V4l2CaptureFilter::get_TVFormat(LONG* standard) {
    return CurrentStandard(*device_, standard);
}

HRESULT V4l2CaptureFilter::get_HorizontalLocked(LONG* locked) {
    if (!locked) {
        return E_POINTER;
    }
    // The status in VIDIOC_ENUMINPUT is that of the input chosen now, and only of that one.
    int current = 0;
    HRESULT hr = ResultOf(device_->ioctl(VIDIOC_G_INPUT, &current));
    if (FAILED(hr)) {
        return hr;
    }
    v4l2_input input{};
    input.index = static_cast<std::uint32_t>(current);
    hr = ResultOf(device_->ioctl(VIDIOC_ENUMINPUT, &input));
    if (FAILED(hr)) {
        return hr;
    }
    constexpr std::uint32_t kUnlocked = V4L2_IN_ST_NO_H_LOCK | V4L2_IN_ST_NO_SIGNAL | V4L2_IN_ST_NO_POWER;
    *locked = (input.status & kUnlocked) ? 0 : 1;
    return S_OK;
}

HRESULT V4l2CaptureFilter::put_VCRHorizontalLocking(LONG vcrLocking) {
    vcrLocking_ = vcrLocking ? 1 : 0;
    return device_->lost() ? HResultFromErrno(ENODEV) : S_OK;
}

HRESULT V4l2CaptureFilter::get_VCRHorizontalLocking(LONG* vcrLocking) {
    return Answer(vcrLocking, vcrLocking_);
}

HRESULT V4l2CaptureFilter::get_NumberOfLines(LONG* lines) {
    v4l2_std_id id = 0;
    device_->ioctl(VIDIOC_G_STD, &id);
    return Answer(lines, (id & k525LineStandards) && !(id & ~k525LineStandards) ? 525 : 625);
}

HRESULT V4l2CaptureFilter::put_OutputEnable(LONG enable) {
    outputEnable_ = enable ? 1 : 0;
    return S_OK;
}

HRESULT V4l2CaptureFilter::get_OutputEnable(LONG* enable) {
    return Answer(enable, outputEnable_);
}

// ---- Picture amplifier ----

HRESULT V4l2CaptureFilter::GetRange(LONG property, LONG* minimum, LONG* maximum, LONG* step,
                                    LONG* defaultValue, LONG* capsFlags) {
    if (!minimum || !maximum || !step || !defaultValue || !capsFlags) {
        return E_POINTER;
    }
    v4l2_queryctrl control{};
    control.id = ControlOf(property);
    if (control.id == 0 || device_->ioctl(VIDIOC_QUERYCTRL, &control) < 0 ||
        (control.flags & V4L2_CTRL_FLAG_DISABLED)) {
        return E_PROP_ID_UNSUPPORTED;
    }
    *minimum = control.minimum;
    *maximum = control.maximum;
    *step = std::max(control.step, 1);
    *defaultValue = control.default_value;
    *capsFlags = VideoProcAmp_Flags_Manual;
    return S_OK;
}

HRESULT V4l2CaptureFilter::Set(LONG property, LONG value, LONG) {
    v4l2_control control{};
    control.id = ControlOf(property);
    if (control.id == 0) {
        return E_PROP_ID_UNSUPPORTED;
    }
    control.value = value;
    return ResultOf(device_->ioctl(VIDIOC_S_CTRL, &control));
}

HRESULT V4l2CaptureFilter::Get(LONG property, LONG* value, LONG* flags) {
    if (!value || !flags) {
        return E_POINTER;
    }
    v4l2_control control{};
    control.id = ControlOf(property);
    if (control.id == 0) {
        return E_PROP_ID_UNSUPPORTED;
    }
    const HRESULT hr = ResultOf(device_->ioctl(VIDIOC_G_CTRL, &control));
    if (SUCCEEDED(hr)) {
        *value = control.value;
        *flags = VideoProcAmp_Flags_Manual;
    }
    return hr;
}

// ---- Binding ----

HRESULT BindV4l2CaptureFilter(std::shared_ptr<V4l2System> system, const std::string& node, const Guid& iid,
                              void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    EnsureGstInitialised();
    HRESULT hr = S_OK;
    std::shared_ptr<V4l2Device> device = V4l2Device::Open(std::move(system), node, &hr);
    if (!device) {
        return hr;
    }
    if (!(device->nodeCaps() & V4L2_CAP_VIDEO_CAPTURE)) {
        return E_FAIL;
    }
    // Releasing no buffers is refused with EBUSY while another program streams from the node: its buffer
    // queue belongs to that program's file.
    v4l2_requestbuffers none{};
    none.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    none.memory = V4L2_MEMORY_MMAP;
    if (device->ioctl(VIDIOC_REQBUFS, &none) == -EBUSY) {
        return HResultFromErrno(EBUSY);
    }
    RefPtr<V4l2CaptureFilter> filter = MakeCom<V4l2CaptureFilter>(std::move(device));
    return filter->QueryInterface(iid, object);
}
