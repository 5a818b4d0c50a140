// SPDX-License-Identifier: GPL-2.0-or-later
#include "graph_test_support.h"

#include "platform/media/gst/filter_graph.h"
#include "platform/media/gst/media_filters.h"

#include <QElapsedTimer>

#include <cmath>
#include <cstdlib>

namespace {

class SeekingAndStateTest : public ::testing::Test {
protected:
    void SetUp() override { UseFakeAudioOutput(); }
    GeneratedMedia media;
};

REFERENCE_TIME Position(IMediaSeeking* seeking) {
    REFERENCE_TIME position = -1;
    seeking->GetCurrentPosition(&position);
    return position;
}

HRESULT Settle(IMediaControl* control) {
    OAFilterState state = 0;
    return control->GetState(5000, &state);
}

TEST_F(SeekingAndStateTest, StoppedAndPausedGraphsTakeNewPositionsAndKeepThem) {
    const QString file = WriteAudioFile(media.path("tone.wav"), 3.0);
    auto graph = MakeGraph();
    ASSERT_EQ(RenderFile(graph.get(), file), S_OK);
    auto control = query<IMediaControl>(graph);
    auto seeking = query<IMediaSeeking>(graph);
    ASSERT_EQ(seeking->SetTimeFormat(&TIME_FORMAT_MEDIA_TIME), S_OK);

    ASSERT_EQ(control->Stop(), S_OK);
    REFERENCE_TIME target = UnitsPerSecond;
    ASSERT_EQ(
        seeking->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning),
        S_OK);
    EXPECT_EQ(Position(seeking.get()), UnitsPerSecond);
    ASSERT_EQ(Settle(control.get()), S_OK);
    EXPECT_NEAR(double(Position(seeking.get())), double(UnitsPerSecond), UnitsPerSecond * 0.05);

    OAFilterState state = -1;
    control->GetState(0, &state);
    EXPECT_EQ(state, State_Stopped);

    ASSERT_EQ(control->Run(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return Position(seeking.get()) > UnitsPerSecond * 13 / 10; }, 5000));
    ASSERT_EQ(control->Pause(), S_OK);
    ASSERT_EQ(Settle(control.get()), S_OK);
    const REFERENCE_TIME pausedAt = Position(seeking.get());
    // Watched, not slept over: any step away from where it paused fails at once.
    EXPECT_FALSE(
        WaitUntil([&] { return std::abs(Position(seeking.get()) - pausedAt) > UnitsPerSecond / 50; }, 200));

    // Relative steps and a step to the nearest key frame, as the wheel asks for.
    REFERENCE_TIME back = -UnitsPerSecond;
    ASSERT_EQ(seeking->SetPositions(&back, AM_SEEKING_RelativePositioning | AM_SEEKING_SeekToKeyFrame,
                                    nullptr, AM_SEEKING_NoPositioning),
              S_OK);
    ASSERT_EQ(Settle(control.get()), S_OK);
    EXPECT_LT(Position(seeking.get()), pausedAt);

    EXPECT_EQ(seeking->SetTimeFormat(&MEDIATYPE_Audio), E_INVALIDARG);
}

TEST_F(SeekingAndStateTest, StateIsIntermediateWhileTheSinkIsStillPrerolling) {
    // Every buffer takes 600 ms to reach the sink, so a flushing seek leaves the graph changing state.
    UseFakeAudioOutput("identity sleep-time=600000 ! fakeaudiosink");
    const QString file = WriteAudioFile(media.path("tone.wav"), 2.0);
    auto graph = MakeGraph();
    ASSERT_EQ(RenderFile(graph.get(), file), S_OK);
    auto control = query<IMediaControl>(graph);
    auto seeking = query<IMediaSeeking>(graph);
    control->Stop();
    ASSERT_EQ(Settle(control.get()), S_OK);

    REFERENCE_TIME start = 0;
    seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    OAFilterState state = -1;
    QElapsedTimer waited;
    waited.start();
    EXPECT_EQ(control->GetState(100, &state), VFW_S_STATE_INTERMEDIATE);
    EXPECT_GE(waited.elapsed(), 90);
    EXPECT_EQ(state, State_Stopped);
    EXPECT_EQ(Settle(control.get()), S_OK);
}

TEST_F(SeekingAndStateTest, VolumeIsHundredthsOfADecibelDownToSilence) {
    EXPECT_DOUBLE_EQ(GainOfLevel(0), 1.0);
    EXPECT_NEAR(GainOfLevel(-2000), 0.1, 1e-12);
    EXPECT_NEAR(GainOfLevel(-600), std::pow(10.0, -0.3), 1e-12);
    EXPECT_DOUBLE_EQ(GainOfLevel(-10000), 0.0);

    const QString file = WriteAudioFile(media.path("tone.wav"), 0.5);
    auto graph = MakeGraph();
    ASSERT_EQ(RenderFile(graph.get(), file), S_OK);
    auto audio = query<IBasicAudio>(graph);
    LONG level = 1;
    ASSERT_EQ(audio->get_Volume(&level), S_OK);
    EXPECT_EQ(level, 0); // the renderer starts at full level
    ASSERT_EQ(audio->put_Volume(-2000), S_OK);
    ASSERT_EQ(audio->get_Volume(&level), S_OK);
    EXPECT_EQ(level, -2000);
    EXPECT_EQ(audio->put_Volume(1), E_INVALIDARG);
    EXPECT_EQ(audio->put_Volume(-10001), E_INVALIDARG);

    GstElement* volume = nullptr;
    GstIterator* elements =
        gst_bin_iterate_recurse(GST_BIN(dynamic_cast<FilterGraph*>(graph.get())->pipeline()));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(elements, &item) == GST_ITERATOR_OK) {
        auto* element = GST_ELEMENT(g_value_get_object(&item));
        GstElementFactory* factory = gst_element_get_factory(element);
        if (factory && std::string(GST_OBJECT_NAME(factory)) == "volume") {
            volume = element;
        }
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(elements);
    ASSERT_NE(volume, nullptr);
    double gain = 0;
    g_object_get(volume, "volume", &gain, nullptr);
    EXPECT_NEAR(gain, 0.1, 1e-6);
}

} // namespace
