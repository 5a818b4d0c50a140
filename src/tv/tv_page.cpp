// SPDX-License-Identifier: GPL-2.0-or-later
#include "tv_page.h"

#include "ui_tv_page.h"

#include "capture_events.h"
#include "card_sound_engine.h"
#include "channels/channel_list_widgets.h"
#include "channels/channel_search_button.h"
#include "components/card_sound_presets.h"
#include "platform/win/clock.h"
#include "property_frames_engine.h"
#include "tuner_channel_tuner.h"
#include "tuner_platform.h"
#include "tuner_tools.h"
#include "view/on_screen_control.h"
#include "view/video_window_form.h"

namespace {
constexpr int kSignalIntervalMs = 1000;
constexpr int kCaptureIntervalMs = 1000;
// The analog standard every device change and showing starts from, before the channel's own.
constexpr std::int32_t kStartStandard = 16;
} // namespace

TVPage::TVPage(TVPageContext context, QWidget* parent)
    : QWidget(parent), TVSignalTimer(new QTimer(this)), CaptureTimer(new QTimer(this)),
      ui_(std::make_unique<Ui::TVPage>()), context_(std::move(context)), platform_(MakeEngineTunerPlatform()),
      frames_(MakeEnginePropertyFrames()),
      presets_(std::make_unique<CardSoundPresets>(context_.presets, kPresetTVMute, kPresetTVUnmute)) {
    ui_->setupUi(this);
    if (context_.devices) {
        for (DevicePickerCombo* picker : std::initializer_list<DevicePickerCombo*>{
                 ui_->TVVideoCaptureDevCombo, ui_->TVAudioCaptureDevCombo, ui_->TVVideoCompression,
                 ui_->TVAudioCompression}) {
            picker->useDevices(context_.devices);
        }
    }
    TVSignalTimer->setObjectName(QStringLiteral("TVSignalTimer"));
    TVSignalTimer->setInterval(kSignalIntervalMs);
    CaptureTimer->setObjectName(QStringLiteral("CaptureTimer"));
    CaptureTimer->setInterval(kCaptureIntervalMs);
    // The figures count whole tenths from the start: a coarse timer firing early shows a second short.
    CaptureTimer->setTimerType(Qt::PreciseTimer);
    channelWidgets_ = std::make_unique<ChannelListWidgets>(this, kTVChannelList, context_.pageShown);
    channels_ = std::make_unique<TVChannelList>(*channelWidgets_, presets_.get(), context_.clock);
    channelWidgets_->bind(*channels_);
    channelWidgets_->setPictureShower([this](const ChannelEntry& entry) { showChannelPicture(entry); });
    connectControls();
    searchButton_ = new ChannelSearchButton(this, *channels_, TVSignalTimer);
    channels_->setAfterTune([this](int index) {
        if (videoWindow_) {
            videoWindow_->onScreen().showChannel(index + 1, channels_->list().at(index).name);
        }
    });
}

TVPage::~TVPage() {
    freeTunerTools();
}

void TVPage::applyPreset(const char* name) {
    presets_->ActionPreset(name);
}

void TVPage::chooseCardSound() {
    if (!ui_->TVCardSoundCheckBox->isChecked()) {
        tools_->cardSound = nullptr;
        presets_->setCardSound(nullptr);
        return;
    }
    if (!cardSound_ && FAILED(CreateEngineCardSound(CardSoundRole::Video, cardSound_.put()))) {
        cardSound_ = nullptr;
    }
    tools_->cardSound = cardSound_;
    presets_->setCardSound(query<ICardSound>(cardSound_).get());
}

void TVPage::TVCardSoundCheckBoxClick() {
    if (!tools_) {
        return;
    }
    chooseCardSound();
    // A recording keeps its graph; the choice takes effect with the next one, and silence comes at once.
    if (tools_->captureRunning) {
        if (const RefPtr<ICardSound> sound = query<ICardSound>(cardSound_)) {
            sound->SetMuted(!ui_->TVCardSoundCheckBox->isChecked() || presets_->muted());
        }
        return;
    }
    const bool wasRunning = tools_->previewRunning;
    tools_->HaltPreview();
    if (tools_->previewBuilt || tools_->captureBuilt) {
        tools_->DismantleGraph();
    }
    if (wasRunning) {
        tools_->AssemblePreview();
        tools_->RunPreview();
    }
}

void TVPage::createTunerTools() {
    tools_ = std::make_unique<TTunerTools>(
        &VideoTarget, TTunerTools::Services{*platform_, context_.messageBoxes, context_.clock});
    tools_->errorOwner = context_.mainWindow;
    tools_->dialogOwner = context_.mainWindow;
    tools_->notifyWindow = context_.mainWindow;
    tools_->compressorOptions = &compressorOptions_;
    tools_->previewWanted = false;
    tools_->audioWanted = true;
    chooseCardSound();
    channelTuner_ = std::make_unique<TunerChannelTuner>(*tools_);
    channels_->setTuner(channelTuner_.get());
    // The filters are made and the stored resolutions applied without a preview built in between.
    TVVideoCaptureDevComboChange();
    TVCapResComboChange();
    TVPrvResComboChange();
    tools_->previewWanted = true;
    refreshStatusLine();
    if (videoWindow_) {
        videoWindow_->resize(VideoTarget.videoWidth, VideoTarget.videoHeight);
        PlaceBesideMainWindow(videoWindow_, context_.mainWindow);
    }
    TVVideoCompressionChange();
    TVAudioCompressionChange();
}

void TVPage::TVTabSheetShow() {
    DetachVideo();
    if (tools_) {
        tools_->PrepareTvTuner();
        tools_->SetVideoStandard(kStartStandard);
        channels_->TVChanCheckListBoxClick();
        routeChosenSource();
        if (videoWindow_ && context_.placement) {
            videoWindow_->move(context_.placement->left, context_.placement->top);
            videoWindow_->resize(context_.placement->clientWidth, context_.placement->clientHeight);
        }
    } else {
        createTunerTools();
    }
    tools_->AssemblePreview();
    LayoutVideo();
    showVideoWindow();
    tools_->RunPreview();
    TVSignalTimer->start();
    applyPreset(kPresetTVUnmute);
}

void TVPage::showVideoWindow() {
    if (videoWindow_) {
        videoWindow_->show();
    }
}

void TVPage::leavePage() {
    MuteAndSettle(presets_.get(), context_.clock, kPresetTVMute);
    TVSignalTimer->stop();
    if (tools_) {
        tools_->HaltPreview();
    }
}

void TVPage::freeTunerTools() {
    finishRecording();
    TVSignalTimer->stop();
    CaptureTimer->stop();
    channels_->setTuner(nullptr);
    searchButton_->setTuner(nullptr);
    channelTuner_.reset();
    tools_.reset();
}

void TVPage::TVVideoCaptureDevComboChange() {
    if (!tools_) {
        return;
    }
    stopRecordingBeforeTearDown();
    MuteAndSettle(presets_.get(), context_.clock, kPresetTVMute);
    // The box holds the wish for sound; a sound card that failed last time is tried again.
    tools_->audioWanted = ui_->TVAudioCaptureCheckBox->isChecked();
    IMoniker* audio = tools_->audioWanted ? ui_->TVAudioCaptureDevCombo->GetMoniker() : nullptr;
    tools_->SelectSources(ui_->TVVideoCaptureDevCombo->GetMoniker(), audio);
    tools_->PrepareTvTuner();
    tools_->SetVideoStandard(kStartStandard);
    fillVideoSources();
    fillAudioModes();
    picturesFromRanges();
    rebuildFeatureList();
    refreshStatusLine();
    channels_->TVChanCheckListBoxClick();
    tools_->RouteTunerInputs();
    enableTunerControls();
    applyPreset(kPresetTVUnmute);
}

void TVPage::enableTunerControls() {
    const bool hasTuner = tools_ && tools_->tuner;
    searchButton_->setTuner(hasTuner ? channelTuner_.get() : nullptr);
    ui_->TVChanUpDown->setEnabled(hasTuner);
}

void TVPage::routeChosenSource() {
    // The source box says what the user watches; the tuner is its default, routed as the device change
    // routes it.
    const int chosen = ui_->TVVideoSourceComboBox->currentIndex();
    std::int32_t type = PhysConn_Video_Tuner;
    if (tools_->crossbar && chosen >= 0 && SUCCEEDED(tools_->crossbar->InputType(chosen, &type)) &&
        type != PhysConn_Video_Tuner) {
        TVVideoSourceComboBoxChange();
    } else {
        tools_->RouteTunerInputs();
    }
}

void TVPage::TVAudioCaptureDevComboChange() {
    // Asked of the box rather than of the tuner object, which forgets the wish when a sound card fails.
    if (tools_ && ui_->TVAudioCaptureCheckBox->isChecked()) {
        TVVideoCaptureDevComboChange();
    }
}

void TVPage::TVAudioCaptureCheckBoxClick() {
    if (!tools_) {
        return;
    }
    stopRecordingBeforeTearDown();
    const bool wasRunning = tools_->previewRunning;
    if (wasRunning) {
        tools_->HaltPreview();
    }
    tools_->audioWanted = ui_->TVAudioCaptureCheckBox->isChecked();
    TVVideoCaptureDevComboChange();
    // Without an audio device nothing was rebuilt, so nothing restarted the preview the box stopped.
    if (wasRunning && !tools_->previewRunning && tools_->previewWanted) {
        tools_->AssemblePreview();
        tools_->RunPreview();
    }
}

void TVPage::handleCaptureNotify() {
    if (!tools_ || !tools_->events) {
        return;
    }
    const CaptureEventOutcome outcome = DrainCaptureEvents(*tools_);
    if (outcome == CaptureEventOutcome::Aborted) {
        RecStopButtonClick();
    } else if (outcome == CaptureEventOutcome::DeviceLost) {
        finishRecording();
    }
}

bool TVPage::hasVideoCaptureDevice() const {
    return ui_->TVVideoCaptureDevCombo->count() > 0;
}

void TVPage::TVChanUpDownChangingEx(bool up, int) {
    channels_->TVChanUpDownChangingEx(up ? StepDirection::Up : StepDirection::Down);
}

int TVPage::TVChanUpDownPosition() const {
    return ui_->TVChanUpDown->position();
}

void TVPage::selectChannelByNumber(int number) {
    if (number < 1 || number > channels_->list().count()) {
        return;
    }
    channels_->selectIndex(number - 1);
    channels_->TVChanCheckListBoxClick();
}

void TVPage::TVMixerUnmuteButtonClick() {
    EditAndApplyPreset(*presets_, kPresetTVUnmute);
}

void TVPage::TVMixerMuteButtonClick() {
    EditAndApplyPreset(*presets_, kPresetTVMute);
}

TVideoCaptureDevCombo* TVPage::videoCaptureDevices() const {
    return ui_->TVVideoCaptureDevCombo;
}

TAudioCaptureDevCombo* TVPage::audioCaptureDevices() const {
    return ui_->TVAudioCaptureDevCombo;
}

QComboBox* TVPage::captureResolutions() const {
    return ui_->TVCapResCombo;
}

QComboBox* TVPage::previewResolutions() const {
    return ui_->TVPrvResCombo;
}

TVideoCompressionDevCombo* TVPage::videoCompressors() const {
    return ui_->TVVideoCompression;
}

TAudioCompressionDevCombo* TVPage::audioCompressors() const {
    return ui_->TVAudioCompression;
}

QPushButton* TVPage::mixerUnmuteButton() const {
    return ui_->TVMixerUnmuteButton;
}

QPushButton* TVPage::mixerMuteButton() const {
    return ui_->TVMixerMuteButton;
}

QCheckBox* TVPage::cardSoundBox() const {
    return ui_->TVCardSoundCheckBox;
}
