#include "on_screen_control.h"

#include "platform/media/picture_options.h"
#include "platform/win/clock.h"
#include "video_target.h"
#include "video_window_host.h"

#include <QTimer>

namespace {
// How often the clock is looked at while something is pending: well inside the pause and the display time.
constexpr int kTimerIntervalMs = 100;
} // namespace

OnScreenControl::OnScreenControl(VideoWindowHost& host, QObject* parent)
    : QObject(parent), OnScreenTimer(new QTimer(this)), host_(host) {
    OnScreenTimer->setObjectName(QStringLiteral("OnScreenTimer"));
    OnScreenTimer->setInterval(kTimerIntervalMs);
    connect(OnScreenTimer, &QTimer::timeout, this, &OnScreenControl::OnScreenTimerTimer);
}

std::uint32_t OnScreenControl::now() const {
    return host_.clock().timeGetTime();
}

bool OnScreenControl::keyPressed(int key) {
    if (key < Qt::Key_0 || key > Qt::Key_9 || !host_.isTVPageVisible()) {
        return false;
    }
    if (const std::optional<int> number = digits_.type(key - Qt::Key_0, now())) {
        host_.selectTVChannelByNumber(*number);
    } else {
        display_.showTyping(QString::fromStdString(digits_.typed()), now());
    }
    refresh();
    return true;
}

void OnScreenControl::showChannel(int number, const QString& name) {
    display_.showChannel(number, name, now());
    refresh();
}

void OnScreenControl::showSignal(bool locked) {
    display_.showSignal(locked, now());
    refresh();
}

void OnScreenControl::showVolume(int percent) {
    display_.showVolume(percent, now());
    refresh();
}

void OnScreenControl::OnScreenTimerTimer() {
    if (const std::optional<int> number = digits_.pause(now()); number && host_.isTVPageVisible()) {
        host_.selectTVChannelByNumber(*number);
    }
    refresh();
}

void OnScreenControl::refresh() {
    shown_ = display_.lines(now());
    // Drawn by the renderer over the picture, in its window or full screen; the stream never carries it.
    if (const RefPtr<IVideoPictureOptions> picture = query<IVideoPictureOptions>(VideoTarget.window)) {
        picture->put_OverlayText(shown_);
    }
    if (shown_.isEmpty() && !digits_.typing()) {
        OnScreenTimer->stop();
    } else if (!OnScreenTimer->isActive()) {
        OnScreenTimer->start();
    }
}
