// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/media/video_renderer.h"
#include "view/video_target.h"

#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

struct LayoutCase {
    int cw, ch, vw, vh;
    bool panorama;
    VideoRect expected;
};

class VideoLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(VideoLayout, PlacesThePictureKeepingItsProportions) {
    const LayoutCase& c = GetParam();
    VideoRect rect;
    ASSERT_TRUE(ComputeVideoLayout(c.cw, c.ch, c.vw, c.vh, c.panorama, rect));
    EXPECT_EQ(rect, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Examples, VideoLayout,
                         ::testing::Values(LayoutCase{400, 300, 720, 576, false, {12, 0, 375, 300}},
                                           LayoutCase{400, 300, 720, 576, true, {12, 0, 375, 300}},
                                           LayoutCase{400, 600, 352, 288, false, {0, 136, 400, 327}},
                                           LayoutCase{400, 600, 352, 288, true, {-166, 0, 733, 600}},
                                           LayoutCase{352, 288, 352, 288, false, {0, 0, 352, 288}},
                                           // A tie takes the full width.
                                           LayoutCase{704, 576, 352, 288, false, {0, 0, 704, 576}}));

TEST(VideoLayout, EmptySizesLeaveTheLayoutAsItWas) {
    VideoRect rect{1, 2, 3, 4};
    EXPECT_FALSE(ComputeVideoLayout(0, 300, 720, 576, false, rect));
    EXPECT_FALSE(ComputeVideoLayout(400, 0, 720, 576, false, rect));
    EXPECT_FALSE(ComputeVideoLayout(400, 300, 0, 576, false, rect));
    EXPECT_FALSE(ComputeVideoLayout(400, 300, 720, -1, false, rect));
    EXPECT_EQ(rect, (VideoRect{1, 2, 3, 4}));
}

class VideoTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        VideoTarget = VideoTargetRecord{};
        form.resize(400, 300);
        VideoTarget.owner = &form;
        VideoTarget.clientWidth = 400;
        VideoTarget.clientHeight = 300;
        VideoTarget.videoWidth = 720;
        VideoTarget.videoHeight = 576;
    }
    void TearDown() override { VideoTarget = VideoTargetRecord{}; }

    QWidget form;
};

TEST_F(VideoTargetTest, AttachMakesThePictureAChildLaidOutAndShown) {
    EXPECT_EQ(AttachVideo(&form), E_FAIL) << "nothing to attach";
    RefPtr<VideoRenderer> renderer = MakeCom<VideoRenderer>();
    VideoTarget.window = RefPtr<IVideoWindow>(renderer.get());
    form.show();
    EXPECT_EQ(AttachVideo(&form), S_OK);
    QWidget* picture = renderer->window();
    EXPECT_EQ(picture->parentWidget(), &form);
    EXPECT_EQ(picture->geometry(), QRect(12, 0, 375, 300));
    EXPECT_TRUE(picture->isVisible());
    LONG style = 0;
    renderer->get_WindowStyle(&style);
    EXPECT_EQ(style, 0x42000000);
    OAHWND drain = nullptr;
    renderer->get_MessageDrain(&drain);
    EXPECT_EQ(drain, &form);

    DetachVideo();
    EXPECT_FALSE(VideoTarget.window);
    EXPECT_EQ(picture->parentWidget(), nullptr);
    EXPECT_FALSE(picture->isVisible());
    renderer->get_MessageDrain(&drain);
    EXPECT_EQ(drain, nullptr);
    DetachVideo(); // a second detach does nothing
}

TEST_F(VideoTargetTest, PanoramaAndResizeRelayout) {
    RefPtr<VideoRenderer> renderer = MakeCom<VideoRenderer>();
    VideoTarget.window = RefPtr<IVideoWindow>(renderer.get());
    VideoTarget.clientWidth = 400;
    VideoTarget.clientHeight = 600;
    VideoTarget.videoWidth = 352;
    VideoTarget.videoHeight = 288;
    AttachVideo(&form);
    EXPECT_EQ(renderer->window()->geometry(), QRect(0, 136, 400, 327));
    VideoTarget.panorama = true;
    LayoutVideo();
    EXPECT_EQ(renderer->window()->geometry(), QRect(-166, 0, 733, 600));
    VideoTarget.clientWidth = 0;
    LayoutVideo();
    EXPECT_EQ(renderer->window()->geometry(), QRect(-166, 0, 733, 600));
    DetachVideo();
}

TEST(PlaceBesideMainWindow, CentresThePairWithATwoPixelGap) {
    QWidget form;
    QWidget main;
    form.resize(394, 319);
    main.resize(242, 348);
    PlaceBesideMainWindow(&form, &main);
    const QRect screen = form.screen()->geometry();
    const int formLeft = (screen.width() - (form.frameGeometry().width() + main.frameGeometry().width())) / 2;
    EXPECT_EQ(form.x(), screen.left() + formLeft);
    EXPECT_EQ(form.y(), screen.top() + (screen.height() - form.frameGeometry().height()) / 2);
    EXPECT_EQ(main.x(), form.x() + form.frameGeometry().width() + 2);
    EXPECT_EQ(main.y(), form.y());
}
