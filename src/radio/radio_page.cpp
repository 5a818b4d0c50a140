#include "radio_page.h"

#include "ui_radio_page.h"

#include "channels/channel_list_widgets.h"
#include "channels/channel_search_button.h"
#include "components/mixer_presets.h"
#include "platform/win/clock.h"

RadioPage::RadioPage(Clock& clock, MixerPresets& presets, std::function<bool()> pageShown, QWidget* parent,
                     const DeviceEnumFactory& devices)
    : QWidget(parent), ui(std::make_unique<Ui::RadioPage>()), clock_(clock), presets_(presets) {
    ui->setupUi(this);
    if (devices) {
        for (DevicePickerCombo* picker : std::initializer_list<DevicePickerCombo*>{
                 ui->RadioTunerDevCombo, ui->RadioAudioDevCombo, ui->RadioCrossbarDevCombo}) {
            picker->useDevices(devices);
        }
    }
    stationWidgets_ = std::make_unique<ChannelListWidgets>(this, kRadioStationList, std::move(pageShown));
    stations_ = std::make_unique<RadioStationList>(*stationWidgets_, &presets_, clock_);
    stationWidgets_->bind(*stations_);
    searchButton_ = new ChannelSearchButton(this, *stations_);
    connect(ui->RadioMixerUnmuteButton, &QPushButton::clicked, this, &RadioPage::RadioMixerUnmuteButtonClick);
    connect(ui->RadioMixerMuteButton, &QPushButton::clicked, this, &RadioPage::RadioMixerMuteButtonClick);
}

RadioPage::~RadioPage() = default;

void RadioPage::RadioTabSheetShow() {}

void RadioPage::leavePage() {
    MuteAndSettle(&presets_, clock_, kPresetRadioMute);
}

bool RadioPage::hasTunerDevice() const {
    return ui->RadioTunerDevCombo->count() > 0;
}

void RadioPage::RadioMixerUnmuteButtonClick() {
    EditAndApplyPreset(presets_, kPresetRadioUnmute);
}

void RadioPage::RadioMixerMuteButtonClick() {
    EditAndApplyPreset(presets_, kPresetRadioMute);
}

TTVTunerDevCombo* RadioPage::tunerDevices() const {
    return ui->RadioTunerDevCombo;
}

TTVAudioDevCombo* RadioPage::audioDevices() const {
    return ui->RadioAudioDevCombo;
}

TVideoCrossbarDevCombo* RadioPage::crossbarDevices() const {
    return ui->RadioCrossbarDevCombo;
}

QPushButton* RadioPage::mixerUnmuteButton() const {
    return ui->RadioMixerUnmuteButton;
}

QPushButton* RadioPage::mixerMuteButton() const {
    return ui->RadioMixerMuteButton;
}
