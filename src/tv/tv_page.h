// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The TV / VCR page: the capture graph's object and its sheets. "Control" tunes and adjusts the picture,
// "Capture" records with live statistics, "Channels" holds the channel list, "Setup" chooses the devices,
// the resolutions and opens the devices' own settings dialogs. The handlers keep the form's names; they are
// spread over tv_page.cpp (showing, devices, graph events), tv_page_controls.cpp (tuner, picture and source
// controls) and tv_page_capture.cpp (recording, status line, device settings).

#include "components/dev_cmb_pickers.h"
#include "compressor_options.h"
#include "device_property_list.h"
#include "tv_audio_modes.h"
#include "tv_signal_indicator.h"
#include "view/video_target.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

namespace Ui {
class TVPage;
}
struct ChannelEntry;
class CardSoundPresets;
class ChannelListWidgets;
class ChannelSearchButton;
class Clock;
class MessageBoxes;
class MixerPresets;
class PropertyFrames;
class QCheckBox;
class QComboBox;
class QPushButton;
class QSlider;
class TTunerTools;
class TunerChannelTuner;
class TunerPlatform;
class TVChannelList;
class TVideoWindowForm;

struct TVPageContext {
    Clock& clock;
    MessageBoxes& messageBoxes;
    MixerPresets& presets;
    // Whether this page is the main window's page shown (its show handler has run and it has not been left),
    // whatever the window's own visibility.
    std::function<bool()> pageShown;
    // The main window: owner of the error boxes and dialogs, receiver of the graph's notifications, and the
    // window the video window is placed beside.
    QWidget* mainWindow = nullptr;
    // Where the video window stood when the page was last left; the main window writes it.
    VideoPlacement* placement = nullptr;
    // The devices the page's pickers list; the system's enumerator when empty.
    DeviceEnumFactory devices = {};
};

class TVPage final : public QWidget {
    Q_OBJECT
public:
    TVPage(TVPageContext context, QWidget* parent = nullptr);
    ~TVPage() override;

    // The video window is made after the main window.
    void setVideoWindow(TVideoWindowForm* videoWindow) { videoWindow_ = videoWindow; }

    // Entered: the first time makes the capture object, later times re-tune and put the video window back;
    // then the preview runs, the signal timer is armed and "TV_Unmute" applied.
    void TVTabSheetShow();
    // Left: "TV_Mute", the 200 ms wait, the signal timer stopped, the preview halted.
    void leavePage();
    // At close: the capture object and everything it holds go.
    void freeTunerTools();
    // CaptureNotifyMessage: drains the graph's events; an error abort ends the recording.
    void handleCaptureNotify();

    // Whether a video capture device is there to show this page for.
    bool hasVideoCaptureDevice() const;
    // The TV channel stepper, which the video window drives with its arrow keys.
    void TVChanUpDownChangingEx(bool up, int newPosition);
    int TVChanUpDownPosition() const;
    // The channel typed in the video window (from 1), selected as a click in the list; none past the list.
    void selectChannelByNumber(int number);

    // "Unmute on start" and "Mute on exit" on the "Setup" sheet: edit the preset, then apply it.
    void TVMixerUnmuteButtonClick();
    void TVMixerMuteButtonClick();

    // Device, sound and resolution changes on the "Setup" sheet.
    void TVVideoCaptureDevComboChange();
    void TVAudioCaptureDevComboChange();
    void TVAudioCaptureCheckBoxClick();
    // "Play card sound": the card's sound on the desktop's speakers while the preview runs, or not.
    void TVCardSoundCheckBoxClick();
    void TVPrvResComboChange();
    void TVCapResComboChange();

    // The "Control" sheet and the signal indicator.
    void TVSignalTimerTimer();
    void TVAudioComboBoxChange();
    void TVVideoSourceComboBoxChange();
    void TVBrightnessTrackBarChange() { pictureTrackBarChange(0); }
    void TVContrastTrackBarChange() { pictureTrackBarChange(1); }
    void TVHueTrackBarChange() { pictureTrackBarChange(2); }
    void TVSaturationTrackBarChange() { pictureTrackBarChange(3); }
    void TVAmpResetButtonClick();

    // The "Capture" sheet.
    void RecButtonClick();
    void RecStopButtonClick();
    void CaptureTimerTimer();
    void TVVideoCompressionChange();
    void TVAudioCompressionChange();
    void TVVideoCompressButtonClick();
    void TVAudioCompressButtonClick();
    // The status bar's line and the audio format label, after every change of device, size or dialog.
    void refreshStatusLine();

    // The "Features" list of the "Setup" sheet.
    void rebuildFeatureList();
    void TVOptionButtonClick();

    // The TV channel list on the "Channels" and "Control" sheets.
    TVChannelList& channels() const { return *channels_; }
    // The capture object; null until the page is first shown.
    TTunerTools* tunerTools() const { return tools_.get(); }
    Ui::TVPage& ui() const { return *ui_; }
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
    QCheckBox* cardSoundBox() const;
    // What the compressors' settings pages stored, per compressor; the settings fill and save it.
    CompressorOptions& compressorOptions() { return compressorOptions_; }

    QTimer* TVSignalTimer = nullptr;
    QTimer* CaptureTimer = nullptr;

private:
    void connectControls();
    void createTunerTools();
    // Device change steps: the boxes and bars that follow the device.
    void fillVideoSources();
    void fillAudioModes();
    void picturesFromRanges();
    // The channel stepper and "Search..." work only with a tuner.
    void enableTunerControls();
    // On a re-show: the crossbar back to the source the source box shows.
    void routeChosenSource();
    // Moves the picture bars to a channel's stored values; their handlers apply and store them.
    void showChannelPicture(const ChannelEntry& entry);
    void pictureTrackBarChange(int property);
    QSlider* pictureBar(int property) const;
    void applyPreset(const char* name);
    void showVideoWindow();
    // Hands the card-sound renderer to the graph object when "Play card sound" is ticked.
    void chooseCardSound();
    // While recording, the controls whose handlers would rebuild the graph are disabled.
    void enableGraphControls(bool enabled);
    // The recording ends and the sheet goes back to idle, without a preview rebuilt (closing, a lost device).
    void finishRecording();
    // The recording in a capture graph built anew (the preview stopped for it); true once it runs.
    bool startCaptureGraph();
    // A handler about to take the graph apart stops a recording first, as its Stop button does.
    void stopRecordingBeforeTearDown();
    void showOutputFile();

    std::unique_ptr<Ui::TVPage> ui_;
    TVPageContext context_;
    std::unique_ptr<TunerPlatform> platform_;
    std::unique_ptr<PropertyFrames> frames_;
    CompressorOptions compressorOptions_;
    // The presets as the page applies them: they also mute the card's sound.
    std::unique_ptr<CardSoundPresets> presets_;
    RefPtr<IBaseFilter> cardSound_;
    std::unique_ptr<ChannelListWidgets> channelWidgets_;
    std::unique_ptr<TVChannelList> channels_;
    std::unique_ptr<TTunerTools> tools_;
    std::unique_ptr<TunerChannelTuner> channelTuner_;
    TVideoWindowForm* videoWindow_ = nullptr;
    TvSignalIndicator signal_;
    TvAudioModeBox audioModes_;
    DevicePropertyIndexes featureIndexes_;
    // While set, the picture bars' handlers do nothing: the bars are being set from the device's ranges.
    bool controlsUpdating_ = false;
    ChannelSearchButton* searchButton_ = nullptr;
};
