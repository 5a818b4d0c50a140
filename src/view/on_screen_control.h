#pragma once
// The video window's on-screen display and channel digits on the program's clock: digits typed over the
// picture choose a TV channel by number, and what the display says is drawn over the attached picture until
// its time is up. A timer looks at the clock while either is pending; tests run its handler on a virtual
// clock.

#include "channel_digit_entry.h"
#include "on_screen_display.h"

#include <QObject>
#include <QStringList>

class QTimer;
class VideoWindowHost;

class OnScreenControl final : public QObject {
public:
    OnScreenControl(VideoWindowHost& host, QObject* parent = nullptr);

    // A key of the video window; true when it was a digit and was taken here (only while the TV page is
    // shown).
    bool keyPressed(int key);

    void showChannel(int number, const QString& name);
    void showSignal(bool locked);
    void showVolume(int percent);

    // Ends a number after its pause and takes the display away once its time is up.
    void OnScreenTimerTimer();

    // What is drawn over the picture now.
    QStringList shownLines() const { return shown_; }
    QTimer* OnScreenTimer = nullptr;

private:
    std::uint32_t now() const;
    void refresh();

    VideoWindowHost& host_;
    ChannelDigitEntry digits_;
    OnScreenDisplay display_;
    QStringList shown_;
};
