// SPDX-License-Identifier: GPL-2.0-or-later
#include "filter_graph.h"

#include "bus_error.h"
#include "engine_setup.h"
#include "media_filters.h"
#include "platform/com/snapshot_enumerator.h"

#include <QFile>
#include <QString>

#include <cerrno>

namespace {

constexpr int StreamDiscoveryTimeoutMs = 10000;
// A push past a hold finishes at once after the flush; the bound only guards against a filter that never
// returns.
constexpr int IdleTimeoutMs = 2000;

// The reason an error aborts the graph, carried in EC_ERRORABORT's first parameter: a stream no element can
// decode, a device another program holds (v4l2src and alsasrc say so when the device refuses them with
// EBUSY), or any other failure.
HRESULT AbortResultOf(const GError* error) {
    if (!error) {
        return E_FAIL;
    }
    if (error->domain == GST_STREAM_ERROR &&
        (error->code == GST_STREAM_ERROR_CODEC_NOT_FOUND || error->code == GST_STREAM_ERROR_WRONG_TYPE)) {
        return VFW_E_UNSUPPORTED_STREAM;
    }
    if (error->domain == GST_RESOURCE_ERROR && error->code == GST_RESOURCE_ERROR_BUSY) {
        return HResultFromErrno(EBUSY);
    }
    return E_FAIL;
}

// The sound capture device an element belongs to: a source whose pins all carry sound. Its failure ends only
// the sound: the picture and the rest of the graph go on.
GstFilter* SoundSourceOf(GstObject* element) {
    GstFilter* filter = FilterHolding(element);
    if (!filter || filter->role() != FilterRole::Source || filter->pins().empty()) {
        return nullptr;
    }
    for (const auto& pin : filter->pins()) {
        if (pin->kind() != PinKind::Audio) {
            return nullptr;
        }
    }
    return filter;
}

} // namespace

FilterGraph::FilterGraph() {
    EnsureGstInitialised();
    pipeline_ = GST_ELEMENT(gst_object_ref_sink(gst_pipeline_new(nullptr)));
    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(bus, &FilterGraph::onBusMessage, this, nullptr);
    gst_object_unref(bus);
}

FilterGraph::~FilterGraph() {
    SetNotifyWindow(nullptr, 0, 0);
    for (const Event& event : events_) {
        FreeEventParams(event.code, event.param1, event.param2);
    }
    for (const auto& filter : filters_) {
        filter->releaseHolds();
    }
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    for (const auto& filter : filters_) {
        filter->setGraph(nullptr);
    }
    filters_.clear();
    gst_object_unref(pipeline_);
}

GstBusSyncReply FilterGraph::onBusMessage(GstBus*, GstMessage* message, gpointer self) {
    auto* graph = static_cast<FilterGraph*>(self);
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
        graph->queueEvent(EC_COMPLETE, S_OK, 0);
        break;
    case GST_MESSAGE_ELEMENT:
        // A capture device that went away says so with this message (see DeviceLostMessageName).
        if (gst_message_has_name(message, DeviceLostMessageName)) {
            gpointer device = nullptr;
            gst_structure_get(gst_message_get_structure(message), "device", G_TYPE_POINTER, &device, nullptr);
            graph->queueEvent(EC_DEVICE_LOST, reinterpret_cast<LONG_PTR>(device), 0);
        }
        break;
    case GST_MESSAGE_ERROR: {
        std::unique_lock lock(graph->eventMutex_);
        if (graph->discovering_) {
            graph->discovering_->abortDiscovery();
            break;
        }
        lock.unlock();
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        if (GstFilter* sound = SoundSourceOf(GST_MESSAGE_SRC(message))) {
            graph->soundStopped(sound, AbortResultOf(error), DescribeBusError(message));
        } else {
            // The event carries only a result code: the error's own words go to the log, so every aborted
            // graph, in the program and in its tests, says what stopped it and which element did.
            g_warning("media engine: graph aborted by %s", DescribeBusError(message).c_str());
            graph->queueEvent(EC_ERRORABORT, AbortResultOf(error), 0);
        }
        if (error) {
            g_error_free(error);
        }
        break;
    }
    default:
        break;
    }
    return GST_BUS_DROP;
}

void FilterGraph::soundStopped(GstFilter* source, HRESULT result, const std::string& words) {
    bool first = false;
    {
        // A failing source says so more than once (its read error, then its stopped task): its words come
        // with the first event of a run only. Every error still makes an event, since each one may cut short
        // the change of state the last event's handling asked for.
        std::lock_guard lock(eventMutex_);
        first = std::find(stoppedSounds_.begin(), stoppedSounds_.end(), source) == stoppedSounds_.end();
        if (first) {
            stoppedSounds_.push_back(source);
        }
    }
    queueEvent(EC_STREAM_ERROR_STOPPED, result,
               first ? reinterpret_cast<LONG_PTR>(g_strdup(words.c_str())) : LONG_PTR(0));
}

HRESULT FilterGraph::AddFilter(IBaseFilter* filter, LPCWSTR name) {
    GstFilter* own = AsGstFilter(filter);
    if (!own) {
        return E_POINTER;
    }
    if (own->graph()) {
        return VFW_E_WRONG_STATE;
    }
    if (!own->element()) {
        return E_UNEXPECTED;
    }
    if (const HRESULT refused = own->joinGraph(); FAILED(refused)) {
        return refused;
    }
    own->setName(uniqueName(name && *name ? name : L"Filter"));
    // A filter takes part in the graph's state changes once it is connected: a source running with nothing
    // behind it would stop the whole graph with an error.
    gst_element_set_locked_state(own->element(), TRUE);
    if (!gst_bin_add(GST_BIN(pipeline_), own->element())) {
        gst_element_set_locked_state(own->element(), FALSE);
        return E_FAIL;
    }
    own->setGraph(this);
    filters_.emplace_back(own);
    return S_OK;
}

std::wstring FilterGraph::uniqueName(std::wstring name) const {
    auto taken = [this](const std::wstring& candidate) {
        for (const auto& filter : filters_) {
            if (filter->name() == candidate) {
                return true;
            }
        }
        return false;
    };
    if (!taken(name)) {
        return name;
    }
    for (int number = 1;; ++number) {
        wchar_t suffix[8];
        std::swprintf(suffix, 8, L" %04d", number);
        if (!taken(name + suffix)) {
            return name + suffix;
        }
    }
}

HRESULT FilterGraph::RemoveFilter(IBaseFilter* filter) {
    GstFilter* own = AsGstFilter(filter);
    if (!own) {
        return E_POINTER;
    }
    if (own->graph() != this) {
        return VFW_E_NOT_IN_GRAPH;
    }
    RefPtr<GstFilter> keep(own);
    if (isRunning()) {
        own->beforeRemoval();
    }
    for (const auto& pin : own->pins()) {
        detach(*pin);
    }
    // Out of the pipeline first: data let go from its holds then meets unlinked pins, and the errors that
    // raises reach no bus instead of aborting the graph.
    gst_bin_remove(GST_BIN(pipeline_), own->element());
    own->releaseHolds();
    gst_element_set_state(own->element(), GST_STATE_NULL);
    gst_element_set_locked_state(own->element(), FALSE);
    own->setGraph(nullptr);
    std::erase(filters_, keep);
    return S_OK;
}

HRESULT FilterGraph::EnumFilters(IEnumFilters** filters) {
    if (!filters) {
        return E_POINTER;
    }
    std::vector<RefPtr<IBaseFilter>> newestFirst(filters_.rbegin(), filters_.rend());
    *filters = MakeCom<SnapshotEnumerator<IEnumFilters, IBaseFilter>>(std::move(newestFirst)).detach();
    return S_OK;
}

HRESULT FilterGraph::FindFilterByName(LPCWSTR name, IBaseFilter** filter) {
    if (!name || !filter) {
        return E_POINTER;
    }
    *filter = nullptr;
    for (const auto& candidate : filters_) {
        if (candidate->name() == name) {
            return CopyOut<IBaseFilter>(candidate.get(), filter);
        }
    }
    return VFW_E_NOT_FOUND;
}

bool FilterGraph::isRunning() const {
    return GST_STATE_TARGET(pipeline_) >= GST_STATE_PAUSED;
}

bool FilterGraph::isLive() const {
    // Asked of the sources themselves: a latency query of the whole pipeline fails as soon as one element
    // (a multiplexer) does not answer it.
    bool live = false;
    GstIterator* elements = gst_bin_iterate_recurse(GST_BIN(pipeline_));
    GValue item = G_VALUE_INIT;
    while (!live && gst_iterator_next(elements, &item) == GST_ITERATOR_OK) {
        GObject* element = G_OBJECT(g_value_get_object(&item));
        if (GST_OBJECT_FLAG_IS_SET(element, GST_ELEMENT_FLAG_SOURCE) &&
            g_object_class_find_property(G_OBJECT_GET_CLASS(element), "is-live")) {
            gboolean isLive = FALSE;
            g_object_get(element, "is-live", &isLive, nullptr);
            live = isLive;
        }
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(elements);
    return live;
}

void FilterGraph::syncWithPipeline(GstFilter& filter) {
    gst_element_set_locked_state(filter.element(), FALSE);
    if (isRunning() && GST_STATE(filter.element()) < GST_STATE_TARGET(pipeline_)) {
        gst_element_sync_state_with_parent(filter.element());
    }
}

HRESULT FilterGraph::ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) {
    GstPin* out = AsGstPin(output);
    GstPin* in = AsGstPin(input);
    if (!out || !in) {
        return E_POINTER;
    }
    if (out->direction() != PINDIR_OUTPUT || in->direction() != PINDIR_INPUT) {
        return VFW_E_INVALID_DIRECTION;
    }
    if (out->filter().graph() != this || in->filter().graph() != this) {
        return VFW_E_NOT_IN_GRAPH;
    }
    if (out->peer() || in->peer()) {
        return VFW_E_ALREADY_CONNECTED;
    }
    if (out->kind() != in->kind()) {
        return VFW_E_NO_ACCEPTABLE_TYPES;
    }
    if (type && !type->format.empty() && (!out->accepts(type->format) || !in->accepts(type->format))) {
        return VFW_E_NO_ACCEPTABLE_TYPES;
    }
    if (GST_PAD_LINK_FAILED(gst_pad_link(out->pad(), in->pad()))) {
        return VFW_E_CANNOT_CONNECT;
    }
    out->setPeer(in);
    in->setPeer(out);
    in->filter().inputConnected(*in);
    if (in->filter().role() == FilterRole::Decoder && isRunning() &&
        GST_STATE(out->filter().element()) == GST_STATE_NULL) {
        // A file's reader (typefind, a demuxer) pulls its data, and activates the source for that as it
        // starts. A file source that reached PAUSED first would already push: its first data then races the
        // switch to pulling, and the file can end at once in an error. So the source only gets ready here,
        // the reader starts, and then the source follows with its pad already pulled from, as a whole
        // graph starting from nothing does.
        gst_element_set_state(out->filter().element(), GST_STATE_READY);
        syncWithPipeline(in->filter());
        syncWithPipeline(out->filter());
    } else {
        syncWithPipeline(out->filter());
        syncWithPipeline(in->filter());
    }
    // Held data goes only into filters that run. After a flush it waits for the seek that restarts it: let
    // go now, it would race with that seek's flush, and an element caught renegotiating by the flush stops
    // the stream as not negotiated.
    if (!flushed_) {
        releaseHoldsThatCanFlow();
    }
    return S_OK;
}

bool FilterGraph::passesDataOn(const GstFilter& filter) const {
    // A decoder leaves the streams it does not render unlinked on purpose.
    if (filter.role() == FilterRole::Decoder) {
        return true;
    }
    for (const auto& pin : filter.pins()) {
        if (pin->direction() == PINDIR_OUTPUT && (!pin->peer() || !passesDataOn(pin->peer()->filter()))) {
            return false;
        }
    }
    return true;
}

void FilterGraph::releaseHoldsThatCanFlow() {
    for (const auto& filter : filters_) {
        for (const auto& pin : filter->pins()) {
            if (pin->direction() == PINDIR_OUTPUT && pin->held() && pin->peer() &&
                passesDataOn(pin->peer()->filter())) {
                pin->release();
            }
        }
    }
}

void FilterGraph::detach(GstPin& pin) {
    GstPin* peer = pin.peer();
    if (!peer) {
        return;
    }
    GstPin& output = pin.direction() == PINDIR_OUTPUT ? pin : *peer;
    GstPin& input = pin.direction() == PINDIR_OUTPUT ? *peer : pin;
    // A stopped live graph is not running (see Stop): it is taken apart as it is.
    if (isRunning()) {
        // New data waits at the output. Data already past it may be stuck downstream (a sink waiting in
        // preroll): the flush sends it back, and once the output is idle no push can reach the old peer or
        // mark the stream's format as delivered to the new one. A filter whose pads are not active yet has
        // no data in it to flush.
        output.hold();
        const bool flushing = gst_pad_is_active(input.pad());
        if (flushing) {
            // A live graph has no position to go back to: its sources go on, and the flush ends at the input.
            if (!isLive()) {
                rememberFlush();
            }
            gst_pad_send_event(input.pad(), gst_event_new_flush_start());
        }
        WaitUntilIdle(output.pad(), IdleTimeoutMs);
        unlink(output, input);
        if (flushing) {
            // A filter left flushing would refuse the seek that restarts the data.
            gst_pad_send_event(input.pad(), gst_event_new_flush_stop(TRUE));
        }
    } else {
        unlink(output, input);
    }
}

void FilterGraph::rememberFlush() {
    if (!flushed_) {
        GetCurrentPosition(&lastPosition_);
        flushed_ = true;
    }
}

void FilterGraph::unlink(GstPin& output, GstPin& input) {
    gst_pad_unlink(output.pad(), input.pad());
    output.setPeer(nullptr);
    input.setPeer(nullptr);
}

HRESULT FilterGraph::Disconnect(IPin* pin) {
    GstPin* own = AsGstPin(pin);
    if (!own) {
        return E_POINTER;
    }
    if (!own->peer()) {
        return S_FALSE;
    }
    detach(*own);
    return S_OK;
}

HRESULT FilterGraph::AddSourceFilter(LPCWSTR fileName, LPCWSTR filterName, IBaseFilter** filter) {
    if (!fileName || !filter) {
        return E_POINTER;
    }
    *filter = nullptr;
    const QByteArray localPath = QFile::encodeName(QString::fromWCharArray(fileName));
    HRESULT result = E_FAIL;
    RefPtr<FileSourceFilter> source = FileSourceFilter::create(localPath.toStdString(), &result);
    if (!source) {
        return result;
    }
    result = AddFilter(source.get(), filterName ? filterName : fileName);
    if (FAILED(result)) {
        return result;
    }
    *filter = source.detach();
    return S_OK;
}

HRESULT FilterGraph::Render(IPin* output) {
    GstPin* out = AsGstPin(output);
    if (!out) {
        return E_POINTER;
    }
    if (out->direction() != PINDIR_OUTPUT) {
        return VFW_E_INVALID_DIRECTION;
    }
    if (out->filter().graph() != this) {
        return VFW_E_NOT_IN_GRAPH;
    }
    if (out->peer()) {
        return VFW_E_ALREADY_CONNECTED;
    }
    return out->kind() == PinKind::Stream ? renderFile(*out) : renderStream(*out);
}

HRESULT FilterGraph::renderFile(GstPin& output) {
    auto decoder = MakeCom<DecoderFilter>();
    auto discovering = [this](DecoderFilter* filter) {
        std::lock_guard lock(eventMutex_);
        discovering_ = filter;
    };
    // Set before the decoder runs: a file that is not media fails at once, and that error ends the discovery.
    discovering(decoder.get());
    HRESULT result = AddFilter(decoder.get(), L"Decoder");
    if (SUCCEEDED(result)) {
        RefPtr<IPin> input;
        decoder->FindPin(L"Input", input.put());
        result = ConnectDirect(&output, input.get(), nullptr);
    }
    if (FAILED(result)) {
        discovering(nullptr);
        RemoveFilter(decoder.get());
        return result;
    }
    duration_ = -1;
    lastPosition_ = 0;
    flushed_ = false;
    if (!isRunning()) {
        gst_element_set_state(pipeline_, GST_STATE_PAUSED);
    }
    const DecoderFilter::Discovery discovery = decoder->awaitStreams(StreamDiscoveryTimeoutMs);
    if (discovery != DecoderFilter::Discovery::Streams) {
        // Nothing of a file that cannot be decoded stays running, so no late error reaches the event queue.
        // Streams found so far let go first: a thread held in one would keep the decoder from stopping.
        decoder->releaseStreams();
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        state_ = State_Stopped;
        discovering(nullptr);
        RemoveFilter(decoder.get());
        return discovery == DecoderFilter::Discovery::TimedOut ? VFW_E_TIMEOUT : VFW_E_UNSUPPORTED_STREAM;
    }
    discovering(nullptr);
    int rendered = 0;
    bool audioDone = false;
    bool videoDone = false;
    for (const auto& pin : decoder->pins()) {
        bool& done = pin->kind() == PinKind::Audio ? audioDone : videoDone;
        if (pin->direction() == PINDIR_OUTPUT && !done && SUCCEEDED(renderStream(*pin))) {
            done = true;
            ++rendered;
        }
    }
    decoder->releaseStreams();
    return rendered > 0 ? S_OK : VFW_E_CANNOT_RENDER;
}

HRESULT FilterGraph::renderStream(GstPin& output) {
    const FilterRole role =
        output.kind() == PinKind::Audio ? FilterRole::AudioRenderer : FilterRole::VideoRenderer;
    for (const auto& filter : filters_) {
        if (filter->role() != role) {
            continue;
        }
        for (const auto& pin : filter->pins()) {
            if (pin->direction() == PINDIR_INPUT && !pin->peer() &&
                SUCCEEDED(ConnectDirect(&output, pin.get(), nullptr))) {
                return S_OK;
            }
        }
    }
    RefPtr<GstFilter> renderer;
    if (output.kind() == PinKind::Audio) {
        renderer = MakeCom<AudioRendererFilter>();
    } else if (output.kind() == PinKind::Video) {
        renderer = MakeCom<VideoRendererFilter>();
    } else {
        return VFW_E_CANNOT_RENDER;
    }
    HRESULT result =
        AddFilter(renderer.get(), output.kind() == PinKind::Audio ? AudioRendererName : L"Video Renderer");
    if (FAILED(result)) {
        return result;
    }
    result = ConnectDirect(&output, renderer->pins().front().get(), nullptr);
    if (FAILED(result)) {
        RemoveFilter(renderer.get());
    }
    return result;
}

GstFilter* FilterGraph::findFilter(FilterRole role) const {
    for (const auto& filter : filters_) {
        if (filter->role() == role) {
            return filter.get();
        }
    }
    return nullptr;
}

AudioRendererFilter* FilterGraph::audioRenderer() const {
    return static_cast<AudioRendererFilter*>(findFilter(FilterRole::AudioRenderer));
}

VideoRenderer* FilterGraph::videoRenderer() const {
    auto* filter = static_cast<VideoRendererFilter*>(findFilter(FilterRole::VideoRenderer));
    return filter ? &filter->renderer() : nullptr;
}
