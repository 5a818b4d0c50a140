// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/media/video_renderer.h"
#include "platform/win/clock.h"
#include "view/on_screen_control.h"
#include "view/picture_menus.h"
#include "view/video_target.h"
#include "view/video_window_choices.h"
#include "view/video_window_form.h"
#include "view/video_window_host.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

class RecordingHost final : public VideoWindowHost {
public:
    bool playerVisible = true;
    bool tvVisible = false;
    int position = 7;
    std::vector<std::string> calls;

    bool isPlayerPageVisible() const override { return playerVisible; }
    bool isTVPageVisible() const override { return tvVisible; }
    void PauseButtonClick() override { calls.push_back("pause"); }
    void FormMouseWheel(int delta) override { calls.push_back("wheel " + std::to_string(delta)); }
    void TVChanUpDownChangingEx(bool up, int newPosition) override {
        calls.push_back(std::string(up ? "up " : "down ") + std::to_string(newPosition));
    }
    int TVChanUpDownPosition() const override { return position; }
    void showMainWindow() override { calls.push_back("show"); }
    void hideMainWindow() override { calls.push_back("hide"); }
    void closeMainWindow() override { calls.push_back("close"); }
    void selectTVChannelByNumber(int number) override {
        calls.push_back("channel " + std::to_string(number));
    }
    Clock& clock() override { return virtualClock; }
    VideoWindowChoices& videoWindowChoices() override { return choices; }

    VirtualClock virtualClock;
    // Square pixels: the layout and zoom of the platform's video window; the shapes are tested on their own.
    VideoWindowChoices choices{kDefaultDeinterlace, PictureShape::Square, PictureShape::Square};
};

class VideoWindowFormTest : public ::testing::Test {
protected:
    void SetUp() override { form.show(); }
    void TearDown() override { DetachVideo(); }

    void attachPicture(int width, int height) {
        renderer = MakeCom<VideoRenderer>();
        VideoTarget.window = RefPtr<IVideoWindow>(renderer.get());
        VideoTarget.videoWidth = width;
        VideoTarget.videoHeight = height;
        AttachVideo(&form);
    }
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, at, form.mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(&form, &event);
    }
    // A key as it reaches a window that holds no shortcut for it.
    static void press(QWidget* to, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(to, &event);
    }
    bool fullScreen() const {
        LONG mode = 0;
        renderer->get_FullScreenMode(&mode);
        return mode != OAFALSE;
    }

    RecordingHost host;
    TVideoWindowForm form{host};
    RefPtr<VideoRenderer> renderer;
};

} // namespace

TEST_F(VideoWindowFormTest, StartsBlackBorderlessWithItsMenuAndOwnsTheTarget) {
    EXPECT_EQ(form.windowTitle(), "Corvane Video Window");
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form.size(), QSize(394, 319));
    EXPECT_EQ(VideoTarget.owner, &form);
    EXPECT_EQ(VideoTarget.clientWidth, 394);
    EXPECT_EQ(VideoTarget.clientHeight, 319);
    QStringList captions;
    for (QAction* action : form.PopupMenu1->actions()) {
        captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    EXPECT_EQ(captions, (QStringList{"Show main window", "Hide main window", "-", "Zoom 200%", "Zoom 100%",
                                     "Zoom 50%", "Full screen", "Deinterlace", "Aspect", "-", "E&xit"}));
    EXPECT_EQ(form.Zoom50->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_1));
    EXPECT_EQ(form.Fullscreen1->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Return));
}

TEST_F(VideoWindowFormTest, ZoomSetsTheClientSizeFromTheNativeSizeAndRelayouts) {
    attachPicture(353, 289);
    form.Zoom50Click();
    EXPECT_EQ(form.size(), QSize(176, 144));
    EXPECT_EQ(VideoTarget.clientWidth, 176);
    // 353 x 289 in 176 x 144 takes the full height: 175 wide.
    EXPECT_EQ(renderer->window()->geometry(), QRect(0, 0, 175, 144));
    form.Zoom200Click();
    EXPECT_EQ(form.size(), QSize(706, 578));
    const QPoint before = form.pos();
    form.Zoom100Click();
    EXPECT_EQ(form.size(), QSize(353, 289));
    EXPECT_EQ(form.pos(), before) << "zoom does not move the window";
}

TEST_F(VideoWindowFormTest, ZoomInFullScreenLeavesFullScreenFirst) {
    attachPicture(352, 288);
    form.Fullscreen1Click();
    EXPECT_TRUE(fullScreen());
    EXPECT_TRUE(form.Fullscreen1->isChecked());
    form.Zoom100Click();
    EXPECT_FALSE(fullScreen());
    EXPECT_FALSE(form.Fullscreen1->isChecked());
    EXPECT_EQ(form.size(), QSize(352, 288));
}

TEST_F(VideoWindowFormTest, WithoutAPictureZoomAndFullScreenDoNothing) {
    form.Fullscreen1Click();
    EXPECT_FALSE(form.Fullscreen1->isChecked());
    form.Zoom50Click();
    EXPECT_EQ(form.size(), QSize(394, 319));
}

TEST_F(VideoWindowFormTest, TheFullScreenMarkFollowsThePictureThroughTheMenuAndAltEnter) {
    // No picture: the menu item and its shortcut leave the mark as it was.
    form.Fullscreen1->trigger();
    EXPECT_FALSE(form.Fullscreen1->isChecked());
    press(&form, Qt::Key_Return, Qt::AltModifier);
    EXPECT_FALSE(form.Fullscreen1->isChecked());

    // A picture arrives: a zoom leaves it windowed rather than taking a stale mark for full screen.
    attachPicture(352, 288);
    form.Zoom100->trigger();
    EXPECT_FALSE(fullScreen());
    EXPECT_FALSE(form.Fullscreen1->isChecked());
    EXPECT_EQ(form.size(), QSize(352, 288));

    form.Fullscreen1->trigger();
    EXPECT_TRUE(fullScreen());
    EXPECT_TRUE(form.Fullscreen1->isChecked());
    form.Fullscreen1->trigger();
    EXPECT_FALSE(fullScreen());
    EXPECT_FALSE(form.Fullscreen1->isChecked());
    press(&form, Qt::Key_Return, Qt::AltModifier);
    EXPECT_TRUE(fullScreen());
    EXPECT_TRUE(form.Fullscreen1->isChecked());
}

TEST_F(VideoWindowFormTest, AMarkLeftByADetachedPictureDoesNotSendTheNextOneFullScreen) {
    attachPicture(352, 288);
    form.Fullscreen1->trigger();
    ASSERT_TRUE(form.Fullscreen1->isChecked());
    DetachVideo();
    attachPicture(176, 144);
    form.Zoom200->trigger();
    EXPECT_FALSE(fullScreen());
    EXPECT_FALSE(form.Fullscreen1->isChecked());
    EXPECT_EQ(form.size(), QSize(352, 288));
}

TEST_F(VideoWindowFormTest, TheMenuShowsTheMarkOfThePictureItHolds) {
    attachPicture(352, 288);
    form.Fullscreen1->trigger();
    // Full screen ends elsewhere than in this window's menu.
    renderer->put_FullScreenMode(OAFALSE);
    ASSERT_TRUE(form.Fullscreen1->isChecked());
    form.PopupMenu1->popup(form.mapToGlobal(QPoint(10, 10)));
    EXPECT_FALSE(form.Fullscreen1->isChecked());
    form.PopupMenu1->hide();
}

TEST_F(VideoWindowFormTest, ZoomKeysWorkWhileThePictureIsFullScreen) {
    attachPicture(352, 288);
    const std::vector<std::pair<Qt::Key, QSize>> zooms = {
        {Qt::Key_1, QSize(176, 144)}, {Qt::Key_2, QSize(352, 288)}, {Qt::Key_3, QSize(704, 576)}};
    for (const auto& [key, size] : zooms) {
        form.Fullscreen1->trigger();
        ASSERT_TRUE(fullScreen());
        // Full screen, the picture is a window of its own and the keys reach it there.
        press(renderer->window(), key, Qt::ControlModifier);
        EXPECT_FALSE(fullScreen()) << key;
        EXPECT_FALSE(form.Fullscreen1->isChecked()) << key;
        EXPECT_EQ(form.size(), size) << key;
    }
    // The other keys still do what they did.
    press(renderer->window(), Qt::Key_Space);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"pause"}));
}

TEST_F(VideoWindowFormTest, EnterAndDoubleClickToggleFullScreenLikeTheMenu) {
    attachPicture(352, 288);
    form.FormKeyDown(Qt::Key_Return);
    EXPECT_TRUE(fullScreen());
    form.FormKeyDown(Qt::Key_Enter);
    EXPECT_FALSE(fullScreen());
    mouse(QEvent::MouseButtonDblClick, {100, 100});
    EXPECT_TRUE(fullScreen());
    EXPECT_TRUE(form.Fullscreen1->isChecked());
    mouse(QEvent::MouseButtonRelease, {100, 100});
    EXPECT_TRUE(host.calls.empty()) << "the release after a double click is no click";
}

TEST_F(VideoWindowFormTest, DragMovesTheWindowAndDoesNotPause) {
    const QPoint start = form.pos();
    mouse(QEvent::MouseButtonPress, {100, 100});
    mouse(QEvent::MouseMove, {130, 90});
    EXPECT_EQ(form.pos(), start + QPoint(30, -10));
    mouse(QEvent::MouseButtonRelease, {100, 100});
    EXPECT_FALSE(form.isDragging());
    EXPECT_TRUE(host.calls.empty());
    // The next plain click pauses again.
    mouse(QEvent::MouseButtonPress, {100, 100});
    mouse(QEvent::MouseButtonRelease, {100, 100});
    EXPECT_EQ(host.calls, (std::vector<std::string>{"pause"}));
}

// A window system that takes every drag over, as X11 and Wayland do.
class SystemMovedForm final : public TVideoWindowForm {
public:
    using TVideoWindowForm::TVideoWindowForm;
    int systemMoves = 0;

protected:
    bool startWindowSystemMove() override {
        ++systemMoves;
        return true;
    }
};

TEST(VideoWindowFormDrag, ADragIsHandedToTheWindowSystemAndEndsNoClick) {
    RecordingHost host;
    SystemMovedForm form(host);
    form.show();
    const QPoint start = form.pos();
    auto send = [&form](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        QMouseEvent event(type, at, form.mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(&form, &event);
    };
    send(QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton);
    send(QEvent::MouseMove, {100, 100}, Qt::LeftButton);
    EXPECT_EQ(form.systemMoves, 0) << "a pointer that did not move starts no drag";
    send(QEvent::MouseMove, {130, 90}, Qt::LeftButton);
    send(QEvent::MouseMove, {160, 80}, Qt::LeftButton);
    EXPECT_EQ(form.systemMoves, 1);
    EXPECT_EQ(form.pos(), start) << "the window system moves the window, not the mouse events";
    EXPECT_FALSE(form.isDragging());
    send(QEvent::MouseButtonRelease, {160, 80}, Qt::NoButton);
    EXPECT_TRUE(host.calls.empty()) << "the release that ends a drag pauses nothing";
    send(QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {100, 100}, Qt::NoButton);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"pause"})) << "the next click pauses";
    DetachVideo();
}

TEST_F(VideoWindowFormTest, ClickPausesOnlyOnThePlayerPage) {
    mouse(QEvent::MouseButtonPress, {50, 50});
    mouse(QEvent::MouseButtonRelease, {50, 50});
    host.playerVisible = false;
    host.tvVisible = true;
    mouse(QEvent::MouseButtonPress, {50, 50});
    mouse(QEvent::MouseButtonRelease, {50, 50});
    mouse(QEvent::MouseButtonPress, {50, 50}, Qt::RightButton);
    mouse(QEvent::MouseButtonRelease, {50, 50}, Qt::RightButton);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"pause"}));
}

TEST_F(VideoWindowFormTest, KeysStepChannelsOnTVAndSeekOnPlayer) {
    host.playerVisible = false;
    host.tvVisible = true;
    form.FormKeyDown(Qt::Key_Left);
    form.FormKeyDown(Qt::Key_Right);
    form.FormKeyDown(Qt::Key_Space);
    host.tvVisible = false;
    host.playerVisible = true;
    form.FormKeyDown(Qt::Key_Left);
    form.FormKeyDown(Qt::Key_Right);
    form.FormKeyDown(Qt::Key_Space);
    form.FormKeyDown(Qt::Key_A);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"down 6", "up 8", "wheel -120", "wheel 120", "pause"}));
}

TEST_F(VideoWindowFormTest, WheelAndMenuReachTheMainWindow) {
    QWheelEvent wheel(QPointF(10, 10), form.mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -240),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&form, &wheel);
    form.ShowMainWindow1->trigger();
    form.HideMainWindow1->trigger();
    form.Exit1->trigger();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"wheel -240", "show", "hide", "close"}));
}

TEST_F(VideoWindowFormTest, ClosingDetachesThePicture) {
    attachPicture(352, 288);
    form.close();
    EXPECT_FALSE(VideoTarget.window);
    EXPECT_EQ(renderer->window()->parentWidget(), nullptr);
}

TEST_F(VideoWindowFormTest, DigitsChooseATVChannelAfterAPauseOrASecondDigit) {
    host.playerVisible = false;
    host.tvVisible = true;
    attachPicture(720, 576);
    press(&form, Qt::Key_4);
    EXPECT_TRUE(host.calls.empty()) << "one digit waits for a second";
    EXPECT_EQ(form.onScreen().shownLines(), QStringList{"4-"});
    host.virtualClock.advance(ChannelDigitEntry::kPauseMs - 100);
    form.onScreen().OnScreenTimerTimer();
    EXPECT_TRUE(host.calls.empty());
    host.virtualClock.advance(100);
    form.onScreen().OnScreenTimerTimer();
    EXPECT_EQ(host.calls, std::vector<std::string>{"channel 4"});
    host.calls.clear();
    press(&form, Qt::Key_1);
    press(&form, Qt::Key_2);
    EXPECT_EQ(host.calls, std::vector<std::string>{"channel 12"});
    // Digits are channel numbers on the TV page only.
    host.calls.clear();
    host.tvVisible = false;
    host.playerVisible = true;
    press(&form, Qt::Key_3);
    host.virtualClock.advance(ChannelDigitEntry::kPauseMs);
    form.onScreen().OnScreenTimerTimer();
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(VideoWindowFormTest, TheDisplayIsDrawnOverThePictureNeverIntoIt) {
    attachPicture(64, 48);
    QImage black(64, 48, QImage::Format_RGB32);
    black.fill(Qt::black);
    renderer->presentFrame(black);
    form.onScreen().showChannel(2, QStringLiteral("Test Two"));
    EXPECT_EQ(renderer->overlayText(), QStringList{"2  Test Two"});
    EXPECT_TRUE(form.onScreen().OnScreenTimer->isActive());
    const QImage drawn = renderer->window()->grab().toImage();
    bool lit = false;
    for (int y = 0; y < drawn.height() && !lit; ++y) {
        for (int x = 0; x < drawn.width() && !lit; ++x) {
            lit = qGreen(drawn.pixel(x, y)) > 128;
        }
    }
    EXPECT_TRUE(lit) << "the text is in the window";
    EXPECT_EQ(renderer->currentFrame(), black) << "and not in the picture a recording would take";
    host.virtualClock.advance(OnScreenDisplay::kShownMs);
    form.onScreen().OnScreenTimerTimer();
    EXPECT_TRUE(renderer->overlayText().isEmpty());
    EXPECT_FALSE(form.onScreen().OnScreenTimer->isActive());
}

TEST_F(VideoWindowFormTest, AspectIsKeptPerPageAndZoomAndFullScreenKeepIt) {
    attachPicture(720, 576);
    form.pictureMenus().chooseAspect(PictureShape::Auto);
    EXPECT_EQ(host.choices.playerAspect, PictureShape::Auto);
    EXPECT_EQ(host.choices.tvAspect, PictureShape::Square);
    form.Zoom100Click();
    EXPECT_EQ(form.size(), QSize(768, 576)) << "a 720 x 576 frame is 4:3";
    EXPECT_EQ(renderer->window()->geometry(), QRect(0, 0, 768, 576));
    EXPECT_DOUBLE_EQ(renderer->displayAspect(), 4.0 / 3.0) << "full screen fits the picture at 4:3";
    form.pictureMenus().chooseAspect(PictureShape::SixteenNine);
    form.Zoom50Click();
    EXPECT_EQ(form.size(), QSize(512, 288));
    // The TV page has its own choice, applied when the window is shown for it.
    host.playerVisible = false;
    host.tvVisible = true;
    form.hide();
    form.show();
    EXPECT_EQ(VideoTarget.aspect, PictureShape::Square);
    EXPECT_EQ(renderer->window()->geometry().width(), 360) << "720 x 576 in square pixels at 288 lines";
}

TEST_F(VideoWindowFormTest, TheDeinterlaceChoiceIsStoredAndReachesThePicture) {
    attachPicture(720, 576);
    QMenu* menu = form.pictureMenus().Deinterlace1;
    QStringList captions;
    for (QAction* action : menu->actions()) {
        captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    EXPECT_EQ(captions.mid(0, 4), (QStringList{"Off", "-", "Motion search", "Motion adaptive"}));
    menu->actions().at(0)->trigger();
    EXPECT_EQ(host.choices.deinterlace, "off");
    EXPECT_EQ(renderer->deinterlace(), "off");
    EXPECT_EQ(DefaultDeinterlace(), "off") << "pictures made later start with it";
    EXPECT_TRUE(menu->actions().at(0)->isChecked());
    form.pictureMenus().chooseDeinterlace("bob");
    EXPECT_EQ(host.choices.deinterlace, "off") << "no such method";
    form.pictureMenus().chooseDeinterlace(kDefaultDeinterlace);
}
