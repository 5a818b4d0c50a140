// SPDX-License-Identifier: GPL-2.0-or-later
// The running side of the filter graph: state, events, positions, sound level and the video window.

#include "filter_graph.h"

#include "media_filters.h"

namespace {

constexpr int SettleTimeoutMs = 5000;
constexpr gint64 NanosecondsPerUnit = 100;

} // namespace

// --- State ---

bool FilterGraph::waitForState(int timeoutMs) const {
    return gst_element_get_state(pipeline_, nullptr, nullptr, GstClockTime(timeoutMs) * GST_MSECOND) !=
           GST_STATE_CHANGE_ASYNC;
}

void FilterGraph::restartIfFlushed() {
    if (flushed_) {
        seekTo(lastPosition_, false);
    }
}

HRESULT FilterGraph::Run() {
    restartIfFlushed();
    state_ = State_Running;
    const bool failed = gst_element_set_state(pipeline_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE;
    for (const auto& filter : filters_) {
        filter->graphRuns();
    }
    return failed ? E_FAIL : S_OK;
}

HRESULT FilterGraph::Pause() {
    restartIfFlushed();
    state_ = State_Paused;
    return gst_element_set_state(pipeline_, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE ? E_FAIL : S_OK;
}

HRESULT FilterGraph::Stop() {
    state_ = State_Stopped;
    {
        // A source that failed may run again after the stop.
        std::lock_guard lock(eventMutex_);
        stoppedSounds_.clear();
    }
    // Writers finish their files while the data can still reach them.
    for (const auto& filter : filters_) {
        filter->beforeStop();
    }
    if (filters_.empty()) {
        return gst_element_set_state(pipeline_, GST_STATE_NULL) == GST_STATE_CHANGE_FAILURE ? E_FAIL : S_OK;
    }
    // A stopped graph stays prerolled, so it can still be sought and shows its picture.
    restartIfFlushed();
    const GstStateChangeReturn paused = gst_element_set_state(pipeline_, GST_STATE_PAUSED);
    if (paused == GST_STATE_CHANGE_FAILURE) {
        return E_FAIL;
    }
    // A live graph has nothing to preroll or seek. Left paused, its sources stay half started, and a branch
    // built onto them next (the capture graph after the preview) can start on a source that already gave up
    // pushing into a pad that was flushing; from nothing, every element starts together.
    if (paused == GST_STATE_CHANGE_NO_PREROLL) {
        return gst_element_set_state(pipeline_, GST_STATE_NULL) == GST_STATE_CHANGE_FAILURE ? E_FAIL : S_OK;
    }
    return S_OK;
}

HRESULT FilterGraph::GetState(LONG timeoutMs, OAFilterState* state) {
    if (!state) {
        return E_POINTER;
    }
    *state = state_;
    const GstClockTime wait = timeoutMs < 0 ? GST_CLOCK_TIME_NONE : GstClockTime(timeoutMs) * GST_MSECOND;
    switch (gst_element_get_state(pipeline_, nullptr, nullptr, wait)) {
    case GST_STATE_CHANGE_ASYNC:
        return VFW_S_STATE_INTERMEDIATE;
    case GST_STATE_CHANGE_FAILURE:
        return E_FAIL;
    default:
        return S_OK;
    }
}

// --- Events ---

void FilterGraph::queueEvent(LONG code, LONG_PTR param1, LONG_PTR param2) {
    std::lock_guard lock(eventMutex_);
    events_.push_back({code, param1, param2});
    if (notifyWindow_) {
        PostMessage(notifyWindow_, UINT(notifyMessage_), 0, notifyInstance_);
    }
    eventArrived_.notify_all();
}

HRESULT FilterGraph::GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeoutMs) {
    if (!code || !param1 || !param2) {
        return E_POINTER;
    }
    std::unique_lock lock(eventMutex_);
    auto hasEvent = [this] { return !events_.empty(); };
    if (timeoutMs < 0) {
        eventArrived_.wait(lock, hasEvent);
    } else if (!eventArrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), hasEvent)) {
        return E_ABORT;
    }
    const Event event = events_.front();
    events_.pop_front();
    *code = event.code;
    *param1 = event.param1;
    *param2 = event.param2;
    return S_OK;
}

HRESULT FilterGraph::FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) {
    // A lost device's event holds a reference to the device's filter.
    if (code == EC_DEVICE_LOST && param1) {
        reinterpret_cast<IUnknown*>(param1)->Release();
    }
    if (code == EC_STREAM_ERROR_STOPPED) {
        g_free(reinterpret_cast<gchar*>(param2));
    }
    return S_OK;
}

HRESULT FilterGraph::SetNotifyWindow(QObject* window, LONG message, LONG_PTR instance) {
    std::lock_guard lock(eventMutex_);
    notifyWindow_ = window;
    notifyMessage_ = message;
    notifyInstance_ = instance;
    return S_OK;
}

// --- Positions ---

HRESULT FilterGraph::SetTimeFormat(const Guid* format) {
    if (!format) {
        return E_POINTER;
    }
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : E_INVALIDARG;
}

HRESULT FilterGraph::GetDuration(REFERENCE_TIME* duration) {
    if (!duration) {
        return E_POINTER;
    }
    if (duration_ < 0) {
        gint64 nanoseconds = 0;
        if (!gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &nanoseconds)) {
            // The demuxer answers once the stream is prerolled.
            waitForState(SettleTimeoutMs);
            if (!gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &nanoseconds)) {
                return E_FAIL;
            }
        }
        duration_ = nanoseconds / NanosecondsPerUnit;
    }
    *duration = duration_;
    return S_OK;
}

HRESULT FilterGraph::GetStopPosition(REFERENCE_TIME* stop) {
    return GetDuration(stop);
}

HRESULT FilterGraph::GetCurrentPosition(REFERENCE_TIME* current) {
    if (!current) {
        return E_POINTER;
    }
    // While a seek settles the sinks still report the old position; the target is what the user asked for.
    if (seekSettling_ && gst_element_get_state(pipeline_, nullptr, nullptr, 0) == GST_STATE_CHANGE_ASYNC) {
        *current = lastPosition_;
        return S_OK;
    }
    seekSettling_ = false;
    gint64 nanoseconds = 0;
    if (!flushed_ && gst_element_query_position(pipeline_, GST_FORMAT_TIME, &nanoseconds)) {
        lastPosition_ = nanoseconds / NanosecondsPerUnit;
    }
    *current = lastPosition_;
    return S_OK;
}

HRESULT FilterGraph::GetPositions(REFERENCE_TIME* current, REFERENCE_TIME* stop) {
    HRESULT result = S_OK;
    if (current) {
        result = GetCurrentPosition(current);
    }
    if (stop && SUCCEEDED(result)) {
        result = GetStopPosition(stop);
    }
    return result;
}

HRESULT FilterGraph::seekTo(REFERENCE_TIME position, bool toKeyFrame) {
    position = std::max<REFERENCE_TIME>(position, 0);
    lastPosition_ = position;
    if (filters_.empty() || GST_STATE_TARGET(pipeline_) < GST_STATE_PAUSED) {
        return S_OK; // applied when the graph starts
    }
    const auto flags =
        GstSeekFlags(GST_SEEK_FLAG_FLUSH | (toKeyFrame ? GST_SEEK_FLAG_KEY_UNIT | GST_SEEK_FLAG_SNAP_BEFORE
                                                       : GST_SEEK_FLAG_ACCURATE));
    const gint64 target = position * NanosecondsPerUnit;
    if (!sendSeek(flags, target)) {
        // Elements still being linked up refuse a seek until they are ready for data, which may be held back.
        releaseHoldsThatCanFlow();
        waitForState(SettleTimeoutMs);
        if (!sendSeek(flags, target)) {
            return E_FAIL;
        }
    }
    flushed_ = false;
    seekSettling_ = true;
    // The seek has flushed and restarted the stream; held data now meets no flush on its way.
    releaseHoldsThatCanFlow();
    return S_OK;
}

bool FilterGraph::sendSeek(GstSeekFlags flags, gint64 target) {
    // The seek goes in at the decoder's output, so it reaches the demuxer even while a renderer whose link
    // just changed still refuses events; the flush it starts travels down through every filter and restarts
    // them.
    for (const auto& filter : filters_) {
        if (filter->role() != FilterRole::Decoder) {
            continue;
        }
        for (const auto& pin : filter->pins()) {
            if (pin->direction() == PINDIR_OUTPUT) {
                return gst_pad_send_event(pin->pad(),
                                          gst_event_new_seek(1.0, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET,
                                                             target, GST_SEEK_TYPE_NONE, -1));
            }
        }
    }
    return gst_element_seek_simple(pipeline_, GST_FORMAT_TIME, flags, target);
}

HRESULT FilterGraph::SetPositions(REFERENCE_TIME* current, DWORD currentFlags, REFERENCE_TIME*, DWORD) {
    const DWORD positioning = currentFlags & AM_SEEKING_PositioningBitsMask;
    if (positioning == AM_SEEKING_NoPositioning) {
        return S_OK;
    }
    if (!current) {
        return E_POINTER;
    }
    REFERENCE_TIME target = *current;
    if (positioning == AM_SEEKING_RelativePositioning) {
        REFERENCE_TIME now = 0;
        GetCurrentPosition(&now);
        target += now;
    }
    return seekTo(target, (currentFlags & AM_SEEKING_SeekToKeyFrame) != 0);
}

// --- Sound level ---

HRESULT FilterGraph::put_Volume(LONG volume) {
    AudioRendererFilter* renderer = audioRenderer();
    return renderer ? renderer->setVolume(volume) : E_NOTIMPL;
}

HRESULT FilterGraph::get_Volume(LONG* volume) {
    if (!volume) {
        return E_POINTER;
    }
    AudioRendererFilter* renderer = audioRenderer();
    if (!renderer) {
        return E_NOTIMPL;
    }
    *volume = renderer->volume();
    return S_OK;
}

// --- Picture: the video renderer's window and size ---

#define FORWARD_TO_VIDEO_RENDERER(call)                                                                      \
    do {                                                                                                     \
        VideoRenderer* renderer = videoRenderer();                                                           \
        return renderer ? renderer->call : E_NOINTERFACE;                                                    \
    } while (false)

HRESULT FilterGraph::GetVideoSize(LONG* width, LONG* height) {
    FORWARD_TO_VIDEO_RENDERER(GetVideoSize(width, height));
}
HRESULT FilterGraph::get_AvgTimePerFrame(double* seconds) {
    FORWARD_TO_VIDEO_RENDERER(get_AvgTimePerFrame(seconds));
}
HRESULT FilterGraph::put_Owner(OAHWND owner) {
    FORWARD_TO_VIDEO_RENDERER(put_Owner(owner));
}
HRESULT FilterGraph::get_Owner(OAHWND* owner) {
    FORWARD_TO_VIDEO_RENDERER(get_Owner(owner));
}
HRESULT FilterGraph::put_WindowStyle(LONG style) {
    FORWARD_TO_VIDEO_RENDERER(put_WindowStyle(style));
}
HRESULT FilterGraph::get_WindowStyle(LONG* style) {
    FORWARD_TO_VIDEO_RENDERER(get_WindowStyle(style));
}
HRESULT FilterGraph::put_MessageDrain(OAHWND drain) {
    FORWARD_TO_VIDEO_RENDERER(put_MessageDrain(drain));
}
HRESULT FilterGraph::get_MessageDrain(OAHWND* drain) {
    FORWARD_TO_VIDEO_RENDERER(get_MessageDrain(drain));
}
HRESULT FilterGraph::put_Visible(LONG visible) {
    FORWARD_TO_VIDEO_RENDERER(put_Visible(visible));
}
HRESULT FilterGraph::get_Visible(LONG* visible) {
    FORWARD_TO_VIDEO_RENDERER(get_Visible(visible));
}
HRESULT FilterGraph::SetWindowPosition(LONG left, LONG top, LONG width, LONG height) {
    FORWARD_TO_VIDEO_RENDERER(SetWindowPosition(left, top, width, height));
}
HRESULT FilterGraph::GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height) {
    FORWARD_TO_VIDEO_RENDERER(GetWindowPosition(left, top, width, height));
}
HRESULT FilterGraph::put_FullScreenMode(LONG fullScreen) {
    FORWARD_TO_VIDEO_RENDERER(put_FullScreenMode(fullScreen));
}
HRESULT FilterGraph::get_FullScreenMode(LONG* fullScreen) {
    FORWARD_TO_VIDEO_RENDERER(get_FullScreenMode(fullScreen));
}
HRESULT FilterGraph::put_Deinterlace(const char* choice) {
    FORWARD_TO_VIDEO_RENDERER(put_Deinterlace(choice));
}
HRESULT FilterGraph::GetPixelAspectRatio(std::int32_t* numerator, std::int32_t* denominator) {
    FORWARD_TO_VIDEO_RENDERER(GetPixelAspectRatio(numerator, denominator));
}
HRESULT FilterGraph::put_DisplayAspect(double aspect) {
    FORWARD_TO_VIDEO_RENDERER(put_DisplayAspect(aspect));
}
HRESULT FilterGraph::put_OverlayText(const QStringList& lines) {
    FORWARD_TO_VIDEO_RENDERER(put_OverlayText(lines));
}
