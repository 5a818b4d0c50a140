// SPDX-License-Identifier: GPL-2.0-or-later
// What the owner of the capture graph does with its events: an error abort and a lost device stop the
// recording with one box each; the sound device's loss is told and stops nothing; ordinary events change
// nothing.
#include "tuner_test_card.h"
#include "tv/capture_events.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

struct RecordingCard : TestCard {
    RecordingCard() {
        select();
        EXPECT_TRUE(tools.AssembleCapture());
        EXPECT_TRUE(tools.RunCapture());
        boxes.clear();
    }
    LONG_PTR param(IBaseFilter* filter) { return reinterpret_cast<LONG_PTR>(static_cast<IUnknown*>(filter)); }
};

TEST(CaptureEvents, ErrorAbortStopsTheRecordingWithOneBox) {
    RecordingCard card;
    card.platform.graph->events = {
        {EC_ERRORABORT, E_FAIL, 0}, {EC_ERRORABORT, E_FAIL, 0}, {EC_COMPLETE, 0, 0}};

    EXPECT_EQ(DrainCaptureEvents(card.tools), CaptureEventOutcome::Aborted);

    EXPECT_FALSE(card.tools.captureRunning);
    EXPECT_EQ(card.shown(), std::vector<std::string>{"ERROR during capture/preview"});
    EXPECT_TRUE(card.platform.graph->events.empty());
}

TEST(CaptureEvents, AbortByABusyDeviceSaysSoInItsOneBox) {
    RecordingCard card;
    card.platform.graph->events = {
        {EC_ERRORABORT, E_FAIL, 0}, {EC_ERRORABORT, HResultFromErrno(EBUSY), 0}, {EC_ERRORABORT, E_FAIL, 0}};

    EXPECT_EQ(DrainCaptureEvents(card.tools), CaptureEventOutcome::Aborted);

    EXPECT_FALSE(card.tools.captureRunning);
    EXPECT_EQ(card.shown(), std::vector<std::string>{"Cannot start capture/preview\n"
                                                     "device busy: another program is using the device."});
    EXPECT_TRUE(card.platform.graph->events.empty());
}

TEST(CaptureEvents, LostVideoDeviceStopsReadingAtOnce) {
    RecordingCard card;
    card.platform.graph->events = {{EC_ERRORABORT, E_FAIL, 0},
                                   {EC_DEVICE_LOST, card.param(card.videoFilter.get()), 0},
                                   {EC_COMPLETE, 0, 0}};

    EXPECT_EQ(DrainCaptureEvents(card.tools), CaptureEventOutcome::DeviceLost);

    EXPECT_FALSE(card.tools.captureRunning);
    // The abort before it is forgotten: one box only.
    EXPECT_EQ(card.shown(),
              std::vector<std::string>{"Stopping Capture/Preview (Device Lost). Select New Capture Device"});
    EXPECT_EQ(card.platform.graph->events.size(), 1u);
}

// Events that stop nothing: an arrival and the ordinary ones change nothing; the sound device's loss or
// failure (a stream error, whose later events carry no words) is told, so that who listens can end.
TEST(CaptureEvents, EventsThatStopNothingLeaveTheRecordingRunning) {
    RecordingCard card;
    struct Case {
        std::vector<FakeGraph::Event> events;
        CaptureEventOutcome outcome;
    };
    for (const Case& c : {Case{{{EC_DEVICE_LOST, card.param(card.videoFilter.get()), 1}, {EC_COMPLETE, 0, 0}},
                               CaptureEventOutcome::None},
                          Case{{{EC_DEVICE_LOST, card.param(card.audioFilter.get()), 0}, {EC_COMPLETE, 0, 0}},
                               CaptureEventOutcome::SoundStopped},
                          Case{{{EC_STREAM_ERROR_STOPPED, E_FAIL, 0}}, CaptureEventOutcome::SoundStopped}}) {
        card.platform.graph->events = c.events;
        EXPECT_EQ(DrainCaptureEvents(card.tools), c.outcome) << c.events.front().code;
        EXPECT_TRUE(card.tools.captureRunning);
        EXPECT_TRUE(card.shown().empty());
        EXPECT_TRUE(card.platform.graph->events.empty());
    }
}

TEST(CaptureEvents, StreamErrorWordsAreTheSourcesOwnElseTheResultsText) {
    char said[] = "Could not read from resource.";
    char none[] = "";
    EXPECT_EQ(StreamErrorWords(E_FAIL, reinterpret_cast<LONG_PTR>(said)), said);
    EXPECT_EQ(StreamErrorWords(E_FAIL, reinterpret_cast<LONG_PTR>(none)), FormatMessage(E_FAIL));
    EXPECT_EQ(StreamErrorWords(E_FAIL, 0), "") << "a later event of a failure told already";
}

} // namespace
