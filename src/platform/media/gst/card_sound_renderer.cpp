// SPDX-License-Identifier: GPL-2.0-or-later
#include "card_sound_renderer.h"

#include "engine_setup.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

// GstAudioBaseSinkSlaveMethod: resample to the graph's clock rather than skip or repeat samples.
constexpr int kSlaveResample = 0;
// The queue in front of the output: enough for a busy moment, old sound goes first.
constexpr guint64 kQueueNs = 200 * GST_MSECOND;
constexpr int kLeakyDownstream = 2;

std::mutex gSinkFactoryMutex;
std::function<GstElement*()> gSinkFactory;

GstElement* MakeOutput() {
    {
        std::lock_guard lock(gSinkFactoryMutex);
        if (gSinkFactory) {
            return gSinkFactory();
        }
    }
    const char* chosen = std::getenv("CORVANE_CARD_SOUND_SINK");
    const char* description = chosen && *chosen ? chosen : "autoaudiosink";
    GError* error = nullptr;
    GstElement* sink = gst_parse_bin_from_description_full(description, TRUE, nullptr,
                                                           GST_PARSE_FLAG_NO_SINGLE_ELEMENT_BINS, &error);
    if (error) {
        std::fprintf(stderr, "corvane: card sound output \"%s\": %s\n", description, error->message);
        g_error_free(error);
    }
    if (!sink) {
        sink = gst_element_factory_make("fakesink", nullptr);
        g_object_set(sink, "sync", TRUE, nullptr);
    }
    return sink;
}

bool HasProperty(GstElement* element, const char* name) {
    return g_object_class_find_property(G_OBJECT_GET_CLASS(element), name) != nullptr;
}

const char* RoleName(CardSoundRole role) {
    return role == CardSoundRole::Video ? "video" : "music";
}

const char* StreamName(CardSoundRole role) {
    return role == CardSoundRole::Video ? "TV sound" : "Radio sound";
}

// The desktop names the sound server's client after the application, and autoaudiosink opens it before
// anything can be set on it.
void NameApplication() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (!g_get_application_name() || g_strcmp0(g_get_application_name(), g_get_prgname()) == 0) {
            g_set_application_name("Corvane");
        }
    });
}

} // namespace

extern "C" {

struct CorvaneCardSoundBin {
    GstBin parent;
    std::atomic<CardSoundRendererFilter*>* filter;
};
struct CorvaneCardSoundBinClass {
    GstBinClass parentClass;
};

G_DEFINE_TYPE(CorvaneCardSoundBin, corvane_card_sound_bin, GST_TYPE_BIN)

// An output that fails (the sound server went away, the device was unplugged) must not abort the picture
// and the recording in the same graph: its errors stay inside.
static void corvane_card_sound_bin_handle_message(GstBin* bin, GstMessage* message) {
    auto* self = reinterpret_cast<CorvaneCardSoundBin*>(bin);
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
        if (CardSoundRendererFilter* filter = self->filter ? self->filter->load() : nullptr) {
            filter->outputFailed(message);
        }
        gst_message_unref(message);
        return;
    }
    GST_BIN_CLASS(corvane_card_sound_bin_parent_class)->handle_message(bin, message);
}

static void corvane_card_sound_bin_class_init(CorvaneCardSoundBinClass* klass) {
    GST_BIN_CLASS(klass)->handle_message = corvane_card_sound_bin_handle_message;
}

static void corvane_card_sound_bin_init(CorvaneCardSoundBin* self) {
    self->filter = nullptr;
}

} // extern "C"

CardSoundRendererFilter::CardSoundRendererFilter(CardSoundRole role)
    : GstFilter(FilterRole::CardSound), role_(role) {
    EnsureGstInitialised();
    NameApplication();
    auto* binElement = GST_ELEMENT(g_object_new(corvane_card_sound_bin_get_type(), nullptr));
    // The bin may outlive the filter in a graph being taken down: it sees the filter through a link the
    // filter clears when it goes.
    auto* link = new std::atomic<CardSoundRendererFilter*>(this);
    reinterpret_cast<CorvaneCardSoundBin*>(binElement)->filter = link;
    g_object_set_data_full(G_OBJECT(binElement), "corvane-filter-link", link, [](gpointer data) {
        delete static_cast<std::atomic<CardSoundRendererFilter*>*>(data);
    });
    setBin(binElement);
    GstBin* bin = GST_BIN(binElement);

    GstElement* queue = gst_element_factory_make("queue", nullptr);
    g_object_set(queue, "leaky", kLeakyDownstream, "max-size-buffers", 0u, "max-size-bytes", 0u,
                 "max-size-time", kQueueNs, nullptr);
    GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement* resample = gst_element_factory_make("audioresample", nullptr);
    volume_ = gst_element_factory_make("volume", nullptr);
    GstElement* sink = MakeOutput();
    if (GST_IS_BIN(sink)) {
        g_signal_connect(sink, "deep-element-added",
                         G_CALLBACK(+[](GstBin*, GstBin*, GstElement* element, gpointer self) {
                             static_cast<CardSoundRendererFilter*>(self)->configureSink(element);
                         }),
                         this);
    }
    configureSink(sink);
    gst_bin_add_many(bin, queue, convert, resample, volume_, sink, nullptr);
    gst_element_link_many(queue, convert, resample, volume_, sink, nullptr);

    GstPad* input = gst_element_get_static_pad(queue, "sink");
    gst_pad_add_probe(input, GST_PAD_PROBE_TYPE_BUFFER, &CardSoundRendererFilter::onInput, this, nullptr);
    addPin(L"Audio Input", PINDIR_INPUT, PinKind::Audio, input);
    gst_object_unref(input);
    setName(kCardSoundRendererName);
}

CardSoundRendererFilter::~CardSoundRendererFilter() {
    if (GstElement* bin = element()) {
        gst_element_set_state(bin, GST_STATE_NULL);
        if (auto* link = reinterpret_cast<CorvaneCardSoundBin*>(bin)->filter) {
            link->store(nullptr);
        }
        GstIterator* children = gst_bin_iterate_recurse(GST_BIN(bin));
        GValue item = G_VALUE_INIT;
        while (gst_iterator_next(children, &item) == GST_ITERATOR_OK) {
            g_signal_handlers_disconnect_by_data(g_value_get_object(&item), this);
            g_value_reset(&item);
        }
        g_value_unset(&item);
        gst_iterator_free(children);
    }
}

void* CardSoundRendererFilter::queryOtherInterface(const Guid& iid) {
    return iid == ICardSound::IID ? static_cast<ICardSound*>(this) : nullptr;
}

void CardSoundRendererFilter::configureSink(GstElement* sink) {
    if (HasProperty(sink, "buffer-time") && HasProperty(sink, "slave-method")) {
        g_object_set(sink, "buffer-time", kCardSoundBufferUs, "latency-time", kCardSoundLatencyUs,
                     "slave-method", kSlaveResample, nullptr);
    }
    if (HasProperty(sink, "stream-properties")) {
        GstStructure* properties =
            gst_structure_new("props", "media.role", G_TYPE_STRING, RoleName(role_), "media.name",
                              G_TYPE_STRING, StreamName(role_), "application.name", G_TYPE_STRING, "Corvane",
                              "application.icon_name", G_TYPE_STRING, "org.corvane.Corvane", nullptr);
        g_object_set(sink, "stream-properties", properties, nullptr);
        gst_structure_free(properties);
    }
    GstElementFactory* factory = gst_element_get_factory(sink);
    GstObject* parent = gst_object_get_parent(GST_OBJECT(sink));
    // autoaudiosink settles for a fake sink on its way up when the desktop has no sound output at all. It
    // also puts one in as a placeholder whenever it goes back down to NULL, which says nothing of the
    // desktop. (The target is read while the parent changes state, on the thread that changes it.)
    if (factory && parent && g_strcmp0(gst_plugin_feature_get_name(factory), "fakesink") == 0 &&
        GST_IS_BIN(parent) && gst_element_get_factory(GST_ELEMENT(parent)) &&
        g_strcmp0(gst_plugin_feature_get_name(gst_element_get_factory(GST_ELEMENT(parent))),
                  "autoaudiosink") == 0 &&
        GST_STATE_TARGET(GST_ELEMENT(parent)) != GST_STATE_NULL) {
        static std::once_flag once;
        std::call_once(once, [] {
            std::fprintf(stderr, "corvane: no audio output found; the card's sound is not played\n");
        });
    }
    if (parent) {
        gst_object_unref(parent);
    }
}

GstPadProbeReturn CardSoundRendererFilter::onInput(GstPad*, GstPadProbeInfo*, gpointer self) {
    auto* renderer = static_cast<CardSoundRendererFilter*>(self);
    // A failed output takes nothing more, and tells nothing upstream: the picture and the recording go on.
    if (renderer->failed_) {
        return GST_PAD_PROBE_DROP;
    }
    renderer->sounding_ = true;
    return GST_PAD_PROBE_OK;
}

void CardSoundRendererFilter::outputFailed(GstMessage* error) {
    if (failed_.exchange(true)) {
        return;
    }
    GError* reason = nullptr;
    gst_message_parse_error(error, &reason, nullptr);
    std::fprintf(stderr, "corvane: the card's sound stopped: %s\n",
                 reason ? reason->message : "output error");
    if (reason) {
        g_error_free(reason);
    }
}

HRESULT CardSoundRendererFilter::joinGraph() {
    // A graph built anew opens the output anew.
    failed_ = false;
    sounding_ = false;
    return S_OK;
}

HRESULT CardSoundRendererFilter::SetMuted(bool muted) {
    muted_ = muted;
    g_object_set(volume_, "mute", muted ? TRUE : FALSE, nullptr);
    return S_OK;
}

HRESULT CreateCardSoundRenderer(CardSoundRole role, IBaseFilter** filter) {
    if (!filter) {
        return E_POINTER;
    }
    RefPtr<CardSoundRendererFilter> renderer = MakeCom<CardSoundRendererFilter>(role);
    *filter = static_cast<IBaseFilter*>(renderer.get());
    (*filter)->AddRef();
    return S_OK;
}

void SetCardSoundSinkFactory(std::function<GstElement*()> factory) {
    std::lock_guard lock(gSinkFactoryMutex);
    gSinkFactory = std::move(factory);
}
