// SPDX-License-Identifier: GPL-2.0-or-later
#include "gst_device_element.h"
#include "encoder_output_format.h"
#include "gst_encoder_provider.h"
#include "source_sound_formats.h"

#include <cwchar>

namespace {

constexpr guint kCaptureBuffers = 25; // a second of 40 ms buffers

// Raw audio or raw video pads carry what the engine's audio and video pins carry; anything else (an
// encoder's output) is a stream.
PinKind KindOf(GstPad* pad) {
    GstCaps* caps = gst_pad_get_pad_template_caps(pad);
    PinKind kind = PinKind::Stream;
    if (caps && !gst_caps_is_any(caps) && gst_caps_get_size(caps) > 0) {
        const char* media = gst_structure_get_name(gst_caps_get_structure(caps, 0));
        if (g_str_equal(media, "audio/x-raw")) {
            kind = PinKind::Audio;
        } else if (g_str_equal(media, "video/x-raw")) {
            kind = PinKind::Video;
        }
    }
    if (caps) {
        gst_caps_unref(caps);
    }
    return kind;
}

// Encoders that code the two fields of an interlaced frame as such. Every other one takes a woven frame as a
// progressive picture, the lines as they are; most of them refuse a stream marked interlaced outright
// (libav's MJPEG, WMV, MS-MPEG-4 and H.263+), and mpeg2enc in its MPEG-1 mode aborts the process on one.
bool CodesFields(GstElement* encoder) {
    const gchar* factory = gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(gst_element_get_factory(encoder)));
    for (const char* name : {"x264enc", "avenc_mpeg2video", "avenc_mpeg4", "avenc_dvvideo"}) {
        if (g_str_equal(factory, name)) {
            return true;
        }
    }
    return false;
}

// Marks a stream's frames progressive, leaving the rest of its caps (size, layout, field order) alone;
// null where the element is not installed.
GstElement* ProgressiveMark() {
    GstElement* mark = gst_element_factory_make("capssetter", nullptr);
    if (mark) {
        GstCaps* progressive = gst_caps_from_string("video/x-raw,interlace-mode=progressive");
        g_object_set(mark, "caps", progressive, nullptr);
        gst_caps_unref(progressive);
    }
    return mark;
}

// The converters an encoder needs in front of it to take whatever raw layout a capture pin delivers
// (avenc_mpeg4 and x264enc take only planar 4:2:0, most audio encoders only some sample formats and rates);
// returns the first one's sink pad, linked through to target. The progressive mark goes before the
// converter, so the converter negotiates the encoder's layout for the marked stream.
GstPad* ConverterInFront(GstBin* bin, GstPad* target, PinKind kind, GstElement* encoder) {
    std::vector<GstElement*> chain;
    if (kind == PinKind::Video) {
        if (GstElement* mark = CodesFields(encoder) ? nullptr : ProgressiveMark()) {
            chain.push_back(mark);
        }
        chain.push_back(gst_element_factory_make("videoconvert", nullptr));
    } else {
        chain = {gst_element_factory_make("audioconvert", nullptr),
                 gst_element_factory_make("audioresample", nullptr)};
    }
    GstElement* previous = nullptr;
    for (GstElement* element : chain) {
        gst_bin_add(bin, element);
        if (previous) {
            gst_element_link(previous, element);
        }
        previous = element;
    }
    GstPad* last = gst_element_get_static_pad(previous, "src");
    gst_pad_link(last, target);
    gst_object_unref(last);
    return gst_element_get_static_pad(chain.front(), "sink");
}

bool HasProperty(GstElement* element, const char* name) {
    return g_object_class_find_property(G_OBJECT_GET_CLASS(element), name) != nullptr;
}

} // namespace

// IAMVideoCompression of an encoder's output: its description and version from the element's factory, the
// key frame distance and quality through the element's own properties where it has them.
class DeviceFilter::Compression final : public IAMVideoCompression {
public:
    Compression(GstElement* encoder, GstPin& pin) : encoder_(encoder), pin_(pin) {}

    HRESULT QueryInterface(const Guid& iid, void** object) override {
        return pin_.QueryInterface(iid, object);
    }
    std::uint32_t AddRef() override { return pin_.AddRef(); }
    std::uint32_t Release() override { return pin_.Release(); }

    HRESULT GetInfo(wchar_t* version, int* versionLength, wchar_t* description, int* descriptionLength,
                    LONG* defaultKeyFrameRate, LONG* defaultPFramesPerKey, double* defaultQuality,
                    LONG* capabilities) override {
        GstElementFactory* factory = gst_element_get_factory(encoder_);
        const gchar* longName = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_LONGNAME);
        GstPlugin* plugin = gst_plugin_feature_get_plugin(GST_PLUGIN_FEATURE(factory));
        const std::string versionText = plugin ? gst_plugin_get_version(plugin) : "";
        if (plugin) {
            gst_object_unref(plugin);
        }
        copy(versionText, version, versionLength);
        // Named as the compressor list names it, each word once.
        copy(longName ? EncoderName(longName) : std::string(), description, descriptionLength);
        if (defaultKeyFrameRate) {
            *defaultKeyFrameRate = -1;
        }
        if (defaultPFramesPerKey) {
            *defaultPFramesPerKey = -1;
        }
        if (defaultQuality) {
            *defaultQuality = -1.0;
        }
        if (capabilities) {
            *capabilities = (HasProperty(encoder_, "quality") ? CompressionCaps_CanQuality : 0) |
                            (keyFrameProperty() ? CompressionCaps_CanKeyFrame : 0);
        }
        return S_OK;
    }
    HRESULT put_KeyFrameRate(LONG rate) override {
        const char* property = keyFrameProperty();
        if (!property) {
            return E_NOTIMPL;
        }
        if (rate < 0) {
            return S_OK; // the encoder's default
        }
        g_object_set(encoder_, property, static_cast<int>(rate), nullptr);
        return S_OK;
    }
    HRESULT get_KeyFrameRate(LONG* rate) override {
        if (!rate) {
            return E_POINTER;
        }
        const char* property = keyFrameProperty();
        if (!property) {
            return E_NOTIMPL;
        }
        int value = 0;
        g_object_get(encoder_, property, &value, nullptr);
        *rate = value;
        return S_OK;
    }
    // Quality 0.0 .. 1.0 over an element's "quality" property of 0 .. 100 (jpegenc).
    HRESULT put_Quality(double quality) override {
        if (!HasProperty(encoder_, "quality")) {
            return E_NOTIMPL;
        }
        if (quality < 0) {
            return S_OK;
        }
        g_object_set(encoder_, "quality", static_cast<int>(std::min(quality, 1.0) * 100), nullptr);
        return S_OK;
    }
    HRESULT get_Quality(double* quality) override {
        if (!quality) {
            return E_POINTER;
        }
        if (!HasProperty(encoder_, "quality")) {
            return E_NOTIMPL;
        }
        int value = 0;
        g_object_get(encoder_, "quality", &value, nullptr);
        *quality = value / 100.0;
        return S_OK;
    }

private:
    const char* keyFrameProperty() const {
        for (const char* name : {"key-int-max", "keyframe-max-dist", "gop-size"}) {
            GParamSpec* found = g_object_class_find_property(G_OBJECT_GET_CLASS(encoder_), name);
            if (found && (found->value_type == G_TYPE_INT || found->value_type == G_TYPE_UINT)) {
                return name;
            }
        }
        return nullptr;
    }
    static void copy(const std::string& text, wchar_t* buffer, int* length) {
        const std::wstring wide(text.begin(), text.end());
        if (buffer && length && *length > 0) {
            CopyName(wide, buffer, static_cast<std::size_t>(*length));
            *length =
                static_cast<int>(std::min<std::size_t>(wide.size() + 1, static_cast<std::size_t>(*length)));
        } else if (length) {
            *length = static_cast<int>(wide.size() + 1);
        }
    }

    GstElement* encoder_;
    GstPin& pin_;
};

DeviceFilter::DeviceFilter(GstElement* element, FilterRole role) : GstFilter(role), element_(element) {
    if (role == FilterRole::Encoder) {
        settings_ = std::make_unique<EncoderSettings>(element, *static_cast<IDeviceElement*>(this));
    }
    GstElement* bin = gst_bin_new(nullptr);
    gst_bin_add(GST_BIN(bin), element);
    setBin(bin);
    std::vector<GstPad*> pads;
    for (GList* item = element->pads; item; item = item->next) {
        pads.push_back(GST_PAD(gst_object_ref(item->data)));
    }
    for (GstPad* pad : pads) {
        const bool input = GST_PAD_DIRECTION(pad) == GST_PAD_SINK;
        const PinKind kind = KindOf(pad);
        const bool raw = kind == PinKind::Audio || kind == PinKind::Video;
        if (input) {
            GstPad* target = role == FilterRole::Encoder && raw
                                 ? ConverterInFront(GST_BIN(bin), pad, kind, element)
                                 : GST_PAD(gst_object_ref(pad));
            addPin(L"Input", PINDIR_INPUT, kind, target);
            gst_object_unref(target);
        } else if (role == FilterRole::Source && raw && !capture_) {
            if (kind == PinKind::Audio) {
                soundFormats_ = std::make_unique<SourceSoundFormats>(GST_BIN(bin), pad);
            }
            capture_ = std::make_unique<CaptureOutput>(
                GST_BIN(bin), pad, kCaptureBuffers,
                soundFormats_ ? std::vector{soundFormats_->capsFilter()} : std::vector<GstElement*>{});
            capturePin_ = &addPin(L"Capture", PINDIR_OUTPUT, kind, capture_->pad());
            capturePin_->setCategory(PIN_CATEGORY_CAPTURE);
            capture_->setPin(capturePin_);
            if (soundFormats_) {
                soundFormats_->setPin(*capturePin_);
            }
        } else {
            GstPin& pin =
                addPin(role == FilterRole::Source ? L"Capture" : L"Output", PINDIR_OUTPUT, kind, pad);
            const bool videoEncoder =
                role == FilterRole::Encoder &&
                gst_element_factory_list_is_type(gst_element_get_factory(element),
                                                 GST_ELEMENT_FACTORY_TYPE_VIDEO_ENCODER);
            if (videoEncoder && !compression_) {
                compression_ = std::make_unique<Compression>(element, pin);
                compressedPin_ = &pin;
            } else if (role == FilterRole::Encoder && !videoEncoder && !outputFormat_) {
                outputFormat_ = std::make_unique<EncoderOutputFormat>(element, pin);
                outputPin_ = &pin;
            }
        }
        gst_object_unref(pad);
    }
}

DeviceFilter::~DeviceFilter() {
    // The capture output's probes must not run once it is gone.
    gst_element_set_state(element(), GST_STATE_NULL);
}

void* DeviceFilter::queryOtherInterface(const Guid& iid) {
    if (iid == IDeviceElement::IID) {
        return static_cast<IDeviceElement*>(this);
    }
    return settings_ ? settings_->find(iid) : nullptr;
}

void* DeviceFilter::queryPinInterface(const GstPin& pin, const Guid& iid) {
    if (&pin == capturePin_) {
        if (iid == IAMStreamControl::IID) {
            return static_cast<IAMStreamControl*>(capture_.get());
        }
        if (iid == IAMDroppedFrames::IID) {
            return static_cast<IAMDroppedFrames*>(capture_.get());
        }
        if (iid == IAMStreamConfig::IID && soundFormats_) {
            return soundFormats_->config();
        }
    }
    if (&pin == outputPin_ && iid == IAMStreamConfig::IID) {
        return static_cast<IAMStreamConfig*>(outputFormat_.get());
    }
    if (&pin == compressedPin_ && iid == IAMVideoCompression::IID) {
        return static_cast<IAMVideoCompression*>(compression_.get());
    }
    return nullptr;
}

HRESULT BindDeviceElement(GstElement* element, FilterRole role, const Guid& iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (!element) {
        return E_FAIL;
    }
    RefPtr<DeviceFilter> filter = MakeCom<DeviceFilter>(element, role);
    return filter->QueryInterface(iid, object);
}
