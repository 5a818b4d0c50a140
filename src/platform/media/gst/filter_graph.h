// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The filter graph manager: a GStreamer pipeline of filters, run, sought and watched through the interfaces
// the player uses. Everything but the event queue is used on the GUI thread; the pipeline's threads reach the
// program only through the posted notify message.

#include "control_interfaces.h"
#include "gst_filter.h"
#include "platform/media/picture_options.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

// The element message a capture source posts when its device is lost (PostDeviceLost); the graph queues
// EC_DEVICE_LOST with the device's filter as first parameter.
inline constexpr const char* DeviceLostMessageName = "corvane-device-lost";

class AudioRendererFilter;
class DecoderFilter;
class VideoRenderer;

class FilterGraph final : public ComObject<IGraphBuilder, IMediaControl, IMediaEventEx, IMediaSeeking,
                                           IBasicAudio, IBasicVideo, IVideoWindow, IVideoPictureOptions> {
public:
    FilterGraph();

    // IGraphBuilder
    HRESULT AddFilter(IBaseFilter* filter, LPCWSTR name) override;
    HRESULT RemoveFilter(IBaseFilter* filter) override;
    HRESULT EnumFilters(IEnumFilters** filters) override;
    HRESULT FindFilterByName(LPCWSTR name, IBaseFilter** filter) override;
    HRESULT ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) override;
    HRESULT Disconnect(IPin* pin) override;
    HRESULT Render(IPin* output) override;
    HRESULT AddSourceFilter(LPCWSTR fileName, LPCWSTR filterName, IBaseFilter** filter) override;

    // IMediaControl
    HRESULT Run() override;
    HRESULT Pause() override;
    HRESULT Stop() override;
    HRESULT GetState(LONG timeoutMs, OAFilterState* state) override;

    // IMediaEventEx
    HRESULT GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeoutMs) override;
    HRESULT FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) override;
    HRESULT SetNotifyWindow(QObject* window, LONG message, LONG_PTR instance) override;

    // IMediaSeeking
    HRESULT SetTimeFormat(const Guid* format) override;
    HRESULT GetDuration(REFERENCE_TIME* duration) override;
    HRESULT GetStopPosition(REFERENCE_TIME* stop) override;
    HRESULT GetCurrentPosition(REFERENCE_TIME* current) override;
    HRESULT GetPositions(REFERENCE_TIME* current, REFERENCE_TIME* stop) override;
    HRESULT SetPositions(REFERENCE_TIME* current, DWORD currentFlags, REFERENCE_TIME* stop,
                         DWORD stopFlags) override;

    // IBasicAudio: the audio renderer's level; E_NOTIMPL when the graph renders no sound.
    HRESULT put_Volume(LONG volume) override;
    HRESULT get_Volume(LONG* volume) override;

    // IBasicVideo and IVideoWindow: the video renderer's; E_NOINTERFACE when the graph renders no picture.
    HRESULT GetVideoSize(LONG* width, LONG* height) override;
    HRESULT get_AvgTimePerFrame(double* seconds) override;
    HRESULT put_Owner(OAHWND owner) override;
    HRESULT get_Owner(OAHWND* owner) override;
    HRESULT put_WindowStyle(LONG style) override;
    HRESULT get_WindowStyle(LONG* style) override;
    HRESULT put_MessageDrain(OAHWND drain) override;
    HRESULT get_MessageDrain(OAHWND* drain) override;
    HRESULT put_Visible(LONG visible) override;
    HRESULT get_Visible(LONG* visible) override;
    HRESULT SetWindowPosition(LONG left, LONG top, LONG width, LONG height) override;
    HRESULT GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height) override;
    HRESULT put_FullScreenMode(LONG fullScreen) override;
    HRESULT get_FullScreenMode(LONG* fullScreen) override;
    // IVideoPictureOptions: the video renderer's as well.
    HRESULT put_Deinterlace(const char* choice) override;
    HRESULT GetPixelAspectRatio(std::int32_t* numerator, std::int32_t* denominator) override;
    HRESULT put_DisplayAspect(double aspect) override;
    HRESULT put_OverlayText(const QStringList& lines) override;

    // The pipeline, for tests and the benchmark.
    GstElement* pipeline() const { return pipeline_; }
    // The video renderer in the graph, or null.
    VideoRenderer* videoRenderer() const;

private:
    ~FilterGraph() override;

    static GstBusSyncReply onBusMessage(GstBus* bus, GstMessage* message, gpointer self);
    void queueEvent(LONG code, LONG_PTR param1, LONG_PTR param2);

    HRESULT renderFile(GstPin& output);
    HRESULT renderStream(GstPin& output);
    GstFilter* findFilter(FilterRole role) const;
    AudioRendererFilter* audioRenderer() const;
    std::wstring uniqueName(std::wstring name) const;
    bool isRunning() const;
    // Whether a source of the running graph is live (a capture device): its data cannot be sought.
    bool isLive() const;
    void syncWithPipeline(GstFilter& filter);
    // Breaks a link, also while data flows: the one way every link is taken apart. The output holds new
    // data; the input is flushed so data stuck behind it returns; the next state change or seek restarts it.
    void detach(GstPin& pin);
    // Notes that data was flushed out of the graph, remembering where it was, so it restarts from there.
    void rememberFlush();
    void unlink(GstPin& output, GstPin& input);
    // A held output lets its data go once everything behind it is linked up to a renderer: data entering a
    // filter whose output leads nowhere would stop the stream with a not-linked error.
    bool passesDataOn(const GstFilter& filter) const;
    void releaseHoldsThatCanFlow();
    // EC_STREAM_ERROR_STOPPED for source, once a run.
    void soundStopped(GstFilter* source, HRESULT result, const std::string& words);
    void restartIfFlushed();
    HRESULT seekTo(REFERENCE_TIME position, bool toKeyFrame);
    bool sendSeek(GstSeekFlags flags, gint64 target);
    bool waitForState(int timeoutMs) const;

    GstElement* pipeline_ = nullptr;
    std::vector<RefPtr<GstFilter>> filters_; // in the order of addition
    FILTER_STATE state_ = State_Stopped;
    REFERENCE_TIME lastPosition_ = 0;
    REFERENCE_TIME duration_ = -1;
    bool flushed_ = false;
    bool seekSettling_ = false;

    std::mutex eventMutex_;
    std::condition_variable eventArrived_;
    struct Event {
        LONG code;
        LONG_PTR param1;
        LONG_PTR param2;
    };
    std::deque<Event> events_;
    // The sound sources whose stream stopped on an error since the graph last stopped.
    std::vector<GstFilter*> stoppedSounds_;
    // Cleared by its owner before the window goes away (SetNotifyWindow with null).
    QObject* notifyWindow_ = nullptr;
    LONG notifyMessage_ = 0;
    LONG_PTR notifyInstance_ = 0;
    // The decoder whose streams are being discovered; errors then fail the discovery instead of being events.
    DecoderFilter* discovering_ = nullptr;
};
