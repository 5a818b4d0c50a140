#pragma once
// The TV / VCR page: its sheets, status bar and signal timer. The capture graph joins it with the TV issue;
// the channel list and the device pickers sit on its sheets.

#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace Ui {
class TVPage;
}
class ChannelListWidgets;
class Clock;
class MixerPresets;
class TVChannelList;

class TVPage final : public QWidget {
    Q_OBJECT
public:
    // pageShown answers whether this page is the main window's page shown (its show handler has run and
    // it has not been left), whatever the window's own visibility.
    TVPage(Clock& clock, MixerPresets& presets, std::function<bool()> pageShown, QWidget* parent = nullptr);
    ~TVPage() override;

    // Entered: takes the picture from the video window, arms the signal timer and applies "TV_Unmute".
    void TVTabSheetShow();
    // Left: "TV_Mute", the 200 ms wait, the signal timer stopped.
    void leavePage();

    // Whether a video capture device is there to show this page for.
    bool hasVideoCaptureDevice() const;
    // The TV channel stepper, which the video window drives with its arrow keys.
    void TVChanUpDownChangingEx(bool up, int newPosition);
    int TVChanUpDownPosition() const;

    // "Unmute on start" and "Mute on exit" on the "Setup" sheet: edit the preset, then apply it.
    void TVMixerUnmuteButtonClick();
    void TVMixerMuteButtonClick();

    // The TV channel list on the "Channels" and "Control" sheets.
    TVChannelList& channels() const { return *channels_; }

    QTimer* TVSignalTimer = nullptr;
    std::unique_ptr<Ui::TVPage> ui;

private:
    Clock& clock_;
    MixerPresets& presets_;
    std::unique_ptr<ChannelListWidgets> channelWidgets_;
    std::unique_ptr<TVChannelList> channels_;
};
