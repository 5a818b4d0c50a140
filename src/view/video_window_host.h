#pragma once
// What the video window asks of the main window: which page is visible, the Player page's pause and wheel,
// the TV channel stepper and the channel by number, showing, hiding and closing the main window, the
// program's clock and the choices of the window's menus kept in the settings.

class Clock;
struct VideoWindowChoices;

class VideoWindowHost {
public:
    virtual ~VideoWindowHost() = default;

    virtual bool isPlayerPageVisible() const = 0;
    virtual bool isTVPageVisible() const = 0;
    virtual void PauseButtonClick() = 0;
    // The main window's wheel handler (seeks on the Player page); wheelDelta is +-120 per notch.
    virtual void FormMouseWheel(int wheelDelta) = 0;
    // The TV channel stepper: up (true) or down, with the new stepper position.
    virtual void TVChanUpDownChangingEx(bool up, int newPosition) = 0;
    virtual int TVChanUpDownPosition() const = 0;
    // The TV list's channel of this number (from 1), selected as a click in the list selects it; a number
    // with no channel does nothing.
    virtual void selectTVChannelByNumber(int number) = 0;

    virtual void showMainWindow() = 0;
    virtual void hideMainWindow() = 0;
    virtual void closeMainWindow() = 0;

    virtual Clock& clock() = 0;
    virtual VideoWindowChoices& videoWindowChoices() = 0;
};
