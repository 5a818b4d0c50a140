// The TV page's "Control" sheet, the signal indicator and the resolution boxes: what follows the device after
// every change, and what the user's changes do to it.
#include "tv_page.h"

#include "ui_tv_page.h"

#include "channels/channel_list_editor.h"
#include "tuner_tools.h"
#include "video_sources.h"
#include "view/on_screen_control.h"
#include "view/video_window_form.h"

namespace {

struct FrameSize {
    int width;
    int height;
};

// The items of both resolution boxes, by index.
constexpr FrameSize kResolutions[] = {{320, 240}, {352, 288}, {384, 288}, {704, 576}, {720, 576}, {768, 576}};

const FrameSize* ResolutionAt(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kResolutions))) {
        return nullptr;
    }
    return &kResolutions[index];
}

std::int32_t& StoredPicture(ChannelEntry& entry, int property) {
    switch (property) {
    case 0:
        return entry.brightness;
    case 1:
        return entry.contrast;
    case 2:
        return entry.hue;
    default:
        return entry.saturation;
    }
}

} // namespace

void TVPage::connectControls() {
    connect(ui_->TVMixerUnmuteButton, &QPushButton::clicked, this, &TVPage::TVMixerUnmuteButtonClick);
    connect(ui_->TVMixerMuteButton, &QPushButton::clicked, this, &TVPage::TVMixerMuteButtonClick);
    connect(TVSignalTimer, &QTimer::timeout, this, &TVPage::TVSignalTimerTimer);
    connect(CaptureTimer, &QTimer::timeout, this, &TVPage::CaptureTimerTimer);
    // Boxes run their handlers on the user's choice only, as the pages set them without a change event.
    connect(ui_->TVVideoCaptureDevCombo, &QComboBox::activated, this, &TVPage::TVVideoCaptureDevComboChange);
    connect(ui_->TVAudioCaptureDevCombo, &QComboBox::activated, this, &TVPage::TVAudioCaptureDevComboChange);
    connect(ui_->TVAudioCaptureCheckBox, &QCheckBox::clicked, this, &TVPage::TVAudioCaptureCheckBoxClick);
    connect(ui_->TVPrvResCombo, &QComboBox::activated, this, &TVPage::TVPrvResComboChange);
    connect(ui_->TVCapResCombo, &QComboBox::activated, this, &TVPage::TVCapResComboChange);
    connect(ui_->TVAudioComboBox, &QComboBox::activated, this, &TVPage::TVAudioComboBoxChange);
    connect(ui_->TVVideoSourceComboBox, &QComboBox::activated, this, &TVPage::TVVideoSourceComboBoxChange);
    // The bars run theirs on every move, also when a channel's values move them.
    connect(ui_->TVBrightnessTrackBar, &QSlider::valueChanged, this, &TVPage::TVBrightnessTrackBarChange);
    connect(ui_->TVContrastTrackBar, &QSlider::valueChanged, this, &TVPage::TVContrastTrackBarChange);
    connect(ui_->TVHueTrackBar, &QSlider::valueChanged, this, &TVPage::TVHueTrackBarChange);
    connect(ui_->TVSaturationTrackBar, &QSlider::valueChanged, this, &TVPage::TVSaturationTrackBarChange);
    connect(ui_->TVAmpResetButton, &QPushButton::clicked, this, &TVPage::TVAmpResetButtonClick);
    connect(ui_->RecButton, &QPushButton::clicked, this, &TVPage::RecButtonClick);
    connect(ui_->RecStopButton, &QPushButton::clicked, this, &TVPage::RecStopButtonClick);
    connect(ui_->TVVideoCompression, &QComboBox::activated, this, &TVPage::TVVideoCompressionChange);
    connect(ui_->TVAudioCompression, &QComboBox::activated, this, &TVPage::TVAudioCompressionChange);
    connect(ui_->TVVideoCompressButton, &QToolButton::clicked, this, &TVPage::TVVideoCompressButtonClick);
    connect(ui_->TVAudioCompressButton, &QToolButton::clicked, this, &TVPage::TVAudioCompressButtonClick);
    connect(ui_->TVOptionButton, &QToolButton::clicked, this, &TVPage::TVOptionButtonClick);
}

void TVPage::TVSignalTimerTimer() {
    const bool pageShown = context_.pageShown && context_.pageShown();
    if (const char* caption = signal_.tick(tools_.get(), pageShown)) {
        ui_->TVSignalLabel->setText(QString::fromLatin1(caption));
    }
    if (videoWindow_ && tools_ && pageShown) {
        videoWindow_->onScreen().showSignal(signal_.locked());
    }
}

void TVPage::fillAudioModes() {
    audioModes_ = ReadTvAudioModes(tools_ ? tools_->tvAudio.get() : nullptr);
    ui_->TVAudioComboBox->clear();
    for (const TvAudioModeItem& item : audioModes_.items) {
        ui_->TVAudioComboBox->addItem(QString::fromLatin1(item.text), item.mode);
    }
    ui_->TVAudioComboBox->setCurrentIndex(audioModes_.selected);
    ui_->TVAudioComboBox->setEnabled(audioModes_.enabled);
}

void TVPage::TVAudioComboBoxChange() {
    ChooseTvAudioMode(tools_.get(), audioModes_, ui_->TVAudioComboBox->currentIndex());
}

void TVPage::fillVideoSources() {
    QComboBox* box = ui_->TVVideoSourceComboBox;
    box->clear();
    const VideoSourceBox sources =
        tools_ ? ReadVideoSources(tools_->crossbar.get(), tools_->videoInputCount) : VideoSourceBox{};
    for (const std::string& name : sources.names) {
        box->addItem(QString::fromLocal8Bit(name.c_str()));
    }
    box->setCurrentIndex(sources.selected);
    box->setEnabled(box->count() > 0);
    if (box->count() > 0) {
        TVVideoSourceComboBoxChange();
    }
}

void TVPage::TVVideoSourceComboBoxChange() {
    const int index = ui_->TVVideoSourceComboBox->currentIndex();
    if (tools_ && tools_->crossbar && index >= 0) {
        tools_->crossbar->Routing(index);
    }
}

QSlider* TVPage::pictureBar(int property) const {
    QSlider* const bars[] = {ui_->TVBrightnessTrackBar, ui_->TVContrastTrackBar, ui_->TVHueTrackBar,
                             ui_->TVSaturationTrackBar};
    return bars[property];
}

void TVPage::picturesFromRanges() {
    if (!tools_) {
        return;
    }
    controlsUpdating_ = true;
    for (int property = 0; property < 4; ++property) {
        const ProcAmpRange& range = tools_->picture[static_cast<std::size_t>(property)];
        QSlider* bar = pictureBar(property);
        bar->setEnabled(range.available);
        bar->setRange(range.minimum, range.maximum);
        bar->setValue(range.defaultValue);
        bar->setTickInterval(range.step);
    }
    controlsUpdating_ = false;
}

void TVPage::showChannelPicture(const ChannelEntry& entry) {
    // Copies: each bar's handler stores back into the entry.
    const std::int32_t values[] = {entry.brightness, entry.contrast, entry.hue, entry.saturation};
    for (int property = 0; property < 4; ++property) {
        QSlider* bar = pictureBar(property);
        bar->setValue(PicturePositionFromValue(values[property], bar->minimum(), bar->maximum()));
    }
}

void TVPage::pictureTrackBarChange(int property) {
    if (controlsUpdating_) {
        return;
    }
    const QSlider* bar = pictureBar(property);
    const int position = bar->value();
    if (ChannelEntry* entry = channels_->list().selectedEntry()) {
        StoredPicture(*entry, property) = PictureValueFromPosition(position, bar->minimum(), bar->maximum());
    }
    if (tools_ && tools_->procAmp) {
        tools_->procAmp->Set(property, position, VideoProcAmp_Flags_Manual);
    }
}

void TVPage::TVAmpResetButtonClick() {
    // The device's defaults; the fallback range's where it reports none.
    for (int property = 0; property < 4; ++property) {
        const ProcAmpRange range =
            tools_ ? tools_->picture[static_cast<std::size_t>(property)] : ProcAmpRange{};
        pictureBar(property)->setValue(range.defaultValue);
    }
    TVBrightnessTrackBarChange();
    TVContrastTrackBarChange();
    TVHueTrackBarChange();
    TVSaturationTrackBarChange();
}

void TVPage::TVPrvResComboChange() {
    const FrameSize* size = ResolutionAt(ui_->TVPrvResCombo->currentIndex());
    if (!size || !tools_) {
        return;
    }
    tools_->SetPreviewFormat(size->width, size->height);
    refreshStatusLine();
    if (videoWindow_) {
        videoWindow_->Zoom100Click();
    }
}

void TVPage::TVCapResComboChange() {
    const FrameSize* size = ResolutionAt(ui_->TVCapResCombo->currentIndex());
    if (!size || !tools_) {
        return;
    }
    tools_->SetCaptureFormat(size->width, size->height);
    refreshStatusLine();
}
