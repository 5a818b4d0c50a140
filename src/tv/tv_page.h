#pragma once
// The TV / VCR page: its sheets, status bar and signal timer. The capture graph joins it with the TV issue;
// the channel list and the device pickers sit on its sheets.

#include "components/dev_cmb_pickers.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace Ui {
class TVPage;
}
class ChannelListWidgets;
class ChannelSearchButton;
class Clock;
class MixerPresets;
class QComboBox;
class QPushButton;
class TVChannelList;

class TVPage final : public QWidget {
    Q_OBJECT
public:
    // pageShown answers whether this page is the main window's page shown (its show handler has run and
    // it has not been left), whatever the window's own visibility. devices, when given, lists the devices
    // in the page's pickers instead of the system's enumerator.
    TVPage(Clock& clock, MixerPresets& presets, std::function<bool()> pageShown, QWidget* parent = nullptr,
           const DeviceEnumFactory& devices = {});
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
    // Its "Search...": the TV search dialog over the capture graph's tuner, the signal timer paused.
    ChannelSearchButton& searchButton() const { return *searchButton_; }

    // The controls others read and fill: the settings store, the main window, tests.
    TVideoCaptureDevCombo* videoCaptureDevices() const;
    TAudioCaptureDevCombo* audioCaptureDevices() const;
    QComboBox* captureResolutions() const;
    QComboBox* previewResolutions() const;
    TVideoCompressionDevCombo* videoCompressors() const;
    TAudioCompressionDevCombo* audioCompressors() const;
    QPushButton* mixerUnmuteButton() const;
    QPushButton* mixerMuteButton() const;

    QTimer* TVSignalTimer = nullptr;

private:
    std::unique_ptr<Ui::TVPage> ui;
    Clock& clock_;
    MixerPresets& presets_;
    std::unique_ptr<ChannelListWidgets> channelWidgets_;
    std::unique_ptr<TVChannelList> channels_;
    ChannelSearchButton* searchButton_ = nullptr;
};
