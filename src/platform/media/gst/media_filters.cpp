#include "media_filters.h"

#include "engine_setup.h"
#include "picture_deinterlacer.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include <QImage>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <unistd.h>

#include <sys/stat.h>

const wchar_t* const AudioRendererName = L"Default DirectSound Device";
const wchar_t* const AudioRendererPinName = L"Audio Input pin (rendered)";

namespace {

GstElement* MakeElement(const char* factory) {
    GstElement* element = gst_element_factory_make(factory, nullptr);
    if (!element) {
        g_warning("media engine: element %s is not installed", factory);
    }
    return element;
}

// Puts the elements in a new bin and links them in order; the first and last stay free for the pins.
GstElement* MakeChain(std::initializer_list<GstElement*> elements) {
    GstElement* bin = gst_bin_new(nullptr);
    GstElement* previous = nullptr;
    for (GstElement* element : elements) {
        gst_bin_add(GST_BIN(bin), element);
        if (previous) {
            gst_element_link(previous, element);
        }
        previous = element;
    }
    return bin;
}

GstPad* StaticPad(GstElement* element, const char* name) {
    return gst_element_get_static_pad(element, name);
}

PinKind KindOfCaps(GstCaps* caps) {
    if (!caps || gst_caps_is_empty(caps) || gst_caps_is_any(caps)) {
        return PinKind::Stream;
    }
    const char* name = gst_structure_get_name(gst_caps_get_structure(caps, 0));
    if (g_str_has_prefix(name, "audio/x-raw")) {
        return PinKind::Audio;
    }
    if (g_str_has_prefix(name, "video/x-raw")) {
        return PinKind::Video;
    }
    return PinKind::Stream;
}

} // namespace

FileSourceFilter::FileSourceFilter() : GstFilter(FilterRole::Source) {}

RefPtr<FileSourceFilter> FileSourceFilter::create(const std::string& localPath, HRESULT* result) {
    struct stat info {};
    if (stat(localPath.c_str(), &info) != 0) {
        *result = HResultFromErrno(errno);
        return {};
    }
    if (S_ISDIR(info.st_mode)) {
        *result = HResultFromErrno(EISDIR);
        return {};
    }
    // A pipe or a device may never deliver data or an end; reading one could hold the graph for ever.
    if (!S_ISREG(info.st_mode)) {
        *result = VFW_E_UNKNOWN_FILE_TYPE;
        return {};
    }
    if (access(localPath.c_str(), R_OK) != 0) {
        *result = HResultFromErrno(errno);
        return {};
    }
    GstElement* source = MakeElement("filesrc");
    if (!source) {
        *result = E_FAIL;
        return {};
    }
    g_object_set(source, "location", localPath.c_str(), nullptr);
    RefPtr<FileSourceFilter> filter(new FileSourceFilter);
    filter->setBin(MakeChain({source}));
    GstPad* pad = StaticPad(source, "src");
    filter->addPin(L"Output", PINDIR_OUTPUT, PinKind::Stream, pad);
    gst_object_unref(pad);
    *result = S_OK;
    return filter;
}

DecoderFilter::DecoderFilter() : GstFilter(FilterRole::Decoder) {
    decodebin_ = MakeElement("decodebin");
    setBin(MakeChain({decodebin_}));
    GstPad* sink = StaticPad(decodebin_, "sink");
    addPin(L"Input", PINDIR_INPUT, PinKind::Stream, sink);
    gst_object_unref(sink);
    g_signal_connect(decodebin_, "pad-added", G_CALLBACK(&DecoderFilter::onPadAdded), this);
    g_signal_connect(decodebin_, "no-more-pads", G_CALLBACK(&DecoderFilter::onNoMorePads), this);
}

DecoderFilter::~DecoderFilter() {
    // The streaming threads end with the bin; no signal may reach a filter being destroyed.
    gst_element_set_state(element(), GST_STATE_NULL);
    g_signal_handlers_disconnect_by_data(decodebin_, this);
    releaseStreams();
}

void DecoderFilter::onPadAdded(GstElement*, GstPad* pad, gpointer self) {
    auto* filter = static_cast<DecoderFilter*>(self);
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (!caps) {
        caps = gst_pad_query_caps(pad, nullptr);
    }
    const PinKind kind = KindOfCaps(caps);
    if (caps) {
        gst_caps_unref(caps);
    }
    std::lock_guard lock(filter->mutex_);
    // Subtitles and the like have no renderer; streams appearing after discovery have no pin to go to.
    if (kind == PinKind::Stream || filter->complete_) {
        return;
    }
    // Hold the stream back until the graph has linked a renderer to it.
    filter->found_.push_back({GST_PAD(gst_object_ref(pad)), HoldDataAt(pad), kind});
}

void DecoderFilter::onNoMorePads(GstElement*, gpointer self) {
    auto* filter = static_cast<DecoderFilter*>(self);
    {
        std::lock_guard lock(filter->mutex_);
        filter->complete_ = true;
    }
    filter->changed_.notify_all();
}

void DecoderFilter::abortDiscovery() {
    {
        std::lock_guard lock(mutex_);
        aborted_ = true;
    }
    changed_.notify_all();
}

DecoderFilter::Discovery DecoderFilter::awaitStreams(int timeoutMs) {
    std::vector<FoundStream> found;
    {
        std::unique_lock lock(mutex_);
        const bool settled = changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                               [this] { return complete_ || aborted_; });
        if (!settled) {
            return Discovery::TimedOut;
        }
        if (aborted_ || found_.empty()) {
            return Discovery::Failed;
        }
        found = found_;
    }
    int audio = 0;
    int video = 0;
    for (const FoundStream& stream : found) {
        int& count = stream.kind == PinKind::Audio ? audio : video;
        std::wstring name = stream.kind == PinKind::Audio ? L"Audio" : L"Video";
        if (++count > 1) {
            name += L" " + std::to_wstring(count);
        }
        addPin(std::move(name), PINDIR_OUTPUT, stream.kind, stream.pad);
    }
    return Discovery::Streams;
}

void DecoderFilter::releaseStreams() {
    std::vector<FoundStream> found;
    {
        std::lock_guard lock(mutex_);
        found.swap(found_);
    }
    for (const FoundStream& stream : found) {
        gst_pad_remove_probe(stream.pad, stream.probe);
        gst_object_unref(stream.pad);
    }
}

double GainOfLevel(LONG hundredthsOfDecibel) {
    if (hundredthsOfDecibel <= -10000) {
        return 0.0;
    }
    return std::pow(10.0, std::min<LONG>(hundredthsOfDecibel, 0) / 2000.0);
}

AudioRendererFilter::AudioRendererFilter() : GstFilter(FilterRole::AudioRenderer) {
    GstElement* convert = MakeElement("audioconvert");
    volumeElement_ = MakeElement("volume");
    setBin(MakeChain({convert, MakeElement("audioresample"), volumeElement_, MakeAudioSink()}));
    GstPad* sink = StaticPad(convert, "sink");
    addPin(AudioRendererPinName, PINDIR_INPUT, PinKind::Audio, sink);
    gst_object_unref(sink);
}

HRESULT AudioRendererFilter::setVolume(LONG hundredthsOfDecibel) {
    if (hundredthsOfDecibel > 0 || hundredthsOfDecibel < -10000) {
        return E_INVALIDARG;
    }
    volume_ = hundredthsOfDecibel;
    g_object_set(volumeElement_, "volume", GainOfLevel(hundredthsOfDecibel), nullptr);
    return S_OK;
}

namespace {

// Keeps a decoded buffer mapped for as long as the image painted from it lives.
struct MappedFrame {
    GstVideoFrame frame;
};

void ReleaseMappedFrame(void* info) {
    auto* mapped = static_cast<MappedFrame*>(info);
    gst_video_frame_unmap(&mapped->frame);
    delete mapped;
}

} // namespace

VideoRendererFilter::VideoRendererFilter()
    : GstFilter(FilterRole::VideoRenderer), renderer_(MakeCom<VideoRenderer>()) {
    GstElement* deinterlace = MakeDeinterlacer(*renderer_);
    GstElement* convert = MakeElement("videoconvert");
    GstElement* sink = MakeElement("appsink");
    GstCaps* caps = gst_caps_from_string("video/x-raw,format=BGRx");
    g_object_set(sink, "caps", caps, "sync", TRUE, "max-buffers", 2, "enable-last-sample", FALSE, nullptr);
    gst_caps_unref(caps);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = [](GstAppSink* appsink, gpointer self) {
        return onSample(GST_ELEMENT(appsink), self);
    };
    callbacks.new_preroll = [](GstAppSink* appsink, gpointer self) {
        return onPreroll(GST_ELEMENT(appsink), self);
    };
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, this, nullptr);
    setBin(MakeChain({deinterlace, convert, sink}));
    GstPad* input = StaticPad(deinterlace, "sink");
    addPin(L"Input", PINDIR_INPUT, PinKind::Video, input);
    gst_object_unref(input);
}

VideoRendererFilter::~VideoRendererFilter() {
    // Stop the streaming thread before the renderer it paints into goes away.
    gst_element_set_state(element(), GST_STATE_NULL);
    // The renderer may be held longer than the deinterlacer it would still set.
    renderer_->setDeinterlaceHandler({});
}

void VideoRendererFilter::inputConnected(GstPin& pin) {
    if (!pin.peer()) {
        return;
    }
    GstCaps* caps = gst_caps_from_string(pin.peer()->currentFormat().c_str());
    if (!caps) {
        return;
    }
    if (!gst_caps_is_empty(caps)) {
        const GstStructure* structure = gst_caps_get_structure(caps, 0);
        int width = 0;
        int height = 0;
        int numerator = 0;
        int denominator = 1;
        gst_structure_get_int(structure, "width", &width);
        gst_structure_get_int(structure, "height", &height);
        gst_structure_get_fraction(structure, "framerate", &numerator, &denominator);
        if (width > 0 && height > 0) {
            renderer_->setVideoSize(width, height, numerator > 0 ? double(denominator) / numerator : 0.0);
        }
    }
    gst_caps_unref(caps);
}

GstFlowReturn VideoRendererFilter::onSample(GstElement* sink, gpointer self) {
    if (GstSample* sample = gst_app_sink_pull_sample(GST_APP_SINK(sink))) {
        static_cast<VideoRendererFilter*>(self)->present(sample);
        gst_sample_unref(sample);
    }
    return GST_FLOW_OK;
}

GstFlowReturn VideoRendererFilter::onPreroll(GstElement* sink, gpointer self) {
    if (GstSample* sample = gst_app_sink_pull_preroll(GST_APP_SINK(sink))) {
        static_cast<VideoRendererFilter*>(self)->present(sample);
        gst_sample_unref(sample);
    }
    return GST_FLOW_OK;
}

void VideoRendererFilter::present(GstSample* sample) {
    GstVideoInfo info;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    if (!buffer || !gst_video_info_from_caps(&info, gst_sample_get_caps(sample))) {
        return;
    }
    auto* mapped = new MappedFrame;
    if (!gst_video_frame_map(&mapped->frame, &info, buffer, GST_MAP_READ)) {
        delete mapped;
        return;
    }
    const int width = GST_VIDEO_INFO_WIDTH(&info);
    const int height = GST_VIDEO_INFO_HEIGHT(&info);
    const QImage image(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&mapped->frame, 0)), width,
                       height, GST_VIDEO_FRAME_PLANE_STRIDE(&mapped->frame, 0), QImage::Format_RGB32,
                       &ReleaseMappedFrame, mapped);
    const double secondsPerFrame = info.fps_n > 0 ? double(info.fps_d) / info.fps_n : 0.0;
    renderer_->setVideoSize(width, height, secondsPerFrame);
    renderer_->setPixelAspectRatio(GST_VIDEO_INFO_PAR_N(&info), GST_VIDEO_INFO_PAR_D(&info));
    renderer_->presentFrame(image);
}
