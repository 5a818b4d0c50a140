// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One output of a capture device (its capture or preview pin): a leaky queue that drops frames the graph
// cannot take in time, so a slow consumer never stalls the device, and a gate behind it that holds the pin
// idle until its stream is started (stream control), discards data while the pin is not connected, and
// counts what it delivers.

#include "gst_filter.h"

#include <gst/gst.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <vector>

class CaptureOutput final : public IAMStreamControl, public IAMDroppedFrames {
public:
    // Adds the queue and then the conversion elements (already in bin, may be none) to the chain from
    // upstream (an element's or a tee's source pad). maxFrames is how many frames may wait before the oldest
    // is dropped. Frames that would not be delivered are discarded before the conversion.
    CaptureOutput(GstBin* bin, GstPad* upstream, guint maxFrames,
                  const std::vector<GstElement*>& conversion = {});
    ~CaptureOutput();
    CaptureOutput(const CaptureOutput&) = delete;
    CaptureOutput& operator=(const CaptureOutput&) = delete;

    // The pad to expose as the pin.
    GstPad* pad() const { return source_; }
    // The pin over pad(): gives the interfaces their identity and reference count.
    void setPin(GstPin* pin) { pin_ = pin; }
    GstPin* pin() const { return pin_; }

    // Ends the output's stream behind the frames it still holds, so its consumer gets all of them and then
    // end-of-stream; from then on it takes no frames until restart() or reopen(). What comes from upstream
    // meanwhile is dropped before the queue: an ended queue would answer it with end-of-stream, which a tee
    // upstream takes as the end of every branch, the preview's and the card sound's too. False when the
    // stream cannot end so (its consumer failed and the output stopped).
    bool endStream();
    // After endStream(): the device starts afresh when its graph next starts (its filter goes back to READY).
    void restart();
    // After endStream(), while the graph goes on running: the queue is flushed out of its end and takes
    // frames again, for the next consumer, without the device or its other outputs stopping. The stream's
    // format goes in again first. Call it only while nothing that must keep the ended stream is behind the
    // output: the flush and what follows it go downstream.
    void reopen();

    // Stream control is a device feature; an output without it always delivers.
    void setStreamControlled(bool controlled) { controlled_ = controlled; }
    bool streamControlled() const { return controlled_; }

    HRESULT QueryInterface(const Guid& iid, void** object) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;

    // IAMStreamControl
    HRESULT StartAt(const REFERENCE_TIME* start, DWORD cookie) override;
    HRESULT StopAt(const REFERENCE_TIME* stop, BOOL sendExtra, DWORD cookie) override;
    HRESULT GetInfo(AM_STREAM_INFO* info) override;

    // IAMDroppedFrames
    HRESULT GetNumDropped(LONG* dropped) override;
    // Frames delivered, and those waiting in the queue that will be.
    HRESULT GetNumNotDropped(LONG* delivered) override;
    HRESULT GetDroppedInfo(LONG size, LONG* frames, LONG* copied) override;
    HRESULT GetAverageFrameSize(LONG* bytes) override;

private:
    static GstPadProbeReturn onEnter(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    static GstPadProbeReturn onLeave(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    static GstPadProbeReturn onDeliver(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    static GstPadProbeReturn onArrive(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    bool linked() const;
    // The running time now, in 100 ns units, or 0 before the element runs.
    REFERENCE_TIME runningTimeNow() const;
    bool passes(REFERENCE_TIME time) const;
    // Called with the lock held for each frame that came out of the queue.
    void leftQueue(REFERENCE_TIME time);

    GstElement* queue_;
    GstPad* upstream_;
    std::atomic<bool> ended_{false};
    GstPad* source_;
    GstPin* pin_ = nullptr;
    bool controlled_ = true;

    mutable std::mutex mutex_;
    // Frame times in 100 ns units of running time. Until a start is scheduled the output delivers.
    REFERENCE_TIME start_ = 0;
    REFERENCE_TIME stop_ = MAXLONGLONG;
    DWORD startCookie_ = 0;
    DWORD stopCookie_ = 0;
    bool startDefined_ = false;
    bool stopDefined_ = false;
    std::uint64_t entered_ = 0;   // frames that reached the queue
    std::uint64_t left_ = 0;      // frames that came out of it
    std::uint64_t delivered_ = 0; // frames passed on to the pin's peer
    std::uint64_t bytes_ = 0;
    // Times of the frames waiting in the queue, oldest first. Those the gate will let through are on their
    // way to the consumer (the multiplexer holds the picture back while it interleaves sound): they count as
    // delivered, so the figures are the frames the file gets.
    std::deque<REFERENCE_TIME> waiting_;
    guint maxFrames_;
};
