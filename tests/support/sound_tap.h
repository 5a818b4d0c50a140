// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the card-sound renderer plays, caught at its output: the renderer's sink becomes an appsink taking
// 48 kHz mono 16-bit samples at the clock's pace, which a test waits for and measures. The tone's frequency
// is counted from the samples' zero crossings, never taken from the card.

#include "platform/media/gst/card_sound_renderer.h"
#include "tone_measure.h"

#include <gst/app/gstappsink.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

inline constexpr int kTapRate = 48000;

class SoundTap {
public:
    SoundTap() {
        SetCardSoundSinkFactory([this] { return makeSink(); });
    }
    ~SoundTap() {
        SetCardSoundSinkFactory({});
        std::lock_guard lock(mutex_);
        for (GstElement* sink : sinks_) {
            gst_object_unref(sink);
        }
    }
    SoundTap(const SoundTap&) = delete;
    SoundTap& operator=(const SoundTap&) = delete;

    // Samples played so far.
    std::size_t count() const {
        std::lock_guard lock(mutex_);
        return samples_.size();
    }
    // Waits (processing the GUI thread's events) until count samples have been played after from, and
    // returns them; fewer only when the sound stops coming for 10 s, which fails the test that waits.
    std::vector<std::int16_t> next(std::size_t from, std::size_t count) {
        QElapsedTimer waited;
        waited.start();
        std::unique_lock lock(mutex_);
        while (samples_.size() < from + count && waited.elapsed() < 10000) {
            lock.unlock();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            lock.lock();
            arrived_.wait_for(lock, std::chrono::milliseconds(10));
        }
        const std::size_t end = std::min(samples_.size(), from + count);
        return {samples_.begin() + std::min(from, end), samples_.begin() + end};
    }
    // The next count samples from now.
    std::vector<std::int16_t> next(std::size_t count) { return next(this->count(), count); }

    // Buffers played so far.
    std::size_t buffers() const {
        std::lock_guard lock(mutex_);
        return spans_.size();
    }
    // The longest stretch of the stream's time without sound between the buffers played from buffer first
    // on: what a listener would miss. Zero for a stream without gaps.
    GstClockTime longestGapSince(std::size_t first) const {
        GstClockTime longest = 0;
        for (const auto& [buffer, gap] : gapsSince(first)) {
            longest = std::max(longest, gap);
        }
        return longest;
    }
    // Each gap from buffer first on: the buffer after it, and how long it is.
    std::vector<std::pair<std::size_t, GstClockTime>> gapsSince(std::size_t first) const {
        std::lock_guard lock(mutex_);
        std::vector<std::pair<std::size_t, GstClockTime>> gaps;
        for (std::size_t i = std::max<std::size_t>(first, 1); i < spans_.size(); ++i) {
            const auto [start, length] = spans_[i - 1];
            if (!GST_CLOCK_TIME_IS_VALID(start) || !GST_CLOCK_TIME_IS_VALID(length)) {
                continue;
            }
            const GstClockTime end = start + length;
            if (GST_CLOCK_TIME_IS_VALID(spans_[i].first) && spans_[i].first > end) {
                gaps.emplace_back(i, spans_[i].first - end);
            }
        }
        return gaps;
    }

    // The sinks made so far (one per renderer), for their state.
    std::vector<GstElement*> sinks() const {
        std::lock_guard lock(mutex_);
        return sinks_;
    }

private:
    GstElement* makeSink() {
        GstElement* sink = gst_element_factory_make("appsink", nullptr);
        GstCaps* caps =
            gst_caps_from_string("audio/x-raw,format=S16LE,channels=1,rate=48000,layout=interleaved");
        g_object_set(sink, "caps", caps, "sync", TRUE, "emit-signals", FALSE, nullptr);
        gst_caps_unref(caps);
        GstAppSinkCallbacks callbacks{};
        callbacks.new_sample = [](GstAppSink* appsink, gpointer self) {
            static_cast<SoundTap*>(self)->take(appsink);
            return GST_FLOW_OK;
        };
        gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, this, nullptr);
        std::lock_guard lock(mutex_);
        sinks_.push_back(GST_ELEMENT(gst_object_ref(sink)));
        return sink;
    }
    void take(GstAppSink* sink) {
        GstSample* sample = gst_app_sink_pull_sample(sink);
        if (!sample) {
            return;
        }
        GstMapInfo map;
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            const auto* data = reinterpret_cast<const std::int16_t*>(map.data);
            {
                std::lock_guard lock(mutex_);
                samples_.insert(samples_.end(), data, data + map.size / 2);
                spans_.emplace_back(GST_BUFFER_PTS(buffer), GST_BUFFER_DURATION(buffer));
            }
            gst_buffer_unmap(buffer, &map);
            arrived_.notify_all();
        }
        gst_sample_unref(sample);
    }

    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<std::int16_t> samples_;
    // Each buffer's time in the stream and its length.
    std::vector<std::pair<GstClockTime, GstClockTime>> spans_;
    std::vector<GstElement*> sinks_;
};
