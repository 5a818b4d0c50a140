// SPDX-License-Identifier: GPL-2.0-or-later
#include "capture_output.h"

#include "running_graphs.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr std::size_t kDroppedInfoKept = 256;
// A push into a leaky queue returns at once; the bound only guards against an element that never returns.
constexpr int kIdleTimeoutMs = 2000;
constexpr std::uint64_t kFramesBetweenDumps = 250;

REFERENCE_TIME UnitsOf(GstClockTime time) {
    return GST_CLOCK_TIME_IS_VALID(time) ? static_cast<REFERENCE_TIME>(time / 100) : 0;
}

} // namespace

CaptureOutput::CaptureOutput(GstBin* bin, GstPad* upstream, guint maxFrames,
                             const std::vector<GstElement*>& conversion)
    : upstream_(GST_PAD(gst_object_ref(upstream))), maxFrames_(maxFrames) {
    queue_ = gst_element_factory_make("queue", nullptr);
    // Leaky at the consumer's end: when the consumer falls behind, the oldest frame goes, as a card's
    // driver drops a frame for which it has no buffer.
    g_object_set(queue_, "leaky", 2, "max-size-buffers", maxFrames, "max-size-bytes", 0u, "max-size-time",
                 guint64(0), nullptr);
    gst_bin_add(bin, queue_);
    GstPad* sink = gst_element_get_static_pad(queue_, "sink");
    gst_pad_link(upstream, sink);
    gst_pad_add_probe(upstream, GST_PAD_PROBE_TYPE_BUFFER, &CaptureOutput::onArrive, this, nullptr);
    gst_pad_add_probe(sink, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_FLUSH),
                      &CaptureOutput::onEnter, this, nullptr);
    gst_object_unref(sink);
    GstPad* left = gst_element_get_static_pad(queue_, "src");
    gst_pad_add_probe(left, GST_PAD_PROBE_TYPE_BUFFER, &CaptureOutput::onLeave, this, nullptr);
    gst_object_unref(left);
    GstElement* last = queue_;
    for (GstElement* element : conversion) {
        gst_element_link(last, element);
        last = element;
    }
    source_ = gst_element_get_static_pad(last, "src");
    gst_pad_add_probe(source_, GST_PAD_PROBE_TYPE_BUFFER, &CaptureOutput::onDeliver, this, nullptr);
}

CaptureOutput::~CaptureOutput() {
    gst_object_unref(source_);
    gst_object_unref(upstream_);
}

GstPadProbeReturn CaptureOutput::onArrive(GstPad*, GstPadProbeInfo*, gpointer self) {
    return static_cast<CaptureOutput*>(self)->ended_ ? GST_PAD_PROBE_DROP : GST_PAD_PROBE_OK;
}

HRESULT CaptureOutput::QueryInterface(const Guid& iid, void** object) {
    return pin_ ? pin_->QueryInterface(iid, object) : E_NOINTERFACE;
}
std::uint32_t CaptureOutput::AddRef() {
    return pin_ ? pin_->AddRef() : 1;
}
std::uint32_t CaptureOutput::Release() {
    return pin_ ? pin_->Release() : 1;
}

GstPadProbeReturn CaptureOutput::onEnter(GstPad*, GstPadProbeInfo* info, gpointer self) {
    auto* output = static_cast<CaptureOutput*>(self);
    std::lock_guard lock(output->mutex_);
    if (!(GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_BUFFER)) {
        // A flush empties the queue.
        output->waiting_.clear();
        return GST_PAD_PROBE_OK;
    }
    ++output->entered_;
    output->waiting_.push_back(UnitsOf(GST_BUFFER_PTS(GST_PAD_PROBE_INFO_BUFFER(info))));
    // The queue never holds more; older entries are frames it dropped.
    while (output->waiting_.size() > output->maxFrames_) {
        output->waiting_.pop_front();
    }
    return GST_PAD_PROBE_OK;
}

void CaptureOutput::leftQueue(REFERENCE_TIME time) {
    // Frames the queue dropped left from its old end without passing here.
    while (!waiting_.empty() && waiting_.front() != time) {
        waiting_.pop_front();
    }
    if (!waiting_.empty()) {
        waiting_.pop_front();
    }
}

bool CaptureOutput::endStream() {
    ended_ = true;
    // A frame already past the drop on its way in must not meet the end of the stream.
    WaitUntilIdle(upstream_, kIdleTimeoutMs);
    GstPad* sink = gst_element_get_static_pad(queue_, "sink");
    const bool accepted = gst_pad_send_event(sink, gst_event_new_eos());
    gst_object_unref(sink);
    return accepted;
}

void CaptureOutput::reopen() {
    if (!ended_) {
        return;
    }
    GstPad* sink = gst_element_get_static_pad(queue_, "sink");
    if (gst_pad_is_active(sink)) {
        // The flush takes the end of the stream out of the queue and restarts its thread; it also forgets the
        // stream's segment, which the upstream pad would not send again by itself.
        gst_pad_send_event(sink, gst_event_new_flush_start());
        gst_pad_send_event(sink, gst_event_new_flush_stop(FALSE));
        for (GstEventType type : {GST_EVENT_STREAM_START, GST_EVENT_CAPS, GST_EVENT_SEGMENT}) {
            if (GstEvent* sticky = gst_pad_get_sticky_event(upstream_, type, 0)) {
                gst_pad_send_event(sink, sticky);
            }
        }
    }
    gst_object_unref(sink);
    ended_ = false;
}

void CaptureOutput::restart() {
    if (!ended_) {
        return;
    }
    ended_ = false;
    // The queue and the source upstream of it stay at their end until they are started again from READY;
    // the graph's own state change brings the filter back up.
    if (GstElement* filter = GST_ELEMENT(gst_element_get_parent(queue_))) {
        gst_element_set_state(filter, GST_STATE_READY);
        gst_object_unref(filter);
    }
}

bool CaptureOutput::linked() const {
    return pin_ && gst_pad_is_linked(pin_->pad());
}

GstPadProbeReturn CaptureOutput::onLeave(GstPad*, GstPadProbeInfo* info, gpointer self) {
    auto* output = static_cast<CaptureOutput*>(self);
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    const bool linked = output->linked();
    std::lock_guard lock(output->mutex_);
    ++output->left_;
    output->leftQueue(UnitsOf(GST_BUFFER_PTS(buffer)));
    // Nothing behind the pin, or its stream not started: the frame goes no further.
    if (!linked || !output->passes(UnitsOf(GST_BUFFER_PTS(buffer)))) {
        return GST_PAD_PROBE_DROP;
    }
    return GST_PAD_PROBE_OK;
}

GstPadProbeReturn CaptureOutput::onDeliver(GstPad*, GstPadProbeInfo* info, gpointer self) {
    auto* output = static_cast<CaptureOutput*>(self);
    // The pin may have been disconnected while the frame was being converted: discard it quietly instead of
    // stopping the device as not linked.
    if (!output->linked()) {
        return GST_PAD_PROBE_DROP;
    }
    std::uint64_t delivered = 0;
    {
        std::lock_guard lock(output->mutex_);
        delivered = ++output->delivered_;
        output->bytes_ += gst_buffer_get_size(GST_PAD_PROBE_INFO_BUFFER(info));
    }
    // The graph dumps show the graph as it runs: from its first frame, then every ten seconds or so.
    if ((delivered == 1 || delivered % kFramesBetweenDumps == 0) && std::getenv("CORVANE_GRAPH_DUMP")) {
        DumpRunningGraphs();
    }
    return GST_PAD_PROBE_OK;
}

bool CaptureOutput::passes(REFERENCE_TIME time) const {
    if (!controlled_) {
        return true;
    }
    return time >= start_ && start_ != MAXLONGLONG && (stop_ == MAXLONGLONG || time < stop_);
}

REFERENCE_TIME CaptureOutput::runningTimeNow() const {
    GstClock* clock = gst_element_get_clock(queue_);
    if (!clock) {
        return 0;
    }
    const GstClockTime now = gst_clock_get_time(clock);
    gst_object_unref(clock);
    const GstClockTime base = gst_element_get_base_time(queue_);
    return now > base ? UnitsOf(now - base) : 0;
}

HRESULT CaptureOutput::StartAt(const REFERENCE_TIME* start, DWORD cookie) {
    if (!controlled_) {
        return E_NOTIMPL;
    }
    const REFERENCE_TIME when = start ? *start : runningTimeNow();
    std::lock_guard lock(mutex_);
    start_ = when;
    startCookie_ = cookie;
    startDefined_ = start != nullptr;
    return S_OK;
}

HRESULT CaptureOutput::StopAt(const REFERENCE_TIME* stop, BOOL, DWORD cookie) {
    if (!controlled_) {
        return E_NOTIMPL;
    }
    const REFERENCE_TIME when = stop ? *stop : runningTimeNow();
    std::lock_guard lock(mutex_);
    stop_ = when;
    stopCookie_ = cookie;
    stopDefined_ = stop != nullptr && *stop != MAXLONGLONG;
    return S_OK;
}

HRESULT CaptureOutput::GetInfo(AM_STREAM_INFO* info) {
    if (!info) {
        return E_POINTER;
    }
    std::lock_guard lock(mutex_);
    info->tStart = start_;
    info->tStop = stop_;
    info->dwStartCookie = startCookie_;
    info->dwStopCookie = stopCookie_;
    info->dwFlags = (startDefined_ ? AM_STREAM_INFO_START_DEFINED : 0) |
                    (stopDefined_ ? AM_STREAM_INFO_STOP_DEFINED : 0) |
                    (controlled_ && start_ == MAXLONGLONG ? AM_STREAM_INFO_DISCARDING : 0);
    return S_OK;
}

HRESULT CaptureOutput::GetNumDropped(LONG* dropped) {
    if (!dropped) {
        return E_POINTER;
    }
    guint waiting = 0;
    g_object_get(queue_, "current-level-buffers", &waiting, nullptr);
    std::lock_guard lock(mutex_);
    // What entered the queue and neither left it nor waits in it was dropped by it.
    const std::uint64_t accounted = left_ + waiting;
    *dropped = static_cast<LONG>(entered_ > accounted ? entered_ - accounted : 0);
    return S_OK;
}

HRESULT CaptureOutput::GetNumNotDropped(LONG* delivered) {
    if (!delivered) {
        return E_POINTER;
    }
    const bool connected = linked();
    std::lock_guard lock(mutex_);
    const auto onTheirWay = connected ? std::count_if(waiting_.begin(), waiting_.end(),
                                                      [this](REFERENCE_TIME time) { return passes(time); })
                                      : 0;
    *delivered = static_cast<LONG>(delivered_ + static_cast<std::uint64_t>(onTheirWay));
    return S_OK;
}

HRESULT CaptureOutput::GetDroppedInfo(LONG size, LONG* frames, LONG* copied) {
    if (!frames || !copied) {
        return E_POINTER;
    }
    if (size <= 0) {
        return E_INVALIDARG;
    }
    // Frames are not numbered individually; the dropped ones are reported as the last numbers taken in.
    LONG dropped = 0;
    GetNumDropped(&dropped);
    std::lock_guard lock(mutex_);
    *copied = std::min<LONG>(size, std::min<LONG>(dropped, static_cast<LONG>(kDroppedInfoKept)));
    for (LONG i = 0; i < *copied; ++i) {
        frames[i] = static_cast<LONG>(entered_) - dropped + i;
    }
    return S_OK;
}

HRESULT CaptureOutput::GetAverageFrameSize(LONG* bytes) {
    if (!bytes) {
        return E_POINTER;
    }
    std::lock_guard lock(mutex_);
    *bytes = delivered_ ? static_cast<LONG>(bytes_ / delivered_) : 0;
    return S_OK;
}
