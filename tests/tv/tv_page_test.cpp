// SPDX-License-Identifier: GPL-2.0-or-later
// The TV / VCR page in the main window on the virtual TV card: showing and leaving it, the picture and source
// controls, recording with its statistics, and the graph's events as the main window receives them.
#include "app/main_form.h"
#include "avi_structure.h"
#include "capture_doubles.h"
#include "channels/channel_list_editor.h"
#include "channels/search_form.h"
#include "platform/devices/virtual/card_definition.h"
#include "platform/devices/virtual/virtual_card.h"
#include "platform/devices/virtual/virtual_card_provider.h"
#include "platform/media/gst/engine_setup.h"
#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "platform/win/shell.h"
#include "stderr_capture.h"
#include "tv/tuner_tools.h"
#include "tv/tv_page.h"
#include "ui_tv_page.h"
#include "view/video_window_form.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kCorvaneTwo = 175250000;
constexpr std::int32_t kNoCarrier = 300000000;
const QString kStatusView = QStringLiteral("View: Corvane Virtual TV Card [704x576]");

// Graph events a test hands the page, as the graph would queue them.
class ScriptedEvents final : public ComObject<IMediaEventEx> {
public:
    struct Event {
        LONG code;
        IUnknown* param1;
    };
    explicit ScriptedEvents(std::vector<Event> events) : events_(std::move(events)) {}

    HRESULT GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG) override {
        if (events_.empty()) {
            return E_ABORT;
        }
        const Event event = events_.front();
        events_.erase(events_.begin());
        *code = event.code;
        // A lost device travels with a reference, which FreeEventParams gives back.
        if (event.param1) {
            event.param1->AddRef();
        }
        *param1 = reinterpret_cast<LONG_PTR>(event.param1);
        *param2 = 0;
        return S_OK;
    }
    HRESULT FreeEventParams(LONG, LONG_PTR param1, LONG_PTR) override {
        if (param1) {
            reinterpret_cast<IUnknown*>(param1)->Release();
        }
        return S_OK;
    }
    HRESULT SetNotifyWindow(QObject*, LONG, LONG_PTR) override { return S_OK; }

private:
    std::vector<Event> events_;
};

class TvPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        // Recordings go to "capture.avi" in the current directory.
        previousFolder = QDir::currentPath();
        QDir::setCurrent(folder.path());
        VideoTarget.videoWidth = 0;
        VideoTarget.videoHeight = 0;
        EnsureGstInitialised();
    }
    void TearDown() override {
        if (form) {
            form->close();
        }
        videoWindow.reset();
        form.reset();
        QDir::setCurrent(previousFolder);
    }

    void open(const std::function<void(CardDefinition&)>& arrange = {}) {
        CardDefinition definition = BuiltInCardDefinition();
        if (arrange) {
            arrange(definition);
        }
        card = std::make_shared<VirtualCard>(definition);
        RefPtr<ICreateDevEnum> devices = MakeDeviceEnum({MakeVirtualCardProvider(card)});
        TMainForm::Services services{clock,
                                     boxes,
                                     shell,
                                     "NoMixerFolder/Faderix.so",
                                     (folder.path() + "/registry.sqlite").toStdString(),
                                     [devices](ICreateDevEnum** out) {
                                         *out = RefPtr<ICreateDevEnum>(devices).detach();
                                         return S_OK;
                                     }};
        form = std::make_unique<TMainForm>(services);
        videoWindow = std::make_unique<TVideoWindowForm>(*form);
        form->setVideoWindow(videoWindow.get());
        form->show();
        boxes.clear();
    }
    void showTV() { form->pageControl()->setCurrentIndex(TMainForm::TVPageIndex); }
    void showAbout() { form->pageControl()->setCurrentIndex(TMainForm::AboutPageIndex); }

    TVPage& page() { return *form->tvPage(); }
    Ui::TVPage& ui() { return page().ui(); }
    TTunerTools& tools() { return *page().tunerTools(); }
    TVChannelList& channels() { return page().channels(); }
    // A new channel at the frequency, selected and tuned as a click on it does.
    ChannelEntry& addChannel(std::int32_t freq) {
        channels().TVAddChanButtonClick();
        ChannelEntry& entry = *channels().list().selectedEntry();
        entry.freq = freq;
        channels().TVChanCheckListBoxClick();
        return entry;
    }
    std::vector<std::string> shown() const {
        std::vector<std::string> texts;
        for (const auto& box : boxes.shown()) {
            texts.push_back(box.text.toStdString());
        }
        return texts;
    }
    void record(int captureRes) {
        ui().TVCapResCombo->setCurrentIndex(captureRes);
        page().RecButtonClick();
        ASSERT_TRUE(tools().captureRunning) << (shown().empty() ? "" : shown().front());
    }
    void deliverEvents(std::vector<ScriptedEvents::Event> events) {
        tools().events = MakeCom<ScriptedEvents>(std::move(events));
        SendMessage(form.get(), CaptureNotifyMessage, 0, 0);
    }

    QTemporaryDir folder;
    QString previousFolder;
    VirtualClock clock;
    RecordingMessageBoxes boxes;
    RecordingShell shell;
    std::shared_ptr<VirtualCard> card;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TVideoWindowForm> videoWindow;
};

TEST_F(TvPageTest, FirstShowingSetsTheCardUpAndShowsItsPicture) {
    open();
    page().rebuildFeatureList();
    page().TVOptionButtonClick();
    EXPECT_EQ(ui().TVOptionsListBox->count(), 0) << "before the first showing nothing offers dialogs";
    EXPECT_EQ(ui().TVStatusBar->currentMessage(), "") << "nothing is set up while the page is hidden";

    showTV();

    ASSERT_NE(page().tunerTools(), nullptr);
    EXPECT_TRUE(tools().previewRunning);
    EXPECT_TRUE(videoWindow->isVisible());
    EXPECT_EQ(videoWindow->size(), QSize(704, 576)) << "the preview size, 100 %";
    EXPECT_EQ(ui().TVStatusBar->currentMessage(), kStatusView);
    EXPECT_EQ(ui().TVStatusBar->toolTip(), kStatusView);
    EXPECT_TRUE(page().TVSignalTimer->isActive());
    EXPECT_EQ(ui().TVAudioFormatLabel->text(), "44.100 kHz, 16 Bit, Stereo") << "the raw sound recorded";
    ASSERT_GE(ui().TVVideoSourceComboBox->count(), 2);
    EXPECT_EQ(ui().TVVideoSourceComboBox->currentText(), "Video Tuner");
    EXPECT_TRUE(ui().TVVideoSourceComboBox->isEnabled());
    EXPECT_TRUE(ui().TVAudioComboBox->isEnabled());
    QSlider* brightness = ui().TVBrightnessTrackBar;
    EXPECT_EQ(brightness->minimum(), 0);
    EXPECT_EQ(brightness->maximum(), 255);
    EXPECT_EQ(brightness->value(), 128) << "the device's default";
    EXPECT_EQ(brightness->tickInterval(), 1);
    EXPECT_TRUE(shown().empty()) << shown().front();

    // A channel that stores the middle value: the bars follow it, and it stores what the bar can show.
    ChannelEntry& channel = addChannel(kCorvaneTwo);
    EXPECT_EQ(brightness->value(), 127);
    EXPECT_EQ(channel.brightness, 4980);
    EXPECT_EQ(card->pictureValue(VideoProcAmp_Brightness), 127);
    EXPECT_EQ(ui().TVHueTrackBar->value(), -1) << "the middle of -128 … 127";
    EXPECT_EQ(ui().TVTunningLabel->text(), "Fine tunning: +0");
    EXPECT_EQ(ui().TVChanNameShow->text(), "new channel");
}

TEST_F(TvPageTest, SignalLabelChangesOnlyOnAChangeAndOnlyOnTheShownPage) {
    open();
    showTV();
    addChannel(kCorvaneTwo);
    page().TVSignalTimerTimer();
    EXPECT_EQ(ui().TVSignalLabel->text(), "[signal OK]");
    ui().TVSignalLabel->setText("probe");
    page().TVSignalTimerTimer();
    EXPECT_EQ(ui().TVSignalLabel->text(), "probe") << "the lock did not change";

    addChannel(kNoCarrier);
    page().TVSignalTimerTimer();
    EXPECT_EQ(ui().TVSignalLabel->text(), "[no signal]");

    showAbout();
    EXPECT_FALSE(page().TVSignalTimer->isActive());
    card->setFrequency(kCorvaneTwo);
    page().TVSignalTimerTimer();
    EXPECT_EQ(ui().TVSignalLabel->text(), "[no signal]") << "the hidden page's label is left alone";
}

TEST_F(TvPageTest, ACardThatCannotBeOpenedStillShowsThePageAndResetsToTheFallbackRanges) {
    open([](CardDefinition& definition) { definition.faults.bind = true; });
    showTV();

    ASSERT_FALSE(shown().empty());
    EXPECT_EQ(shown().front().rfind("Cannot create video capture filter", 0), 0u) << shown().front();
    EXPECT_TRUE(form->isPageShown(TMainForm::TVPageIndex));
    EXPECT_FALSE(ui().TVVideoSourceComboBox->isEnabled());
    EXPECT_EQ(ui().TVVideoSourceComboBox->count(), 0);
    EXPECT_FALSE(ui().TVAudioComboBox->isEnabled());

    ChannelEntry& channel = addChannel(kCorvaneTwo);
    ui().TVContrastTrackBar->setValue(100);
    EXPECT_EQ(channel.contrast, 100) << "the fallback range is the stored scale itself";
    ui().TVAmpResetButton->click();
    for (QSlider* bar : {ui().TVBrightnessTrackBar, ui().TVContrastTrackBar, ui().TVHueTrackBar,
                         ui().TVSaturationTrackBar}) {
        EXPECT_EQ(bar->value(), 5000);
    }
    EXPECT_EQ(channel.brightness, 5000);
    EXPECT_EQ(channel.contrast, 5000);
    EXPECT_EQ(channel.hue, 5000);
    EXPECT_EQ(channel.saturation, 5000);
}

TEST_F(TvPageTest, RecordingAt576LinesHidesTheVideoWindowUntilItStops) {
    open();
    showTV();
    record(4);

    EXPECT_FALSE(videoWindow->isVisible()) << "no preview beside a 720x576 recording";
    EXPECT_FALSE(tools().previewWanted);
    EXPECT_FALSE(ui().RecButton->isEnabled());
    EXPECT_TRUE(ui().RecStopButton->isEnabled());
    EXPECT_TRUE(page().CaptureTimer->isActive());
    EXPECT_EQ(ui().TVStatusBar->currentMessage(), "Rec: Corvane Virtual TV Card [720x576]");

    ui().RecStopButton->click();

    EXPECT_TRUE(videoWindow->isVisible());
    EXPECT_TRUE(tools().previewRunning);
    EXPECT_FALSE(tools().captureRunning);
    EXPECT_TRUE(ui().RecButton->isEnabled());
    EXPECT_FALSE(ui().RecStopButton->isEnabled());
    EXPECT_FALSE(page().CaptureTimer->isActive());
    EXPECT_EQ(ui().TVStatusBar->currentMessage(), kStatusView);
    EXPECT_TRUE(shown().empty()) << shown().front();
}

TEST_F(TvPageTest, StatisticsShowTheRecordingsFiguresAndKeepThemWhenCountersFail) {
    open();
    showTV();
    record(1);
    auto counters = MakeCom<FakeDroppedFrames>();
    counters->delivered = 12;
    counters->averageBytes = 256250;
    tools().droppedFrames = counters;
    tools().droppedBase = 0;
    tools().notDroppedBase = 0;
    tools().captureStartMs = clock.timeGetTime();
    clock.advance(1500);

    page().CaptureTimerTimer();

    EXPECT_EQ(ui().TVCapStatusLabel0->text(), "Time: 1.5");
    EXPECT_EQ(ui().TVCapStatusLabel1->text(), "Frames: 12 (dropped 0)");
    EXPECT_EQ(ui().TVCapStatusLabel2->text(), "FPS: 8.0, Data rate: 2.050 MB/sec");

    tools().droppedFrames = nullptr;
    clock.advance(1000);
    page().CaptureTimerTimer();
    EXPECT_EQ(ui().TVCapStatusLabel0->text(), "Time: 1.5") << "a tick without counters changes nothing";
    page().RecStopButtonClick();
}

TEST_F(TvPageTest, AnErrorAbortEndsTheRecordingWithOneBoxAndThePreviewReturns) {
    open();
    showTV();
    record(1);

    deliverEvents({{EC_ERRORABORT, nullptr}, {EC_ERRORABORT, nullptr}, {EC_COMPLETE, nullptr}});

    EXPECT_EQ(shown(), std::vector<std::string>{"ERROR during capture/preview"});
    EXPECT_FALSE(tools().captureRunning);
    EXPECT_TRUE(tools().previewRunning);
    EXPECT_TRUE(ui().RecButton->isEnabled());
    EXPECT_FALSE(ui().RecStopButton->isEnabled());
    EXPECT_FALSE(page().CaptureTimer->isActive());
}

TEST_F(TvPageTest, OnlyTheVideoDevicesLossStopsTheRecording) {
    open();
    showTV();
    record(1);

    deliverEvents({{EC_DEVICE_LOST, tools().audioCapture.get()}});
    EXPECT_TRUE(shown().empty()) << "another device's loss is ignored";
    EXPECT_TRUE(tools().captureRunning);

    deliverEvents({{EC_DEVICE_LOST, tools().videoCapture.get()}, {EC_ERRORABORT, nullptr}});
    EXPECT_EQ(shown(),
              std::vector<std::string>{"Stopping Capture/Preview (Device Lost). Select New Capture Device"});
    EXPECT_FALSE(tools().captureRunning);
    page().RecStopButtonClick();
}

// Frames arrive in real time; the deadline only ends a test that would otherwise wait forever.
void WaitForFrames(TTunerTools& tools, LONG frames) {
    LONG delivered = 0;
    QElapsedTimer waited;
    waited.start();
    while (delivered - tools.notDroppedBase < frames && waited.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        tools.droppedFrames->GetNumNotDropped(&delivered);
    }
}

bool RecordingIdle(Ui::TVPage& ui, TVPage& page) {
    return ui.RecButton->isEnabled() && !ui.RecStopButton->isEnabled() && !page.CaptureTimer->isActive() &&
           ui.TVCapResCombo->isEnabled() && ui.TVVideoCaptureDevCombo->isEnabled();
}

TEST_F(TvPageTest, WhileRecordingNothingThatRebuildsTheGraphCanBeReached) {
    open();
    showTV();
    record(1);

    for (QWidget* control : std::initializer_list<QWidget*>{
             ui().TVPrvResCombo, ui().TVCapResCombo, ui().TVVideoCaptureDevCombo, ui().TVAudioCaptureDevCombo,
             ui().TVAudioCaptureCheckBox, ui().TVVideoCompression, ui().TVAudioCompression,
             ui().TVVideoCompressButton, ui().TVAudioCompressButton}) {
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    }
    QStringList enabledFeatures;
    for (int row = 0; row < ui().TVOptionsListBox->count(); ++row) {
        if (ui().TVOptionsListBox->item(row)->flags() & Qt::ItemIsEnabled) {
            enabledFeatures << ui().TVOptionsListBox->item(row)->text();
        }
    }
    EXPECT_FALSE(enabledFeatures.contains("Video Format...")) << "its dialog stops the graph";
    EXPECT_FALSE(enabledFeatures.contains("Video Capture Pin..."));
    EXPECT_TRUE(enabledFeatures.contains("TV Tuner...")) << "a tuner page leaves the graph alone";

    // A handler reached all the same stops the recording as Stop does, and the file is whole.
    WaitForFrames(tools(), 5);
    page().TVCapResComboChange();
    EXPECT_FALSE(tools().captureRunning);
    EXPECT_TRUE(RecordingIdle(ui(), page()));
    EXPECT_TRUE(tools().previewRunning);
    EXPECT_TRUE(ReadAviStructure(QStringLiteral("capture.avi")).complete());
    EXPECT_TRUE(shown().empty()) << shown().front();
}

TEST_F(TvPageTest, ALostDeviceEndsTheRecordingCompleteAndTheSheetIdle) {
    open();
    showTV();
    record(1);
    WaitForFrames(tools(), 5);

    deliverEvents({{EC_DEVICE_LOST, tools().videoCapture.get()}});

    EXPECT_FALSE(tools().captureRunning);
    EXPECT_TRUE(RecordingIdle(ui(), page())) << "Rec enabled and the time counter stopped";
    EXPECT_TRUE(ReadAviStructure(QStringLiteral("capture.avi")).complete());
}

TEST_F(TvPageTest, ClosingWhileRecordingFinishesTheFile) {
    open();
    showTV();
    record(1);
    WaitForFrames(tools(), 5);
    EXPECT_EQ(ui().TVCapFileLabel->text(), QDir(folder.path()).absoluteFilePath("capture.avi"))
        << "the label names the file being written";

    form->close();

    EXPECT_EQ(page().tunerTools(), nullptr);
    const AviStructure avi = ReadAviStructure(QStringLiteral("capture.avi"));
    EXPECT_TRUE(avi.complete());
    EXPECT_GE(avi.videoChunks, 5);
    EXPECT_FALSE(QFile::exists(QStringLiteral("capture.avi.part")));
}

TEST_F(TvPageTest, UntickingCaptureSoundRebuildsWithoutTheAudioDevice) {
    open();
    showTV();
    ASSERT_NE(tools().audioCapture, nullptr);

    ui().TVAudioCaptureCheckBox->click();

    EXPECT_FALSE(tools().audioWanted);
    EXPECT_EQ(tools().audioCapture, nullptr);
    EXPECT_TRUE(tools().previewRunning);
    EXPECT_TRUE(shown().empty()) << shown().front();
}

TEST_F(TvPageTest, ComingBackKeepsTheSourceTheBoxShows) {
    open();
    showTV();
    QComboBox* sources = ui().TVVideoSourceComboBox;
    const int composite = sources->findText(QStringLiteral("Video Composite"));
    ASSERT_GE(composite, 0);
    sources->setCurrentIndex(composite);
    page().TVVideoSourceComboBoxChange();
    const int watched = card->routedTo(0, 0);

    showAbout();
    showTV();
    EXPECT_EQ(sources->currentText(), "Video Composite");
    EXPECT_EQ(card->routedTo(0, 0), watched) << "the picture is still the composite input's";

    // The tuner, chosen again, is routed as before.
    sources->setCurrentIndex(sources->findText(QStringLiteral("Video Tuner")));
    page().TVVideoSourceComboBoxChange();
    const int tuner = card->routedTo(0, 0);
    EXPECT_NE(tuner, watched);
    showAbout();
    showTV();
    EXPECT_EQ(card->routedTo(0, 0), tuner);
}

TEST_F(TvPageTest, LeavingStopsThePreviewAndComingBackPutsTheWindowWhereItWas) {
    open();
    showTV();
    const int previewWidth = VideoTarget.videoWidth;
    ui().TVPrvResCombo->setCurrentIndex(-1);
    page().TVPrvResComboChange();
    EXPECT_EQ(VideoTarget.videoWidth, previewWidth) << "no resolution chosen, nothing changes";

    videoWindow->move(40, 50);
    videoWindow->resize(400, 300);
    showAbout();
    EXPECT_FALSE(tools().previewRunning);
    EXPECT_FALSE(videoWindow->isVisible());
    EXPECT_EQ(clock.sleeps().back(), 200u) << "the mixer settles after the mute";

    showTV();
    EXPECT_TRUE(tools().previewRunning);
    EXPECT_TRUE(videoWindow->isVisible());
    EXPECT_EQ(videoWindow->pos(), QPoint(40, 50));
    EXPECT_EQ(videoWindow->size(), QSize(400, 300));

    form->close();
    EXPECT_EQ(page().tunerTools(), nullptr) << "closing frees the capture object";
}

TEST_F(TvPageTest, ARecordingStartedFromThePreviewGetsFrames) {
    open();
    showTV();
    record(1);
    // Frames arrive in real time; the deadline only ends a test that would otherwise wait forever.
    LONG delivered = 0;
    QElapsedTimer waited;
    waited.start();
    while (delivered < 5 && waited.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        tools().droppedFrames->GetNumNotDropped(&delivered);
    }
    EXPECT_GE(delivered - tools().notDroppedBase, 5)
        << "the preview taken apart before left the capture stream idle";
    page().RecStopButtonClick();
}

TEST_F(TvPageTest, SearchSweepsTheCaptureDevicesTunerWithTheSignalTimerPausedAndRetunes) {
    open();
    TTVSearchForm tvSearch(clock);
    TRadioSearchForm radioSearch(clock);
    form->setSearchForms(&tvSearch, &radioSearch);
    auto* search = page().findChild<QPushButton*>(QStringLiteral("TVChanSearchButton"));
    ASSERT_NE(search, nullptr);
    search->click();
    EXPECT_TRUE(clock.sleeps().empty()) << "without the capture graph there is nothing to sweep";

    showTV();
    addChannel(176500000);
    ASSERT_TRUE(page().TVSignalTimer->isActive());
    search->click();

    QStringList channelRows;
    for (const ChannelEntry& entry : channels().list().entries()) {
        channelRows << QStringLiteral("%1 %2 %3").arg(entry.name).arg(entry.freq).arg(entry.enabled);
    }
    EXPECT_EQ(channelRows,
              (QStringList{"new channel 175250000 1", "found channel 49.75 MHz 49750000 1",
                           "found channel 183.25 MHz 183250000 1", "something found 503.25 MHz 503250000 0",
                           "found channel 527.25 MHz 527250000 1", "found channel 743.25 MHz 743250000 1"}));
    EXPECT_EQ(ui().TVChanCheckListBox->count(), 6);
    EXPECT_TRUE(page().TVSignalTimer->isActive()) << "the timer runs again as it did before";
    EXPECT_EQ(card->frequency(), kCorvaneTwo) << "the selected channel, moved onto its find, is retuned";
    EXPECT_EQ(ui().TVTunningLabel->text(), "Fine tunning: +0");
    EXPECT_TRUE(shown().empty()) << shown().front();
}

// The sound device fails while the page previews, as an unplugged ALSA device does (a read error, then its
// stopped task's own error): the picture goes on, one line on standard error says so, and no box comes.
TEST_F(TvPageTest, AFailingSoundDeviceLeavesThePictureWithOneLineAndNoBox) {
    open([](CardDefinition& definition) { definition.faults.failSoundAfterMs = 200; });
    StderrCapture errors;
    showTV();
    ASSERT_TRUE(tools().previewRunning);
    RefPtr<IAMDroppedFrames> frames;
    ASSERT_EQ(tools().builder->FindInterface(&PIN_CATEGORY_PREVIEW, &MEDIATYPE_Video,
                                             tools().videoCapture.get(), IAMDroppedFrames::IID,
                                             reinterpret_cast<void**>(frames.put())),
              S_OK);
    const auto line = QByteArrayLiteral("the TV sound stopped");
    QElapsedTimer waited;
    waited.start();
    while (!errors.text().contains(line) && waited.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    LONG before = 0;
    frames->GetNumNotDropped(&before);
    // Frames after the failure: the picture goes on.
    LONG delivered = before;
    while (delivered < before + 10 && waited.elapsed() < 40000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        frames->GetNumNotDropped(&delivered);
    }
    EXPECT_GE(delivered, before + 10);
    EXPECT_EQ(errors.text().count(line), 1) << errors.text().toStdString();
    EXPECT_TRUE(shown().empty()) << shown().front();
    EXPECT_TRUE(tools().previewRunning);
}

} // namespace
