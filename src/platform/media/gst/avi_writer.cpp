// SPDX-License-Identifier: GPL-2.0-or-later
#include "avi_writer.h"

#include "capture_output.h"
#include "filter_graph.h"

#include <QString>

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <thread>

namespace {

constexpr int kFinishTimeoutMs = 5000;
constexpr int kLastChanceMs = 1000;

} // namespace

AviMuxFilter::AviMuxFilter() : GstFilter(FilterRole::Encoder) {
    GstElement* bin = gst_bin_new(nullptr);
    mux_ = gst_element_factory_make("avimux", nullptr);
    setBin(bin);
    if (mux_) {
        gst_bin_add(GST_BIN(bin), mux_);
        GstPad* source = gst_element_get_static_pad(mux_, "src");
        addPin(L"AVI Out", PINDIR_OUTPUT, PinKind::Stream, source);
        gst_object_unref(source);
    }
}

void* AviMuxFilter::queryOtherInterface(const Guid& iid) {
    return iid == IConfigAviMux::IID ? static_cast<IConfigAviMux*>(this) : nullptr;
}

HRESULT AviMuxFilter::SetMasterStream(LONG stream) {
    // The streams are interleaved by their timestamps, all taken from the one pipeline clock, and the
    // picture's missing frames are filled (video_gap_filler.h), so every stream keeps time with the others;
    // the choice is kept for GetMasterStream.
    if (stream < -1) {
        return E_INVALIDARG;
    }
    masterStream_ = stream;
    return S_OK;
}

HRESULT AviMuxFilter::GetMasterStream(LONG* stream) {
    if (!stream) {
        return E_POINTER;
    }
    *stream = masterStream_;
    return S_OK;
}

HRESULT AviMuxFilter::SetOutputCompatibilityIndex(BOOL index) {
    // avimux always writes idx1 after movi; a file without it is what other players reject.
    return index ? S_OK : E_INVALIDARG;
}

HRESULT AviMuxFilter::GetOutputCompatibilityIndex(BOOL* index) {
    if (!index) {
        return E_POINTER;
    }
    *index = 1;
    return S_OK;
}

GstPin* AviMuxFilter::addInput(PinKind kind, bool video) {
    if (!mux_ || finished_) {
        return nullptr;
    }
    GstPad* pad = gst_element_request_pad_simple(mux_, video ? "video_%u" : "audio_%u");
    if (!pad) {
        return nullptr;
    }
    gst_pad_add_probe(
        pad, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST),
        [](GstPad* input, GstPadProbeInfo* info, gpointer self) {
            auto* mux = static_cast<AviMuxFilter*>(self);
            GstBuffer* first = GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER
                                   ? GST_PAD_PROBE_INFO_BUFFER(info)
                                   : gst_buffer_list_get(GST_PAD_PROBE_INFO_BUFFER_LIST(info), 0);
            if (first) {
                mux->start_->saw(StreamTimeOf(first));
            }
            std::lock_guard lock(mux->fedMutex_);
            mux->fed_.insert(input);
            return GST_PAD_PROBE_REMOVE;
        },
        this, nullptr);
    if (video) {
        FillVideoGaps(pad, start_);
    }
    wchar_t name[16];
    std::swprintf(name, 16, L"Input %02d", ++inputs_);
    GstPin& pin = addPin(name, PINDIR_INPUT, kind, pad);
    gst_object_unref(pad);
    // Joining a graph that already runs (a recording beside the preview), each stream would reach avimux as
    // soon as it is connected, and avimux takes no other stream after its first data: until the graph is
    // told to run, when all of them are connected, their data goes no further than the input. It is
    // dropped, not held: a held input would hold up the tee behind the device, and the preview with it, as
    // soon as a query that waits for the data before it (the device renegotiating) came along.
    if (graph() && GST_STATE_TARGET(graph()->pipeline()) >= GST_STATE_PAUSED) {
        const gulong probe = gst_pad_add_probe(
            pin.pad(), GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST),
            [](GstPad*, GstPadProbeInfo*, gpointer) { return GST_PAD_PROBE_DROP; }, nullptr, nullptr);
        beforeRun_.emplace_back(pin.pad(), probe);
    }
    return &pin;
}

void AviMuxFilter::graphRuns() {
    for (const auto& [pad, probe] : beforeRun_) {
        gst_pad_remove_probe(pad, probe);
    }
    beforeRun_.clear();
}

void AviMuxFilter::dropInput(GstPin& pin) {
    if (pin.peer() || pin.direction() != PINDIR_INPUT) {
        return;
    }
    std::erase_if(beforeRun_, [&pin](const auto& waiting) {
        if (waiting.first != pin.pad()) {
            return false;
        }
        gst_pad_remove_probe(waiting.first, waiting.second);
        return true;
    });
    GstPad* target = gst_ghost_pad_get_target(GST_GHOST_PAD(pin.pad()));
    removePin(pin);
    if (target) {
        gst_element_release_request_pad(mux_, target);
        gst_object_unref(target);
    }
    --inputs_;
}

void AviMuxFilter::beforeStop() {
    finish(kFinishTimeoutMs, false);
}

void AviMuxFilter::beforeRemoval() {
    finish(kFinishTimeoutMs, true);
}

// The capture outputs whose frames reach this input, through compressors if any.
std::vector<CaptureOutput*> AviMuxFilter::outputsFeeding(GstPin& input) {
    std::vector<CaptureOutput*> outputs;
    GstPin* upstream = input.peer();
    while (upstream) {
        void* counters = nullptr;
        if (SUCCEEDED(upstream->QueryInterface(IAMDroppedFrames::IID, &counters)) && counters) {
            auto* output = dynamic_cast<CaptureOutput*>(static_cast<IAMDroppedFrames*>(counters));
            upstream->Release();
            if (output) {
                outputs.push_back(output);
            }
            break;
        }
        GstPin* next = nullptr;
        for (const auto& pin : upstream->filter().pins()) {
            if (pin->direction() == PINDIR_INPUT && pin->peer()) {
                next = pin->peer();
            }
        }
        upstream = next;
    }
    return outputs;
}

bool AviMuxFilter::everyInputFed(const std::vector<GstPad*>& inputs) {
    std::lock_guard lock(fedMutex_);
    for (GstPad* input : inputs) {
        if (!fed_.count(input)) {
            return false;
        }
    }
    return !inputs.empty();
}

void AviMuxFilter::finish(int timeoutMs, bool graphGoesOn) {
    if (finished_ || !mux_ || GST_STATE(mux_) < GST_STATE_PAUSED) {
        return;
    }
    finished_ = true;
    // Streams still waiting for the graph to run end now, with what they have.
    graphRuns();
    FileWriterFilter* writer = nullptr;
    std::vector<GstPad*> inputs;
    std::vector<CaptureOutput*> sources;
    for (const auto& pin : pins()) {
        if (pin->direction() == PINDIR_OUTPUT && pin->peer()) {
            writer = dynamic_cast<FileWriterFilter*>(&pin->peer()->filter());
        } else if (pin->direction() == PINDIR_INPUT) {
            for (CaptureOutput* output : outputsFeeding(*pin)) {
                sources.push_back(output);
            }
            if (GstPad* target = gst_ghost_pad_get_target(GST_GHOST_PAD(pin->pad()))) {
                inputs.push_back(target);
            }
        }
    }
    // The frames the devices have taken are still on their way (the multiplexer holds the picture back while
    // it interleaves the sound): the end of each stream follows them, so the file gets every one.
    bool flowing = true;
    for (CaptureOutput* source : sources) {
        flowing = source->endStream() && flowing;
    }
    // A file that never opened will never end, nor will a stream whose consumer failed.
    const bool open = writer && writer->writing();
    bool ended = open && flowing && writer->waitForEnd(timeoutMs);
    std::vector<std::thread> senders;
    if (open && !ended) {
        // A stream that does not end by itself (its data stuck behind a failed write, a source that is not a
        // capture device): end the file with what has arrived. Each input gets its end-of-stream on its own
        // thread, as one may be held until the others have data or have ended.
        for (GstPad* input : inputs) {
            gst_pad_add_probe(
                input, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST),
                [](GstPad*, GstPadProbeInfo*, gpointer) { return GST_PAD_PROBE_DROP; }, nullptr, nullptr);
            senders.emplace_back([input] { gst_pad_send_event(input, gst_event_new_eos()); });
        }
        ended = writer->waitForEnd(kLastChanceMs);
    }
    if (ended && everyInputFed(inputs)) {
        writer->keepFile();
    }
    if (!ended) {
        // The data cannot reach the file (a write failed, the writer is gone): release whatever waits inside
        // the multiplexer.
        gst_element_set_locked_state(mux_, TRUE);
        gst_element_set_state(mux_, GST_STATE_NULL);
    }
    for (std::thread& sender : senders) {
        sender.join();
    }
    if (graphGoesOn) {
        // The finished file takes nothing more: what the reopened sources send until the graph takes the
        // multiplexer out stops at its inputs.
        for (GstPad* input : inputs) {
            gst_pad_add_probe(
                input, GstPadProbeType(GST_PAD_PROBE_TYPE_DATA_DOWNSTREAM | GST_PAD_PROBE_TYPE_EVENT_FLUSH),
                [](GstPad*, GstPadProbeInfo*, gpointer) { return GST_PAD_PROBE_DROP; }, nullptr, nullptr);
        }
    }
    for (GstPad* input : inputs) {
        gst_object_unref(input);
    }
    for (CaptureOutput* source : sources) {
        if (graphGoesOn) {
            source->reopen();
        } else {
            source->restart();
        }
    }
}

FileWriterFilter::FileWriterFilter() : GstFilter(FilterRole::Encoder) {
    GstElement* bin = gst_bin_new(nullptr);
    sink_ = gst_element_factory_make("filesink", nullptr);
    setBin(bin);
    gst_bin_add(GST_BIN(bin), sink_);
    // The file is written as fast as the data comes; it does not keep time.
    g_object_set(sink_, "sync", FALSE, "async", FALSE, nullptr);
    GstPad* input = gst_element_get_static_pad(sink_, "sink");
    gst_pad_add_probe(input, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, &FileWriterFilter::onEvent, this, nullptr);
    // filesink empties its file on a flush. The graph flushes a filter's inputs whenever it disconnects or
    // removes one, as when a finished recording's graph is taken apart: the file must stay.
    gst_pad_add_probe(
        input, GST_PAD_PROBE_TYPE_EVENT_FLUSH,
        [](GstPad*, GstPadProbeInfo*, gpointer) { return GST_PAD_PROBE_DROP; }, nullptr, nullptr);
    addPin(L"in", PINDIR_INPUT, PinKind::Stream, input);
    gst_object_unref(input);
}

void* FileWriterFilter::queryOtherInterface(const Guid& iid) {
    return iid == IFileSinkFilter::IID ? static_cast<IFileSinkFilter*>(this) : nullptr;
}

GstPadProbeReturn FileWriterFilter::onEvent(GstPad*, GstPadProbeInfo* info, gpointer self) {
    auto* writer = static_cast<FileWriterFilter*>(self);
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) == GST_EVENT_EOS) {
        std::lock_guard lock(writer->mutex_);
        writer->endReached_ = true;
        writer->ended_.notify_all();
    } else if (GST_EVENT_TYPE(event) == GST_EVENT_STREAM_START) {
        std::lock_guard lock(writer->mutex_);
        writer->endReached_ = false;
    }
    return GST_PAD_PROBE_OK;
}

void FileWriterFilter::beforeStop() {
    // A file that could not be opened (missing folder, no permission) keeps the writer out of the graph's
    // state changes, so the rest of the graph can still stop and be taken apart.
    GstElement* pipeline = graph() ? graph()->pipeline() : nullptr;
    if (pipeline && GST_STATE_TARGET(pipeline) >= GST_STATE_PAUSED && GST_STATE(sink_) < GST_STATE_PAUSED) {
        gst_element_set_locked_state(element(), TRUE);
        gst_element_set_state(element(), GST_STATE_NULL);
    }
}

bool FileWriterFilter::waitForEnd(int timeoutMs) {
    std::unique_lock lock(mutex_);
    return ended_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return endReached_; });
}

HRESULT FileWriterFilter::SetFileName(LPCOLESTR fileName, const AM_MEDIA_TYPE*) {
    if (!fileName || !*fileName) {
        return E_INVALIDARG;
    }
    if (GST_STATE(sink_) > GST_STATE_READY) {
        return VFW_E_WRONG_STATE;
    }
    fileName_ = fileName;
    const QByteArray path = QString::fromStdWString(fileName_).toLocal8Bit();
    struct stat existing {};
    const bool device = ::stat(path.constData(), &existing) == 0 && !S_ISREG(existing.st_mode);
    // A device or pipe named as the output is written to directly: it has no name to take.
    partPath_ = device ? std::string() : path.toStdString() + ".part";
    g_object_set(sink_, "location", device ? path.constData() : partPath_.c_str(), nullptr);
    return S_OK;
}

void FileWriterFilter::keepFile() {
    if (partPath_.empty()) {
        return;
    }
    // The writer still holds the file open; a rename leaves what it writes in the same file.
    const QByteArray path = QString::fromStdWString(fileName_).toLocal8Bit();
    std::rename(partPath_.c_str(), path.constData());
}

HRESULT FileWriterFilter::GetCurFile(std::wstring* fileName, AM_MEDIA_TYPE* type) {
    if (!fileName) {
        return E_POINTER;
    }
    *fileName = fileName_;
    if (type) {
        *type = AM_MEDIA_TYPE{};
        type->majortype = MEDIATYPE_Stream;
        type->subtype = MEDIASUBTYPE_Avi;
    }
    return fileName_.empty() ? E_FAIL : S_OK;
}
