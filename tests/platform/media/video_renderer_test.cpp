// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/media/video_renderer.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace {

class EventCounter final : public QWidget {
public:
    int presses = 0;
    int keys = 0;
    QPointF lastPress;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        ++presses;
        lastPress = event->position();
    }
    void keyPressEvent(QKeyEvent*) override { ++keys; }
};

} // namespace

TEST(VideoRenderer, BecomesAChildPlacedInItsOwner) {
    QWidget owner;
    owner.resize(400, 300);
    RefPtr<VideoRenderer> renderer = MakeCom<VideoRenderer>();
    RefPtr<IVideoWindow> window = query<IVideoWindow>(renderer.get());
    ASSERT_TRUE(window);
    EXPECT_EQ(window->put_Owner(&owner), S_OK);
    EXPECT_EQ(window->SetWindowPosition(12, 0, 375, 300), S_OK);
    EXPECT_EQ(window->put_Visible(OATRUE), S_OK);
    owner.show();
    EXPECT_EQ(renderer->window()->parentWidget(), &owner);
    EXPECT_EQ(renderer->window()->geometry(), QRect(12, 0, 375, 300));
    LONG visible = 0;
    window->get_Visible(&visible);
    EXPECT_EQ(visible, OATRUE);
    EXPECT_EQ(window->SetWindowPosition(0, 0, -1, 5), E_INVALIDARG);

    EXPECT_EQ(window->put_Owner(nullptr), S_OK);
    EXPECT_EQ(renderer->window()->parentWidget(), nullptr);
    EXPECT_FALSE(renderer->window()->isVisible()) << "a window without owner never pops up on its own";
}

TEST(VideoRenderer, SurvivesItsOwnerBeingDestroyed) {
    RefPtr<VideoRenderer> renderer = MakeCom<VideoRenderer>();
    {
        QWidget owner;
        renderer->put_Owner(&owner);
    }
    EXPECT_EQ(renderer->window(), nullptr);
    EXPECT_EQ(renderer->put_Visible(OATRUE), E_UNEXPECTED);
    renderer->presentFrame(QImage(4, 4, QImage::Format_RGB32));
    QCoreApplication::processEvents();
}

TEST(VideoRenderer, SendsInputToTheDrainInItsCoordinates) {
    EventCounter owner;
    EventCounter drain;
    owner.resize(400, 300);
    RefPtr<VideoRenderer> renderer = MakeCom<VideoRenderer>();
    renderer->put_Owner(&owner);
    renderer->put_MessageDrain(&drain);
    renderer->SetWindowPosition(50, 20, 100, 100);
    renderer->put_Visible(OATRUE);
    owner.show();
    QWidget* picture = renderer->window();
    const QPointF local(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, local, picture->mapToGlobal(local), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(picture, &press);
    EXPECT_EQ(drain.presses, 1);
    EXPECT_EQ(owner.presses, 0);
    // The drain is its own window here; positions are turned into its coordinates.
    EXPECT_EQ(drain.lastPress, drain.mapFromGlobal(picture->mapToGlobal(local)));
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QCoreApplication::sendEvent(picture, &key);
    EXPECT_EQ(drain.keys, 1);

    renderer->put_MessageDrain(nullptr);
    QCoreApplication::sendEvent(picture, &press);
    EXPECT_EQ(drain.presses, 1);
}

TEST(VideoRenderer, FullScreenLeavesTheOwnerAndComesBackToItsPlace) {
    QWidget owner;
    RefPtr<VideoRenderer> renderer = MakeCom<VideoRenderer>();
    renderer->put_Owner(&owner);
    renderer->SetWindowPosition(10, 10, 200, 100);
    renderer->put_Visible(OATRUE);
    owner.show();
    LONG mode = 0;
    renderer->put_FullScreenMode(OATRUE);
    renderer->get_FullScreenMode(&mode);
    EXPECT_EQ(mode, OATRUE);
    EXPECT_TRUE(renderer->window()->isWindow());
    // A layout while full screen is kept for the return.
    renderer->SetWindowPosition(0, 5, 300, 150);
    renderer->put_FullScreenMode(OAFALSE);
    renderer->get_FullScreenMode(&mode);
    EXPECT_EQ(mode, OAFALSE);
    EXPECT_EQ(renderer->window()->parentWidget(), &owner);
    EXPECT_EQ(renderer->window()->geometry(), QRect(0, 5, 300, 150));
}

TEST(VideoRenderer, ReportsTheNativeSizeOnceKnownAndKeepsTheLatestFrame) {
    RefPtr<VideoRenderer> renderer = MakeCom<VideoRenderer>();
    RefPtr<IBasicVideo> video = query<IBasicVideo>(renderer.get());
    LONG width = 0;
    LONG height = 0;
    EXPECT_EQ(video->GetVideoSize(&width, &height), VFW_E_NOT_CONNECTED);
    renderer->setVideoSize(720, 576, 0.04);
    EXPECT_EQ(video->GetVideoSize(&width, &height), S_OK);
    EXPECT_EQ(width, 720);
    EXPECT_EQ(height, 576);
    QImage red(8, 8, QImage::Format_RGB32);
    red.fill(Qt::red);
    renderer->presentFrame(red);
    EXPECT_EQ(renderer->framesPresented(), 1);
    EXPECT_EQ(renderer->currentFrame().pixelColor(0, 0), QColor(Qt::red));
    renderer->clearFrame();
    EXPECT_TRUE(renderer->currentFrame().isNull());
}
