// SPDX-License-Identifier: GPL-2.0-or-later
// The TV page's "Capture" sheet, its status line and the "Features" list of the "Setup" sheet: recording
// with live statistics, the compressors, and the devices' own settings dialogs.
#include "tv_page.h"

#include "ui_tv_page.h"

#include "capture_statistics.h"
#include "capture_status.h"
#include "compressor_settings.h"
#include "platform/win/clock.h"
#include "property_frames.h"
#include "tuner_tools.h"
#include "view/video_window_form.h"

#include <QFileInfo>

namespace {

// Sizes of this index and above have 576 lines: too many to preview beside a recording.
constexpr int kFirstFullSize = 3;

} // namespace

bool TVPage::startCaptureGraph() {
    if (tools_->previewRunning) {
        tools_->HaltPreview();
    }
    if (tools_->previewBuilt) {
        tools_->DismantleGraph();
    }
    tools_->previewWanted = false;
    TVCapResComboChange();
    if (ui_->TVCapResCombo->currentIndex() >= kFirstFullSize ||
        ui_->TVPrvResCombo->currentIndex() >= kFirstFullSize) {
        if (videoWindow_) {
            videoWindow_->hide();
        }
    } else {
        tools_->previewWanted = true;
    }
    tools_->AssembleCapture();
    return tools_->RunCapture();
}

void TVPage::RecButtonClick() {
    if (!tools_) {
        return;
    }
    const bool previewBeside = ui_->TVCapResCombo->currentIndex() < kFirstFullSize &&
                               ui_->TVPrvResCombo->currentIndex() < kFirstFullSize;
    if (previewBeside && tools_->previewRunning) {
        TVCapResComboChange();
    }
    // The recording joins the running preview where it can: the picture and the card's sound go on without
    // a break.
    const bool started = previewBeside && tools_->CanCaptureBesidePreview()
                             ? tools_->StartCaptureBesidePreview()
                             : startCaptureGraph();
    if (started) {
        ui_->RecStopButton->setEnabled(true);
        ui_->RecButton->setEnabled(false);
        enableGraphControls(false);
        refreshStatusLine();
        CaptureTimer->start();
    } else {
        RecStopButtonClick();
    }
}

void TVPage::RecStopButtonClick() {
    finishRecording();
    if (!tools_) {
        return;
    }
    tools_->previewWanted = true;
    showVideoWindow();
    tools_->AssemblePreview();
    TVPrvResComboChange();
    LayoutVideo();
    tools_->RunPreview();
    refreshStatusLine();
}

void TVPage::finishRecording() {
    CaptureTimer->stop();
    if (tools_) {
        tools_->HaltCapture();
    }
    ui_->RecStopButton->setEnabled(false);
    ui_->RecButton->setEnabled(true);
    enableGraphControls(true);
}

void TVPage::stopRecordingBeforeTearDown() {
    if (tools_ && tools_->captureRunning) {
        RecStopButtonClick();
    }
}

void TVPage::enableGraphControls(bool enabled) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             ui_->TVPrvResCombo, ui_->TVCapResCombo, ui_->TVVideoCaptureDevCombo, ui_->TVAudioCaptureDevCombo,
             ui_->TVAudioCaptureCheckBox, ui_->TVVideoCompression, ui_->TVAudioCompression,
             ui_->TVVideoCompressButton, ui_->TVAudioCompressButton}) {
        control->setEnabled(enabled);
    }
    // The Features entries whose dialogs stop or rebuild the graph.
    for (int row = 0; row < ui_->TVOptionsListBox->count(); ++row) {
        DeviceProperty entry;
        if (featureIndexes_.entryAt(row, &entry) && DevicePropertyStopsGraph(entry)) {
            QListWidgetItem* item = ui_->TVOptionsListBox->item(row);
            item->setFlags(enabled ? item->flags() | Qt::ItemIsEnabled : item->flags() & ~Qt::ItemIsEnabled);
        }
    }
}

void TVPage::CaptureTimerTimer() {
    if (!tools_) {
        return;
    }
    const std::optional<CaptureStatistics> stats =
        ReadCaptureStatistics(tools_->droppedFrames.get(), *tools_, context_.clock);
    if (!stats) {
        return;
    }
    ui_->TVCapStatusLabel0->setText(QString::fromStdString(FormatCaptureTime(*stats)));
    ui_->TVCapStatusLabel1->setText(QString::fromStdString(FormatCaptureFrames(*stats)));
    ui_->TVCapStatusLabel2->setText(QString::fromStdString(FormatCaptureRate(*stats)));
}

void TVPage::TVVideoCompressionChange() {
    stopRecordingBeforeTearDown();
    if (tools_) {
        tools_->SelectCompressors(ui_->TVVideoCompression->GetMoniker(),
                                  ui_->TVAudioCompression->GetMoniker());
    }
}

void TVPage::TVAudioCompressionChange() {
    TVVideoCompressionChange();
}

void TVPage::TVVideoCompressButtonClick() {
    stopRecordingBeforeTearDown();
    ShowVideoCompressorSettings(tools_.get(), *frames_);
}

void TVPage::TVAudioCompressButtonClick() {
    stopRecordingBeforeTearDown();
    ShowAudioCompressorSettings(tools_.get(), *frames_);
}

void TVPage::refreshStatusLine() {
    const QString line = QString::fromLocal8Bit(CaptureStatusLine(
        tools_.get(), ui_->TVVideoCaptureDevCombo->GetDevice().toLocal8Bit().toStdString()));
    ui_->TVStatusBar->showMessage(line);
    ui_->TVStatusBar->setToolTip(line);
    if (tools_) {
        // Raw sound is described by the capture pin's format, when sound is recorded at all.
        IAMStreamConfig* sound =
            tools_->audioWanted && tools_->audioCapture ? tools_->audioConfig.get() : nullptr;
        ui_->TVAudioFormatLabel->setText(
            QString::fromLocal8Bit(AudioFormatText(tools_->audioCompressor.get(), sound).c_str()));
    }
    showOutputFile();
}

void TVPage::showOutputFile() {
    if (tools_) {
        // The path the writer opens, made absolute against the folder the program runs in.
        // A long path may be cut off on the narrow sheet; the hint holds all of it.
        const QString path = QFileInfo(QString::fromStdWString(tools_->outputFile)).absoluteFilePath();
        ui_->TVCapFileLabel->setText(path);
        ui_->TVCapFileLabel->setToolTip(path);
    }
}

void TVPage::rebuildFeatureList() {
    ui_->TVOptionsListBox->clear();
    if (!tools_) {
        return;
    }
    featureIndexes_.clear();
    DevicePropertyPages pages(*tools_, *frames_);
    for (const DeviceProperty entry : pages.Offered()) {
        featureIndexes_.place(entry, ui_->TVOptionsListBox->count());
        ui_->TVOptionsListBox->addItem(QString::fromLatin1(DevicePropertyText(entry)));
    }
    ui_->TVOptionsListBox->setCurrentRow(0);
    enableGraphControls(!tools_->captureRunning);
}

void TVPage::TVOptionButtonClick() {
    if (!tools_) {
        return;
    }
    DeviceProperty entry;
    const QListWidgetItem* selected = ui_->TVOptionsListBox->currentItem();
    if (selected && selected->isSelected() &&
        featureIndexes_.entryAt(ui_->TVOptionsListBox->currentRow(), &entry)) {
        if (DevicePropertyStopsGraph(entry)) {
            stopRecordingBeforeTearDown();
        }
        DevicePropertyPages(*tools_, *frames_).Show(entry);
    }
    refreshStatusLine();
    if (videoWindow_) {
        videoWindow_->resize(VideoTarget.videoWidth, VideoTarget.videoHeight);
    }
}
