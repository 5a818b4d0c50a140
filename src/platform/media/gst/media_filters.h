// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The filters the graph builds for playback: the file source, the decoder with one output pin per stream,
// and the audio and video renderers.

#include "gst_filter.h"
#include "platform/media/video_renderer.h"

#include <condition_variable>
#include <mutex>

class FileSourceFilter final : public GstFilter {
public:
    // Null when the file cannot be read.
    static RefPtr<FileSourceFilter> create(const std::string& localPath, HRESULT* result);

private:
    FileSourceFilter();
};

class DecoderFilter final : public GstFilter {
public:
    DecoderFilter();

    enum class Discovery { Streams, Failed, TimedOut };
    // Waits until the decoder has found every stream it can decode, an error aborts it, or the time runs out.
    // Each stream found becomes an output pin whose data is held back until releaseStreams().
    Discovery awaitStreams(int timeoutMs);
    // Called from any thread when the pipeline reports an error while streams are being discovered.
    void abortDiscovery();
    void releaseStreams();

private:
    ~DecoderFilter() override;
    static void onPadAdded(GstElement* element, GstPad* pad, gpointer self);
    static void onNoMorePads(GstElement* element, gpointer self);

    struct FoundStream {
        GstPad* pad;
        gulong probe;
        PinKind kind;
    };
    GstElement* decodebin_ = nullptr;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<FoundStream> found_;
    bool complete_ = false;
    bool aborted_ = false;
};

extern const wchar_t* const AudioRendererName;
extern const wchar_t* const AudioRendererPinName;

class AudioRendererFilter final : public GstFilter {
public:
    AudioRendererFilter();

    HRESULT setVolume(LONG hundredthsOfDecibel);
    LONG volume() const { return volume_; }

private:
    GstElement* volumeElement_ = nullptr;
    LONG volume_ = 0;
};

class VideoRendererFilter final : public GstFilter {
public:
    VideoRendererFilter();

    VideoRenderer& renderer() const { return *renderer_; }
    void inputConnected(GstPin& pin) override;

private:
    ~VideoRendererFilter() override;
    static GstFlowReturn onSample(GstElement* sink, gpointer self);
    static GstFlowReturn onPreroll(GstElement* sink, gpointer self);
    void present(GstSample* sample);

    RefPtr<VideoRenderer> renderer_;
};

// Linear gain of a level in hundredths of a decibel; -10000 and below is silence.
double GainOfLevel(LONG hundredthsOfDecibel);
