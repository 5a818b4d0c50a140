#include "radio_page.h"

#include "ui_radio_page.h"

#include "channels/channel_list_widgets.h"
#include "components/mixer_presets.h"
#include "platform/win/clock.h"

RadioPage::RadioPage(Clock& clock, MixerPresets& presets, std::function<bool()> pageShown, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::RadioPage>()), clock_(clock), presets_(presets) {
    ui->setupUi(this);
    stationWidgets_ = std::make_unique<ChannelListWidgets>(this, kRadioStationList, std::move(pageShown));
    stations_ = std::make_unique<RadioStationList>(*stationWidgets_, &presets_, clock_);
    stationWidgets_->bind(*stations_);
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
