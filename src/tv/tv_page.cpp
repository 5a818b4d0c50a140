#include "tv_page.h"

#include "ui_tv_page.h"

#include "channels/channel_list_widgets.h"
#include "channels/channel_search_button.h"
#include "components/mixer_presets.h"
#include "platform/win/clock.h"
#include "view/video_target.h"

namespace {
constexpr int kSignalIntervalMs = 1000;
} // namespace

TVPage::TVPage(Clock& clock, MixerPresets& presets, std::function<bool()> pageShown, QWidget* parent,
               const DeviceEnumFactory& devices)
    : QWidget(parent), TVSignalTimer(new QTimer(this)), ui(std::make_unique<Ui::TVPage>()), clock_(clock),
      presets_(presets) {
    ui->setupUi(this);
    if (devices) {
        for (DevicePickerCombo* picker :
             std::initializer_list<DevicePickerCombo*>{ui->TVVideoCaptureDevCombo, ui->TVAudioCaptureDevCombo,
                                                       ui->TVVideoCompression, ui->TVAudioCompression}) {
            picker->useDevices(devices);
        }
    }
    TVSignalTimer->setObjectName(QStringLiteral("TVSignalTimer"));
    TVSignalTimer->setInterval(kSignalIntervalMs);
    channelWidgets_ = std::make_unique<ChannelListWidgets>(this, kTVChannelList, std::move(pageShown));
    channels_ = std::make_unique<TVChannelList>(*channelWidgets_, &presets_, clock_);
    channelWidgets_->bind(*channels_);
    searchButton_ = new ChannelSearchButton(this, *channels_, TVSignalTimer);
    connect(ui->TVMixerUnmuteButton, &QPushButton::clicked, this, &TVPage::TVMixerUnmuteButtonClick);
    connect(ui->TVMixerMuteButton, &QPushButton::clicked, this, &TVPage::TVMixerMuteButtonClick);
}

TVPage::~TVPage() = default;

void TVPage::TVTabSheetShow() {
    DetachVideo();
    TVSignalTimer->start();
    presets_.ActionPreset(kPresetTVUnmute);
}

void TVPage::leavePage() {
    MuteAndSettle(&presets_, clock_, kPresetTVMute);
    TVSignalTimer->stop();
}

bool TVPage::hasVideoCaptureDevice() const {
    return ui->TVVideoCaptureDevCombo->count() > 0;
}

void TVPage::TVChanUpDownChangingEx(bool up, int) {
    channels_->TVChanUpDownChangingEx(up ? StepDirection::Up : StepDirection::Down);
}

int TVPage::TVChanUpDownPosition() const {
    return ui->TVChanUpDown->position();
}

void TVPage::TVMixerUnmuteButtonClick() {
    EditAndApplyPreset(presets_, kPresetTVUnmute);
}

void TVPage::TVMixerMuteButtonClick() {
    EditAndApplyPreset(presets_, kPresetTVMute);
}

TVideoCaptureDevCombo* TVPage::videoCaptureDevices() const {
    return ui->TVVideoCaptureDevCombo;
}

TAudioCaptureDevCombo* TVPage::audioCaptureDevices() const {
    return ui->TVAudioCaptureDevCombo;
}

QComboBox* TVPage::captureResolutions() const {
    return ui->TVCapResCombo;
}

QComboBox* TVPage::previewResolutions() const {
    return ui->TVPrvResCombo;
}

TVideoCompressionDevCombo* TVPage::videoCompressors() const {
    return ui->TVVideoCompression;
}

TAudioCompressionDevCombo* TVPage::audioCompressors() const {
    return ui->TVAudioCompression;
}

QPushButton* TVPage::mixerUnmuteButton() const {
    return ui->TVMixerUnmuteButton;
}

QPushButton* TVPage::mixerMuteButton() const {
    return ui->TVMixerMuteButton;
}
