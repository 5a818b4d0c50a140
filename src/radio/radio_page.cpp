// SPDX-License-Identifier: GPL-2.0-or-later
#include "radio_page.h"

#include "ui_radio_page.h"

#include "channels/channel_list_widgets.h"
#include "channels/channel_search_button.h"
#include "components/card_sound_presets.h"
#include "components/mixer_presets.h"
#include "platform/media/gst/dmo_interfaces.h"
#include "platform/win/clock.h"
#include "radio_card_sound.h"
#include "radio_channel_tuner.h"
#include "tv/card_sound_engine.h"
#include "tv/tuner_platform.h"

#include <QCheckBox>

RadioPage::RadioPage(Clock& clock, MixerPresets& presets, MessageBoxes& messageBoxes,
                     std::function<bool()> pageShown, QWidget* parent, const DeviceEnumFactory& devices)
    : QWidget(parent), ui(std::make_unique<Ui::RadioPage>()), clock_(clock), messageBoxes_(messageBoxes),
      devices_(devices), platform_(MakeEngineTunerPlatform()),
      cardSound_(
          std::make_unique<RadioCardSound>(RadioCardSound::Services{*platform_, &CreateEngineCardSound})),
      presets_(std::make_unique<CardSoundPresets>(presets, kPresetRadioMute, kPresetRadioUnmute)),
      propertyFrame_(&OleCreatePropertyFrame) {
    ui->setupUi(this);
    if (devices) {
        for (DevicePickerCombo* picker : std::initializer_list<DevicePickerCombo*>{
                 ui->RadioTunerDevCombo, ui->RadioAudioDevCombo, ui->RadioCrossbarDevCombo}) {
            picker->useDevices(devices);
        }
    }
    stationWidgets_ = std::make_unique<ChannelListWidgets>(this, kRadioStationList, std::move(pageShown));
    stations_ = std::make_unique<RadioStationList>(*stationWidgets_, presets_.get(), clock_);
    stationWidgets_->bind(*stations_);
    searchButton_ = new ChannelSearchButton(this, *stations_);
    // Until the page is first shown there is no radio object to fill them from.
    ui->RadioAudioComboBox->setEnabled(false);
    ui->RadioAudioSourceComboBox->setEnabled(false);

    // The user's choices only: the settings store selects devices without rebuilding anything.
    connect(ui->RadioTunerDevCombo, &QComboBox::activated, this, &RadioPage::RadioTunerDevComboChange);
    connect(ui->RadioAudioDevCombo, &QComboBox::activated, this, &RadioPage::RadioAudioDevComboChange);
    connect(ui->RadioCrossbarDevCombo, &QComboBox::activated, this, &RadioPage::RadioCrossbarDevComboChange);
    connect(ui->RadioTunerButton, &QPushButton::clicked, this, &RadioPage::RadioTunerButtonClick);
    connect(ui->RadioAudioButton, &QPushButton::clicked, this, &RadioPage::RadioAudioButtonClick);
    connect(ui->RadioCrossbarButton, &QPushButton::clicked, this, &RadioPage::RadioCrossbarButtonClick);
    connect(ui->RadioAudioComboBox, &QComboBox::activated, this, &RadioPage::RadioAudioComboBoxChange);
    connect(ui->RadioAudioSourceComboBox, &QComboBox::activated, this,
            &RadioPage::RadioAudioSourceComboBoxChange);
    connect(ui->RadioMixerUnmuteButton, &QPushButton::clicked, this, &RadioPage::RadioMixerUnmuteButtonClick);
    connect(ui->RadioMixerMuteButton, &QPushButton::clicked, this, &RadioPage::RadioMixerMuteButtonClick);
    connect(ui->RadioCardSoundCheckBox, &QCheckBox::clicked, this, &RadioPage::RadioCardSoundCheckBoxClick);
}

RadioPage::~RadioPage() {
    freeRadioTools();
}

void RadioPage::startCardSound() {
    if (!shown_ || !ui->RadioCardSoundCheckBox->isChecked()) {
        return;
    }
    RefPtr<ICreateDevEnum> devices;
    const HRESULT listed = devices_ ? devices_(devices.put()) : CreateSystemDeviceEnum(devices.put());
    const RefPtr<IMoniker> sound =
        SUCCEEDED(listed) ? TunerSoundDevice(ui->RadioTunerDevCombo->GetMoniker(), devices.get()) : nullptr;
    // Playing again may replace the stream whose mute the presets hold.
    presets_->setCardSound(nullptr);
    if (sound && radio_ && radio_->hasTuner() && cardSound_->Play(sound.get())) {
        presets_->setCardSound(cardSound_->sound());
    }
}

void RadioPage::stopCardSound() {
    presets_->setCardSound(nullptr);
    cardSound_->Stop();
}

void RadioPage::RadioTabSheetShow() {
    if (!radio_) {
        radio_ = std::make_unique<TRadioTools>(
            ui->RadioTunerDevCombo->GetMoniker(), ui->RadioAudioDevCombo->GetMoniker(),
            ui->RadioCrossbarDevCombo->GetMoniker(), TRadioTools::Services{messageBoxes_});
        channelTuner_ = std::make_unique<RadioChannelTuner>(*radio_);
        stations_->setTuner(channelTuner_.get());
        searchButton_->setTuner(channelTuner_.get());
    }
    radio_->SetRadioMode();
    fillAudioModes();
    fillAudioSources();
    radio_->RouteRadioAudio();
    shown_ = true;
    // Muted until the station is tuned.
    startCardSound();
    // On the visible page: "Radio_Mute", the wait, the station tuned with its offset shown, "Radio_Unmute".
    stations_->RadioCheckListBoxClick();
}

void RadioPage::fillAudioModes() {
    QComboBox* box = ui->RadioAudioComboBox;
    box->clear();
    const TvAudioModeBox modes = radio_->ReadAudioModes();
    for (const TvAudioModeItem& item : modes.items) {
        box->addItem(QString::fromLatin1(item.text), item.mode);
    }
    box->setCurrentIndex(modes.selected);
    box->setEnabled(modes.enabled);
}

void RadioPage::fillAudioSources() {
    QComboBox* box = ui->RadioAudioSourceComboBox;
    exitOutputPin = -1;
    // Also without a crossbar: the rows of a crossbar no longer chosen would name pins that are not there.
    box->clear();
    if (!radio_->hasCrossbar()) {
        box->setEnabled(false);
        return;
    }
    const RadioAudioSources sources = radio_->ReadAudioSources();
    exitOutputPin = sources.decoderOutput;
    for (const RadioAudioSource& source : sources.inputs) {
        box->addItem(QString::fromLatin1(source.name), source.pin);
    }
    box->setCurrentIndex(box->findData(exitInputPin));
    box->setEnabled(true);
}

void RadioPage::leavePage() {
    if (radio_ && radio_->hasCrossbar() && exitOutputPin >= 0 && exitInputPin >= 0) {
        radio_->RouteAudio(exitOutputPin, exitInputPin);
    }
    MuteAndSettle(presets_.get(), clock_, kPresetRadioMute);
    // The tuner stays tuned, but its sound is the page's.
    shown_ = false;
    stopCardSound();
}

void RadioPage::freeRadioTools() {
    stopCardSound();
    stations_->setTuner(nullptr);
    searchButton_->setTuner(nullptr);
    channelTuner_.reset();
    radio_.reset();
}

bool RadioPage::hasTunerDevice() const {
    return ui->RadioTunerDevCombo->GetMoniker() != nullptr;
}

void RadioPage::rebuildRadioTools() {
    // The old object goes first: it holds the tuner's lock, which the new one takes.
    freeRadioTools();
    RadioTabSheetShow();
}

void RadioPage::RadioTunerDevComboChange() {
    rebuildRadioTools();
}

void RadioPage::RadioAudioDevComboChange() {
    rebuildRadioTools();
}

void RadioPage::RadioCrossbarDevComboChange() {
    rebuildRadioTools();
}

void RadioPage::showPropertyPages(TRadioTools::Device device) {
    if (!radio_) {
        return;
    }
    const RefPtr<ISpecifyPropertyPages> specify = query<ISpecifyPropertyPages>(radio_->device(device));
    CAUUID pages;
    if (!specify || FAILED(specify->GetPages(&pages))) {
        return;
    }
    IUnknown* object = specify.get();
    propertyFrame_(window(), 30, 30, nullptr, 1, &object, pages.cElems, pages.pElems, 0);
    CoTaskMemFree(pages.pElems);
}

void RadioPage::RadioTunerButtonClick() {
    showPropertyPages(TRadioTools::Device::Tuner);
}

void RadioPage::RadioAudioButtonClick() {
    showPropertyPages(TRadioTools::Device::TvAudio);
}

void RadioPage::RadioCrossbarButtonClick() {
    showPropertyPages(TRadioTools::Device::Crossbar);
}

void RadioPage::RadioAudioComboBoxChange() {
    const int row = ui->RadioAudioComboBox->currentIndex();
    if (radio_ && radio_->hasTvAudio() && row >= 0) {
        radio_->SetTvAudioMode(ui->RadioAudioComboBox->itemData(row).toInt());
    }
}

void RadioPage::RadioAudioSourceComboBoxChange() {
    const int row = ui->RadioAudioSourceComboBox->currentIndex();
    if (row >= 0 && radio_ && radio_->hasCrossbar()) {
        // Routed only when the page is left.
        exitInputPin = ui->RadioAudioSourceComboBox->itemData(row).toInt();
    }
}

void RadioPage::RadioMixerUnmuteButtonClick() {
    EditAndApplyPreset(*presets_, kPresetRadioUnmute);
}

void RadioPage::RadioMixerMuteButtonClick() {
    EditAndApplyPreset(*presets_, kPresetRadioMute);
}

void RadioPage::RadioCardSoundCheckBoxClick() {
    if (ui->RadioCardSoundCheckBox->isChecked()) {
        startCardSound();
    } else {
        stopCardSound();
    }
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

QComboBox* RadioPage::audioModes() const {
    return ui->RadioAudioComboBox;
}

QComboBox* RadioPage::audioSources() const {
    return ui->RadioAudioSourceComboBox;
}

QPushButton* RadioPage::tunerButton() const {
    return ui->RadioTunerButton;
}

QPushButton* RadioPage::audioButton() const {
    return ui->RadioAudioButton;
}

QPushButton* RadioPage::crossbarButton() const {
    return ui->RadioCrossbarButton;
}

QPushButton* RadioPage::mixerUnmuteButton() const {
    return ui->RadioMixerUnmuteButton;
}

QPushButton* RadioPage::mixerMuteButton() const {
    return ui->RadioMixerMuteButton;
}

QCheckBox* RadioPage::cardSoundBox() const {
    return ui->RadioCardSoundCheckBox;
}
