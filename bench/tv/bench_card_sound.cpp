// SPDX-License-Identifier: GPL-2.0-or-later
// The card's sound from the virtual card's source to the output, with the TV preview running at 720 x 576:
// how long a sample takes from its capture (its timestamp is the running time it was taken at) to the moment
// a sink on the graph's clock plays it, and whether that delay moves over a long preview. The output is an
// appsink synchronised to the clock in place of autoaudiosink, so the figure is the program's part (the
// tee, the queue, conversion, resampling and the wait for the play time); a desktop's output adds its own
// buffer (kCardSoundBufferUs) on top. The virtual card's sound runs on the graph's clock, so any drift seen
// here is the program's own. CORVANE_BENCH_SECONDS sets the length (default 60; 600 for ten minutes).
// Reports figures only.

#include "card_bench.h"
#include "platform/media/deinterlace_methods.h"
#include "platform/media/gst/card_sound_renderer.h"

#include <gst/app/gstappsink.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct Played {
    double atSeconds; // since the first sample played
    double delayMs;
};

// Every buffer the output plays: when, and how long after its capture.
class DelayProbe {
public:
    GstElement* makeSink() {
        GstElement* sink = gst_element_factory_make("appsink", nullptr);
        g_object_set(sink, "sync", TRUE, "emit-signals", FALSE, nullptr);
        GstAppSinkCallbacks callbacks{};
        callbacks.new_sample = [](GstAppSink* appsink, gpointer self) {
            static_cast<DelayProbe*>(self)->take(appsink);
            return GST_FLOW_OK;
        };
        gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, this, nullptr);
        return sink;
    }
    std::vector<Played> played() const {
        std::lock_guard lock(mutex_);
        return played_;
    }

private:
    void take(GstAppSink* sink) {
        GstSample* sample = gst_app_sink_pull_sample(sink);
        if (!sample) {
            return;
        }
        const GstBuffer* buffer = gst_sample_get_buffer(sample);
        const GstClockTime now = gst_element_get_current_running_time(GST_ELEMENT(sink));
        if (buffer && GST_BUFFER_PTS_IS_VALID(buffer) && GST_CLOCK_TIME_IS_VALID(now)) {
            const double delayMs = (double(now) - double(GST_BUFFER_PTS(buffer))) / 1e6;
            std::lock_guard lock(mutex_);
            if (played_.empty()) {
                first_ = now;
            }
            played_.push_back({double(now - first_) / 1e9, delayMs});
        }
        gst_sample_unref(sample);
    }

    mutable std::mutex mutex_;
    std::vector<Played> played_;
    GstClockTime first_ = 0;
};

double MeanDelay(const std::vector<Played>& played, double from, double to) {
    double sum = 0;
    int count = 0;
    for (const Played& p : played) {
        if (p.atSeconds >= from && p.atSeconds < to) {
            sum += p.delayMs;
            ++count;
        }
    }
    return count ? sum / count : 0;
}

// Argument 0: the picture shown without deinterlacing; 1: with the default method. One graph carries picture
// and sound, and its outputs play in step, so the picture's own delay is the sound's too.
void BM_CardSoundDelay(benchmark::State& state) {
    const double seconds = Seconds(60.0);
    const std::string deinterlace = state.range(0) ? kDefaultDeinterlace : kDeinterlaceOff;
    SetDefaultDeinterlace(deinterlace);
    state.SetLabel("deinterlace " + deinterlace);
    for (auto _ : state) {
        DelayProbe probe;
        SetCardSoundSinkFactory([&probe] { return probe.makeSink(); });
        {
            Card card;
            if (!card.ready() ||
                FAILED(CreateCardSoundRenderer(CardSoundRole::Video, card.tools.cardSound.put()))) {
                SetCardSoundSinkFactory({});
                state.SkipWithError("the virtual card cannot play its sound");
                return;
            }
            card.tools.previewWanted = true;
            if (!card.tools.SetPreviewFormat(kWidth, kHeight) || !card.tools.previewRunning) {
                SetCardSoundSinkFactory({});
                state.SkipWithError("the virtual card cannot preview");
                return;
            }
            query<ICardSound>(card.tools.cardSound)->SetMuted(false);
            RunFor(seconds);
            card.tools.previewWanted = false;
            card.tools.HaltPreview();
        }
        SetCardSoundSinkFactory({});
        const std::vector<Played> played = probe.played();
        if (played.empty()) {
            state.SkipWithError("no sound was played");
            return;
        }
        // The first and the last sixth of the run (a minute each of a ten-minute run); the start itself,
        // while the graph settles, is left out.
        const double end = played.back().atSeconds;
        const double part = end / 6;
        const double first = MeanDelay(played, 1.0, 1.0 + part);
        const double last = MeanDelay(played, end - part, end + 1);
        double slowest = 0;
        for (const Played& p : played) {
            if (p.atSeconds >= 1.0) {
                slowest = std::max(slowest, p.delayMs);
            }
        }
        state.counters["delay_first_ms"] = first;
        state.counters["delay_last_ms"] = last;
        state.counters["drift_ms"] = last - first;
        state.counters["delay_max_ms"] = slowest;
        state.counters["buffers"] = static_cast<double>(played.size());
    }
}
BENCHMARK(BM_CardSoundDelay)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

} // namespace
