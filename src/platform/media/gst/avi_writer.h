// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Recording to a file: the AVI multiplexer (avimux, which writes the idx1 index after the movi list) and the
// file writer (filesink). Stopping the graph, or taking the multiplexer out of a graph that runs on (a
// recording beside the preview), finishes the file first: end-of-stream starts at each capture device's
// output, behind the frames still on their way, and the graph waits, bounded, until the writer has it; a
// stream that does not end so gets it straight at the multiplexer's input. A stopped recording is a complete
// AVI even after the device was lost or an error stopped the data.

#include "gst_filter.h"
#include "video_gap_filler.h"

class CaptureOutput;

#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

class AviMuxFilter final : public GstFilter, public IConfigAviMux {
public:
    AviMuxFilter();

    HRESULT QueryInterface(const Guid& iid, void** object) override {
        return GstFilter::QueryInterface(iid, object);
    }
    std::uint32_t AddRef() override { return GstFilter::AddRef(); }
    std::uint32_t Release() override { return GstFilter::Release(); }

    // IConfigAviMux
    HRESULT SetMasterStream(LONG stream) override;
    HRESULT GetMasterStream(LONG* stream) override;
    HRESULT SetOutputCompatibilityIndex(BOOL index) override;
    HRESULT GetOutputCompatibilityIndex(BOOL* index) override;

    // A new input pin ("Input 01", "Input 02", ...) for a stream of that kind; video says which of the
    // multiplexer's inputs a compressed stream needs. Null when the multiplexer refuses another stream.
    GstPin* addInput(PinKind kind, bool video);
    // Gives back an input that could not be connected: an input without data would hold the file back.
    void dropInput(GstPin& pin);
    // The input pins made so far, in order.
    int inputCount() const { return inputs_; }

    void beforeStop() override;
    void beforeRemoval() override;
    void graphRuns() override;

private:
    void* queryOtherInterface(const Guid& iid) override;
    // Ends the file; bounded by timeoutMs. The sources it ended start afresh with the graph's next start,
    // or at once when the graph goes on running without the multiplexer.
    void finish(int timeoutMs, bool graphGoesOn);
    static std::vector<CaptureOutput*> outputsFeeding(GstPin& input);
    bool everyInputFed(const std::vector<GstPad*>& inputs);

    GstElement* mux_ = nullptr;
    int inputs_ = 0;
    // Inputs that have had data; a file some stream never reached (its compressor failed) is no recording.
    std::mutex fedMutex_;
    std::set<GstPad*> fed_;
    // Taken from each input's first data, before the picture's gaps are filled.
    std::shared_ptr<StreamsStart> start_ = std::make_shared<StreamsStart>();
    // The inputs' probes that drop their data until the graph runs (joining a running graph), by pad.
    std::vector<std::pair<GstPad*, gulong>> beforeRun_;
    LONG masterStream_ = -1;
    bool finished_ = false;
};

class FileWriterFilter final : public GstFilter, public IFileSinkFilter {
public:
    FileWriterFilter();

    HRESULT QueryInterface(const Guid& iid, void** object) override {
        return GstFilter::QueryInterface(iid, object);
    }
    std::uint32_t AddRef() override { return GstFilter::AddRef(); }
    std::uint32_t Release() override { return GstFilter::Release(); }

    // IFileSinkFilter
    HRESULT SetFileName(LPCOLESTR fileName, const AM_MEDIA_TYPE* type) override;
    HRESULT GetCurFile(std::wstring* fileName, AM_MEDIA_TYPE* type) override;

    // True once end-of-stream reached the writer within the time.
    bool waitForEnd(int timeoutMs);
    // The file ended complete: it takes its own name. Until then it is written as NAME.part, so a recording
    // that fails leaves nothing that looks like a recording under the name asked for.
    void keepFile();
    // Whether the file is open (the writer started).
    bool writing() const { return GST_STATE(sink_) >= GST_STATE_PAUSED; }

    void beforeStop() override;

private:
    void* queryOtherInterface(const Guid& iid) override;
    static GstPadProbeReturn onEvent(GstPad* pad, GstPadProbeInfo* info, gpointer self);

    GstElement* sink_ = nullptr;
    std::wstring fileName_;
    // Where the data goes until the file is complete; empty when it goes straight to fileName_ (a device).
    std::string partPath_;
    std::mutex mutex_;
    std::condition_variable ended_;
    bool endReached_ = false;
};
