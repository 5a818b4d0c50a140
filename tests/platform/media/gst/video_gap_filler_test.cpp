// SPDX-License-Identifier: GPL-2.0-or-later
// The recording's gap filler on its own: which frame times it fills with empty chunks, and which it leaves.

#include "platform/media/gst/video_gap_filler.h"

#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr GstClockTime kMs = GST_MSECOND;

struct Frame {
    GstClockTime pts;
    GstClockTime dts = GST_CLOCK_TIME_NONE;
};

struct Arrived {
    GstClockTime pts;
    bool empty;
    bool keyFrame;
};

// Pushes the frames through a filled pad (caps with the given frame rate, 0 for none) and returns what
// arrives behind it.
std::vector<Arrived> PassThroughFiller(const std::vector<Frame>& frames, int framesPerSecond,
                                       GstClockTime duration = GST_CLOCK_TIME_NONE,
                                       std::shared_ptr<const StreamsStart> start = nullptr) {
    GstElement* pipeline =
        gst_parse_launch("appsrc name=in format=time ! appsink name=out sync=false", nullptr);
    GstElement* in = gst_bin_get_by_name(GST_BIN(pipeline), "in");
    GstElement* out = gst_bin_get_by_name(GST_BIN(pipeline), "out");
    const std::string caps =
        framesPerSecond > 0
            ? "video/x-raw,width=8,height=8,framerate=" + std::to_string(framesPerSecond) + "/1"
            : std::string("video/x-raw,width=8,height=8");
    GstCaps* format = gst_caps_from_string(caps.c_str());
    gst_app_src_set_caps(GST_APP_SRC(in), format);
    gst_caps_unref(format);
    GstPad* input = gst_element_get_static_pad(out, "sink");
    FillVideoGaps(input, start);
    gst_object_unref(input);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    for (const Frame& frame : frames) {
        GstBuffer* buffer = gst_buffer_new_allocate(nullptr, 16, nullptr);
        GST_BUFFER_PTS(buffer) = frame.pts;
        GST_BUFFER_DTS(buffer) = frame.dts;
        GST_BUFFER_DURATION(buffer) = duration;
        gst_app_src_push_buffer(GST_APP_SRC(in), buffer);
    }
    gst_app_src_end_of_stream(GST_APP_SRC(in));
    std::vector<Arrived> arrived;
    while (GstSample* sample = gst_app_sink_pull_sample(GST_APP_SINK(out))) {
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        arrived.push_back({GST_BUFFER_PTS(buffer), gst_buffer_get_size(buffer) == 0,
                           !GST_BUFFER_FLAG_IS_SET(buffer, GST_BUFFER_FLAG_DELTA_UNIT)});
        gst_sample_unref(sample);
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(in);
    gst_object_unref(out);
    gst_object_unref(pipeline);
    return arrived;
}

std::vector<GstClockTime> EmptyAt(const std::vector<Arrived>& arrived) {
    std::vector<GstClockTime> times;
    for (const Arrived& frame : arrived) {
        if (frame.empty) {
            EXPECT_FALSE(frame.keyFrame) << "no seek may land on an empty chunk";
            times.push_back(frame.pts / kMs);
        }
    }
    return times;
}

} // namespace

TEST(VideoGapFiller, EachWholeFrameTimeMissingGetsOneEmptyChunkInItsPlace) {
    gst_init(nullptr, nullptr);
    // 25 frames a second: one frame missing at 80 ms, two at 200 and 240 ms.
    const std::vector<Arrived> arrived =
        PassThroughFiller({{0}, {40 * kMs}, {120 * kMs}, {160 * kMs}, {280 * kMs}}, 25);
    ASSERT_EQ(arrived.size(), 8u);
    EXPECT_EQ(EmptyAt(arrived), (std::vector<GstClockTime>{80, 200, 240}));
    // In order, each where its frame was due.
    for (std::size_t i = 0; i < arrived.size(); ++i) {
        EXPECT_EQ(arrived[i].pts, i * 40 * kMs) << i;
    }
}

TEST(VideoGapFiller, FramesThatAreMerelyLateOrReorderedAreNoGap) {
    gst_init(nullptr, nullptr);
    // A real card's times wander by a few milliseconds; one 18 ms late and the next 15 ms early is no gap.
    EXPECT_TRUE(
        EmptyAt(PassThroughFiller({{0}, {58 * kMs}, {65 * kMs}, {120 * kMs}, {160 * kMs}}, 25)).empty());
    // A stream with B-frames presents out of order but decodes in steady steps: its decoding times count.
    EXPECT_TRUE(EmptyAt(PassThroughFiller({{0, 0},
                                           {120 * kMs, 40 * kMs},
                                           {40 * kMs, 80 * kMs},
                                           {80 * kMs, 120 * kMs},
                                           {240 * kMs, 160 * kMs}},
                                          25))
                    .empty());
}

TEST(VideoGapFiller, TheFrameTimeComesFromTheRateOrElseTheFramesOwnDuration) {
    gst_init(nullptr, nullptr);
    // 10 frames a second: 150 ms after the last frame is half a frame late, not a frame missing.
    EXPECT_TRUE(EmptyAt(PassThroughFiller({{0}, {100 * kMs}, {250 * kMs}}, 10)).empty());
    EXPECT_EQ(EmptyAt(PassThroughFiller({{0}, {100 * kMs}, {300 * kMs}}, 10)),
              (std::vector<GstClockTime>{200}));
    // Without a rate, the frames' 50 ms say it.
    EXPECT_EQ(EmptyAt(PassThroughFiller({{0}, {50 * kMs}, {150 * kMs}}, 0, 50 * kMs)),
              (std::vector<GstClockTime>{100}));
    // With neither, nothing is known to be missing.
    EXPECT_TRUE(EmptyAt(PassThroughFiller({{0}, {40 * kMs}, {400 * kMs}}, 0)).empty());
}

TEST(VideoGapFiller, AJumpInTheSourcesTimesIsNotFilled) {
    gst_init(nullptr, nullptr);
    const GstClockTime jump = kLongestFilledGap + 200 * kMs;
    const std::vector<Arrived> arrived =
        PassThroughFiller({{0}, {40 * kMs}, {40 * kMs + jump}, {80 * kMs + jump}, {160 * kMs + jump}}, 25);
    // Only the frame missing after the jump is filled: the jump itself starts the count afresh.
    ASSERT_EQ(arrived.size(), 6u);
    EXPECT_EQ(EmptyAt(arrived), (std::vector<GstClockTime>{(120 * kMs + jump) / kMs}));
}

TEST(VideoGapFiller, APictureThatStartsAfterItsSoundIsFilledFromTheSoundsStart) {
    gst_init(nullptr, nullptr);
    auto start = std::make_shared<StreamsStart>();
    EXPECT_EQ(start->time(), GST_CLOCK_TIME_NONE);
    start->saw(50 * kMs);
    start->saw(2 * kMs); // the sound's first buffer, taken before the first picture's
    start->saw(174 * kMs);
    EXPECT_EQ(start->time(), 2 * kMs);
    // The device's first picture came 172 ms after the sound began: four frame times are filled before it.
    EXPECT_EQ(EmptyAt(PassThroughFiller({{174 * kMs}, {214 * kMs}}, 25, GST_CLOCK_TIME_NONE, start)),
              (std::vector<GstClockTime>{2, 42, 82, 122}));
    // A picture that began first needs nothing before it.
    auto later = std::make_shared<StreamsStart>();
    later->saw(300 * kMs);
    EXPECT_TRUE(
        EmptyAt(PassThroughFiller({{174 * kMs}, {214 * kMs}}, 25, GST_CLOCK_TIME_NONE, later)).empty());
}
