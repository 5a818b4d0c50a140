// SPDX-License-Identifier: GPL-2.0-or-later
#include "narrow_effect.h"
#include "player_test_support.h"

#include "platform/media/gst/effect_catalog.h"

namespace {

class PlayerToolsTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseFakeAudioOutput();
        VideoTarget = VideoTargetRecord{};
        VideoTarget.owner = &videoWindow;
    }
    void TearDown() override { VideoTarget = VideoTargetRecord{}; }

    int RowOf(TPlayerTools& tools, const char* name, int rows) {
        for (int row = 0; row < rows; ++row) {
            if (QString::fromLocal8Bit(tools.effectEntry(row).name) == name) {
                return row;
            }
        }
        return -1;
    }
    std::vector<std::wstring> Filters(TPlayerTools& tools) { return FilterNames(tools.graph()); }

    GeneratedMedia media;
    QWidget notify;
    QWidget videoWindow;
    RecordingMessageBoxes boxes;
};

TEST(FormatTime, HoursUnpaddedMinutesAndSecondsTwoDigitsTruncated) {
    EXPECT_EQ(TPlayerTools::FormatTime(0), "0:00:00");
    EXPECT_EQ(TPlayerTools::FormatTime(99'999'999), "0:00:09");
    EXPECT_EQ(TPlayerTools::FormatTime((3600 + 5 * 60 + 9) * 10'000'000LL), "1:05:09");
    EXPECT_EQ(TPlayerTools::FormatTime(27 * 3600 * 10'000'000LL), "27:00:00");
    EXPECT_EQ(TPlayerTools::FormatTime(65 * 10'000'000LL), "0:01:05");
}

TEST_F(PlayerToolsTest, CreatesTheGraphAndLendsItsVideoWindowToTheTarget) {
    {
        TPlayerTools tools(&notify, &VideoTarget, boxes);
        EXPECT_TRUE(query<IMediaControl>(tools.graph()) && query<IMediaEventEx>(tools.graph()) &&
                    query<IMediaSeeking>(tools.graph()) && query<IBasicAudio>(tools.graph()) &&
                    query<IBasicVideo>(tools.graph()));
        EXPECT_TRUE(VideoTarget.window);
        EXPECT_FALSE(tools.loaded() || tools.started() || tools.paused());
        EXPECT_EQ(tools.selectedEffect(), 0);
        EXPECT_TRUE(boxes.shown().empty());
        // Nothing to play yet: Play and Stop still answer as the graph exists.
        EXPECT_TRUE(tools.Play());
        EXPECT_TRUE(tools.Stop());
    }
    EXPECT_FALSE(VideoTarget.window);
}

TEST_F(PlayerToolsTest, DescribesAVideoByLengthNameAndPictureSize) {
    // One picture shown for 3723 seconds: 1 h 2 min 3 s.
    const QString clip = WriteVideoFile(media.path("clip.avi"), 720, 576, 1, "1/3723");
    ASSERT_FALSE(clip.isEmpty());
    TPlayerTools tools(&notify, &VideoTarget, boxes);
    ASSERT_TRUE(tools.OpenFile(clip));
    EXPECT_EQ(tools.description(), "1:02:03 - clip.avi - 720x576");
    EXPECT_EQ(tools.length(), 3723LL * 10'000'000);
    EXPECT_EQ(VideoTarget.videoWidth, 720);
    EXPECT_EQ(VideoTarget.videoHeight, 576);
    EXPECT_TRUE(tools.loaded());
}

TEST_F(PlayerToolsTest, AnAudioFileHasNoPictureSizeInItsDescription) {
    const QString tone = WriteAudioFile(media.path("tone.wav"), 1.0);
    TPlayerTools tools(&notify, &VideoTarget, boxes);
    VideoTarget.videoWidth = VideoTarget.videoHeight = 99;
    ASSERT_TRUE(tools.OpenFile(tone));
    EXPECT_EQ(tools.description(), "0:00:01 - tone.wav");
    EXPECT_EQ(VideoTarget.videoWidth, 0);
    EXPECT_EQ(VideoTarget.videoHeight, 0);
}

TEST_F(PlayerToolsTest, AMissingFileChangesNothingAndANonMediaFileLeavesOnlyItsSource) {
    const QString tone = WriteAudioFile(media.path("tone.wav"), 1.0);
    TPlayerTools tools(&notify, &VideoTarget, boxes);
    ASSERT_TRUE(tools.OpenFile(tone));
    const QString description = tools.description();

    // A missing file: nothing changes at all.
    EXPECT_FALSE(tools.OpenFile(media.path("missing.wav")));
    EXPECT_EQ(Filters(tools).size(), 3u);
    EXPECT_EQ(tools.description(), description);

    // A file that is not media: the previous file is gone, the graph holds only the new source.
    QFile junk(media.path("junk.mp3"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(10000, '\x5a'));
    junk.close();
    EXPECT_FALSE(tools.OpenFile(junk.fileName()));
    EXPECT_EQ(Filters(tools), std::vector<std::wstring>{junk.fileName().toStdWString()});
    EXPECT_TRUE(tools.loaded());
    EXPECT_TRUE(boxes.shown().empty());
    // And the next good file plays again.
    EXPECT_TRUE(tools.OpenFile(tone));
}

TEST_F(PlayerToolsTest, StopRewindsAndTogglePauseCuesAStoppedGraph) {
    const QString tone = WriteAudioFile(media.path("tone.wav"), 3.0);
    TPlayerTools tools(&notify, &VideoTarget, boxes);
    ASSERT_TRUE(tools.OpenFile(tone));
    ASSERT_TRUE(tools.Play());
    EXPECT_TRUE(tools.started());
    ASSERT_TRUE(WaitUntil([&] {
        REFERENCE_TIME now = 0;
        query<IMediaSeeking>(tools.graph())->GetCurrentPosition(&now);
        return now > 5'000'000;
    }));
    ASSERT_TRUE(tools.Stop());
    EXPECT_FALSE(tools.started());
    REFERENCE_TIME now = -1;
    query<IMediaSeeking>(tools.graph())->GetCurrentPosition(&now);
    EXPECT_EQ(now, 0);

    OAFilterState state;
    query<IMediaControl>(tools.graph())->GetState(5000, &state);
    EXPECT_TRUE(tools.TogglePause());
    EXPECT_TRUE(tools.paused());
    query<IMediaControl>(tools.graph())->GetState(5000, &state);
    EXPECT_EQ(state, State_Paused);
    EXPECT_FALSE(tools.TogglePause());
    EXPECT_FALSE(tools.paused());
    query<IMediaControl>(tools.graph())->GetState(0, &state);
    EXPECT_EQ(state, State_Running);
}

TEST_F(PlayerToolsTest, TogglePauseDoesNothingWhileTheGraphChangesState) {
    UseFakeAudioOutput("identity sleep-time=600000 ! fakeaudiosink");
    const QString tone = WriteAudioFile(media.path("tone.wav"), 2.0);
    TPlayerTools tools(&notify, &VideoTarget, boxes);
    ASSERT_TRUE(tools.OpenFile(tone));
    OAFilterState state;
    query<IMediaControl>(tools.graph())->GetState(5000, &state);
    tools.Stop(); // the rewind makes the slow sink preroll again
    EXPECT_FALSE(tools.TogglePause());
    EXPECT_FALSE(tools.paused());
    query<IMediaControl>(tools.graph())->GetState(0, &state);
    EXPECT_EQ(state, State_Stopped);
}

TEST_F(PlayerToolsTest, EnumeratesAtMostAHundredEffectsInTheEnumeratorsOrder) {
    RegisterNarrowRateEffect();
    TPlayerTools tools(&notify, &VideoTarget, boxes);
    const int rows = tools.EnumerateEffects();
    const auto installed = InstalledAudioEffects();
    ASSERT_EQ(rows, std::min<int>(int(installed.size()), TPlayerTools::MaxListedEffects));
    for (int row = 0; row < rows; ++row) {
        EXPECT_EQ(tools.effectEntry(row).classId, installed[row].classId);
        EXPECT_EQ(QString::fromLocal8Bit(tools.effectEntry(row).name),
                  QString::fromStdWString(installed[row].displayName));
    }
    EXPECT_GE(RowOf(tools, "Audio echo", rows), 0);
}

TEST_F(PlayerToolsTest, TheSelectedEffectGoesBetweenStreamAndRendererAndCanBeTakenOut) {
    const QString tone = WriteAudioFile(media.path("tone.wav"), 0.5);
    TPlayerTools tools(&notify, &VideoTarget, boxes);
    const int echo = RowOf(tools, "Audio echo", tools.EnumerateEffects());
    ASSERT_GE(echo, 0);
    tools.SwapEffect(echo + 1);
    ASSERT_TRUE(tools.OpenFile(tone));
    ASSERT_TRUE(tools.effect());
    EXPECT_EQ(Filters(tools).front(), L"Custom DMO Audio Effect");
    EXPECT_TRUE(boxes.shown().empty());

    tools.RemoveEffect();
    EXPECT_FALSE(tools.effect());
    EXPECT_EQ(Filters(tools).size(), 3u);
    RefPtr<IBaseFilter> renderer;
    RefPtr<IPin> input;
    RefPtr<IPin> upstream;
    ASSERT_EQ(tools.graph()->FindFilterByName(L"Default DirectSound Device", renderer.put()), S_OK);
    renderer->FindPin(L"Audio Input pin (rendered)", input.put());
    EXPECT_EQ(input->ConnectedTo(upstream.put()), S_OK);

    // Back in, and the file plays through it to the end.
    ASSERT_TRUE(tools.InsertEffect(echo));
    REFERENCE_TIME start = 0;
    query<IMediaSeeking>(tools.graph())
        ->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    tools.Play();
    EXPECT_EQ(NextEventCode(query<IMediaEventEx>(tools.graph()).get(), 10000), EC_COMPLETE);
}

TEST_F(PlayerToolsTest, WithoutASoundRendererTheEffectIsRefusedAndTheFilePlays) {
    const QString silent = WriteVideoFile(media.path("silent.avi"), 160, 120, 5, "25/1");
    TPlayerTools tools(&notify, &VideoTarget, boxes);
    tools.SwapEffect(1);
    tools.EnumerateEffects();
    ASSERT_TRUE(tools.OpenFile(silent));
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[0].text, "Can't find DirectSound Renderer");
    EXPECT_EQ(boxes.shown()[0].caption, "FilterGraph error");
    EXPECT_EQ(boxes.shown()[0].icon, MessageIcon::Warning);
    EXPECT_EQ(boxes.shown()[1].text, "Can't insert DMO");
    EXPECT_EQ(boxes.shown()[1].caption, "FilterGraph error");
    EXPECT_FALSE(tools.effect());
    tools.Play();
    EXPECT_EQ(NextEventCode(query<IMediaEventEx>(tools.graph()).get(), 10000), EC_COMPLETE);
}

TEST_F(PlayerToolsTest, AnEffectThatRefusesTheFormatLeavesTheDirectConnection) {
    RegisterNarrowRateEffect();
    const QString tone = WriteAudioFile(media.path("tone.wav"), 0.5);
    TPlayerTools tools(&notify, &VideoTarget, boxes);
    const int narrow = RowOf(tools, "Narrow test effect", tools.EnumerateEffects());
    ASSERT_GE(narrow, 0);
    tools.SwapEffect(narrow + 1);
    ASSERT_TRUE(tools.OpenFile(tone));
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, "Can't insert DMO");
    EXPECT_FALSE(tools.effect());
    EXPECT_EQ(Filters(tools).size(), 3u);
    tools.Play();
    EXPECT_EQ(NextEventCode(query<IMediaEventEx>(tools.graph()).get(), 10000), EC_COMPLETE);
}

} // namespace
