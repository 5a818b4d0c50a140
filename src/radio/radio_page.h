// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Radio page: FM radio through the TV card's own tuner. Showing it builds or re-arms the TRadioTools,
// fills the sound-mode box and the exit audio source list, routes the tuner's sound and tunes the selected
// station between the radio presets; leaving it routes the exit audio source and mutes, but the radio keeps
// its station. A device change rebuilds the TRadioTools. While shown, the tuner's sound plays on the
// desktop's speakers ("Play card sound"), muted and unmuted with the radio presets.

#include "components/dev_cmb_pickers.h"
#include "platform/com/guid.h"
#include "radio_tools.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

namespace Ui {
class RadioPage;
}
class CardSoundPresets;
class ChannelListWidgets;
class ChannelSearchButton;
class Clock;
class MessageBoxes;
class MixerPresets;
class QComboBox;
class QPushButton;
class QCheckBox;
class RadioCardSound;
class RadioChannelTuner;
class RadioStationList;
class TunerPlatform;

// The platform's property frame: modal, for objectCount objects and their pages.
using PropertyFrame =
    std::function<HRESULT(QWidget* owner, int x, int y, const wchar_t* caption, ULONG objectCount,
                          IUnknown** objects, ULONG pageCount, const Guid* pages, std::uint32_t locale)>;

class RadioPage final : public QWidget {
    Q_OBJECT
public:
    // pageShown answers whether this page is the main window's page shown, as for the TV page. devices,
    // when given, lists the devices in the page's pickers instead of the system's enumerator. The radio error
    // box goes to messageBoxes.
    RadioPage(Clock& clock, MixerPresets& presets, MessageBoxes& messageBoxes,
              std::function<bool()> pageShown, QWidget* parent = nullptr,
              const DeviceEnumFactory& devices = {});
    ~RadioPage() override;

    void RadioTabSheetShow();
    // Left: the exit routing, then "Radio_Mute" and the 200 ms wait. The radio keeps playing.
    void leavePage();
    // The program's close frees the radio object after the other pages' objects.
    void freeRadioTools();

    // Whether a tuner is there to show this page for.
    bool hasTunerDevice() const;

    // Handlers of the "Setup" and "Control" sheets.
    void RadioTunerDevComboChange();
    void RadioAudioDevComboChange();
    void RadioCrossbarDevComboChange();
    void RadioTunerButtonClick();
    void RadioAudioButtonClick();
    void RadioCrossbarButtonClick();
    void RadioAudioComboBoxChange();
    void RadioAudioSourceComboBoxChange();
    // "Unmute on start" and "Mute on exit" in the "Sound Mixer" group: edit the preset, then apply it.
    void RadioMixerUnmuteButtonClick();
    void RadioMixerMuteButtonClick();
    // "Play card sound": starts or stops the tuner's sound on the shown page.
    void RadioCardSoundCheckBoxClick();

    // Crossbar pins of the exit routing; -1 means none.
    std::int32_t exitOutputPin = -1;
    std::int32_t exitInputPin = -1;

    // The radio object; null until the page is first shown.
    TRadioTools* radioTools() const { return radio_.get(); }
    // The station list on the "Channels" and "Control" sheets.
    RadioStationList& stations() const { return *stations_; }
    // Its "Search...": the radio search dialog over the radio graph's tuner.
    ChannelSearchButton& searchButton() const { return *searchButton_; }
    // Tests watch the property frame instead of opening it.
    void setPropertyFrame(PropertyFrame frame) { propertyFrame_ = std::move(frame); }
    // The tuner's sound; nothing plays while the page is not shown.
    RadioCardSound& cardSound() const { return *cardSound_; }

    // The controls others read and fill: the settings store, tests.
    TTVTunerDevCombo* tunerDevices() const;
    TTVAudioDevCombo* audioDevices() const;
    TVideoCrossbarDevCombo* crossbarDevices() const;
    QComboBox* audioModes() const;
    QComboBox* audioSources() const;
    QPushButton* tunerButton() const;
    QPushButton* audioButton() const;
    QPushButton* crossbarButton() const;
    QPushButton* mixerUnmuteButton() const;
    QPushButton* mixerMuteButton() const;
    QCheckBox* cardSoundBox() const;

private:
    void fillAudioModes();
    void fillAudioSources();
    // The device's property pages in the property frame; silent when anything is missing.
    void showPropertyPages(TRadioTools::Device device);
    // Any picker's change: a new radio object from the three selections, shown anew.
    void rebuildRadioTools();
    // The tuner's sound while the page is shown and "Play card sound" is ticked.
    void startCardSound();
    void stopCardSound();

    std::unique_ptr<Ui::RadioPage> ui;
    Clock& clock_;
    MessageBoxes& messageBoxes_;
    DeviceEnumFactory devices_;
    std::unique_ptr<TunerPlatform> platform_;
    std::unique_ptr<RadioCardSound> cardSound_;
    // The presets as the page applies them: they also mute the card's sound.
    std::unique_ptr<CardSoundPresets> presets_;
    bool shown_ = false;
    PropertyFrame propertyFrame_;
    std::unique_ptr<ChannelListWidgets> stationWidgets_;
    std::unique_ptr<RadioStationList> stations_;
    ChannelSearchButton* searchButton_ = nullptr;
    std::unique_ptr<TRadioTools> radio_;
    std::unique_ptr<RadioChannelTuner> channelTuner_;
};
