#pragma once
// The Radio page: its sheets and what leaving it does. The radio tuner graph joins it with the radio issue;
// the station list and the device pickers sit on its sheets.

#include "components/dev_cmb_pickers.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

namespace Ui {
class RadioPage;
}
class ChannelListWidgets;
class ChannelSearchButton;
class Clock;
class MixerPresets;
class QPushButton;
class RadioStationList;

class RadioPage final : public QWidget {
    Q_OBJECT
public:
    // pageShown answers whether this page is the main window's page shown, as for the TV page. devices,
    // when given, lists the devices in the page's pickers instead of the system's enumerator.
    RadioPage(Clock& clock, MixerPresets& presets, std::function<bool()> pageShown, QWidget* parent = nullptr,
              const DeviceEnumFactory& devices = {});
    ~RadioPage() override;

    void RadioTabSheetShow();
    // Left: the exit routing, then "Radio_Mute" and the 200 ms wait. The radio keeps playing.
    void leavePage();

    // Whether a tuner is there to show this page for.
    bool hasTunerDevice() const;

    // "Unmute on start" and "Mute on exit" in the "Sound Mixer" group: edit the preset, then apply it.
    void RadioMixerUnmuteButtonClick();
    void RadioMixerMuteButtonClick();

    // Crossbar pins of the exit routing; -1 means none.
    std::int32_t exitOutputPin = -1;
    std::int32_t exitInputPin = -1;

    // The station list on the "Channels" and "Control" sheets.
    RadioStationList& stations() const { return *stations_; }
    // Its "Search...": the radio search dialog over the radio graph's tuner.
    ChannelSearchButton& searchButton() const { return *searchButton_; }

    // The controls others read and fill: the settings store, tests.
    TTVTunerDevCombo* tunerDevices() const;
    TTVAudioDevCombo* audioDevices() const;
    TVideoCrossbarDevCombo* crossbarDevices() const;
    QPushButton* mixerUnmuteButton() const;
    QPushButton* mixerMuteButton() const;

private:
    std::unique_ptr<Ui::RadioPage> ui;
    Clock& clock_;
    MixerPresets& presets_;
    std::unique_ptr<ChannelListWidgets> stationWidgets_;
    std::unique_ptr<RadioStationList> stations_;
    ChannelSearchButton* searchButton_ = nullptr;
};
