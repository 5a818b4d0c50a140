// SPDX-License-Identifier: GPL-2.0-or-later
// TTunerTools on V4L2 cards played by the fake seam, through the media engine: the card's tuner, decoder and
// inputs found behind its capture filter, tuning in the card's units, a webcam without tuner, a node another
// program holds, and a card unplugged while it previews or records.
#include "avi_structure.h"
#include "channels/search_signal.h"
#include "platform/devices/v4l2/v4l2_provider.h"
#include "platform/media/gst/engine_setup.h"
#include "platform/win/clock.h"
#include "platform/win/message_boxes.h"
#include "tv/capture_events.h"
#include "tv/tuner_platform.h"
#include "tv/tuner_signal.h"
#include "tv/tuner_tools.h"
#include "tv_sweep.h"
#include "v4l2/fake_v4l2.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

namespace {

void RunFor(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

RefPtr<IMoniker> DeviceAt(ICreateDevEnum* devices, const Guid& category, ULONG index) {
    RefPtr<IEnumMoniker> monikers;
    IMoniker* found = nullptr;
    if (devices->CreateClassEnumerator(category, monikers.put(), 0) != S_OK ||
        monikers->Skip(index) != S_OK || monikers->Next(1, &found, nullptr) != S_OK) {
        return {};
    }
    return RefPtr<IMoniker>::adopt(found);
}

struct V4l2Tools {
    V4l2Tools() {
        EnsureGstInitialised();
        pci = system->addPciCard("PCI TV");
        camera = system->addWebcam("Webcam");
        devices = MakeDeviceEnum({MakeV4l2Provider(system)});
    }
    void select(ULONG index = 0) {
        video = DeviceAt(devices.get(), CLSID_VideoInputDeviceCategory, index);
        tools.SelectSources(video.get(), nullptr);
    }
    std::vector<std::string> shown() const {
        std::vector<std::string> texts;
        for (const auto& box : boxes.shown()) {
            texts.push_back(box.text.toStdString());
        }
        return texts;
    }
    // Records the video device at index into a file of its own until the capture pin has delivered frames,
    // for at most ten seconds of real time (a busy machine may take a while to start the graph); answers
    // how many it delivered.
    LONG startRecording(ULONG index, LONG frames) {
        file = std::filesystem::path(folder.path().toStdString()) / "capture.avi";
        tools.outputFile = file.wstring();
        select(index);
        if (!tools.AssembleCapture() || !tools.RunCapture() || !tools.droppedFrames) {
            return 0;
        }
        LONG delivered = 0;
        QElapsedTimer waited;
        waited.start();
        while (delivered < frames && waited.elapsed() < 10000) {
            RunFor(50);
            tools.droppedFrames->GetNumNotDropped(&delivered);
        }
        return delivered;
    }
    AviStructure recorded() const { return ReadAviStructure(QString::fromStdString(file.string())); }
    // Drains the graph's events until one stops it, for at most ten seconds of real time.
    CaptureEventOutcome waitForOutcome() {
        CaptureEventOutcome outcome = CaptureEventOutcome::None;
        QElapsedTimer waited;
        waited.start();
        while (!StopsTheGraph(outcome) && waited.elapsed() < 10000) {
            RunFor(50);
            outcome = DrainCaptureEvents(tools);
        }
        return outcome;
    }

    std::shared_ptr<FakeV4l2> system = std::make_shared<FakeV4l2>();
    std::string pci;
    std::string camera;
    RefPtr<ICreateDevEnum> devices;
    RefPtr<IMoniker> video;
    QTemporaryDir folder;
    std::filesystem::path file;
    std::unique_ptr<TunerPlatform> platform = MakeEngineTunerPlatform();
    RecordingMessageBoxes boxes;
    VirtualClock clock;
    VideoTargetRecord target;
    TTunerTools tools{&target, TTunerTools::Services{*platform, boxes, clock}};
};

// The TV search's device over TTunerTools, with the tuner's signal strength.
class SignalSearchTuner final : public SearchTuner, public SearchSignal {
public:
    explicit SignalSearchTuner(TTunerTools& tools) : tools_(tools) {}
    HRESULT TuneFrequency(std::int32_t hz) override { return tools_.TuneFrequency(hz) ? S_OK : E_FAIL; }
    HRESULT ReadTunerOffset(std::int32_t* offset) override {
        *offset = tools_.ReadTunerOffset();
        return S_OK;
    }
    bool IsSignalLocked() override { return tools_.IsSignalLocked(); }
    bool ReadSignalStrength(std::int32_t* percent) override {
        return ReadTunerSignalStrength(tools_.tuner.get(), percent);
    }

private:
    TTunerTools& tools_;
};

TEST(TunerToolsOnV4l2, SearchOnTheCardWithoutAfcFindsItsChannels) {
    V4l2Tools card;
    card.select();
    ASSERT_TRUE(card.tools.PrepareTvTuner());
    SignalSearchTuner tuner(card.tools);
    // The card hears the carriers of the built-in virtual card, never with an offset; the unlocked one is
    // found unchecked.
    EXPECT_EQ(SweepTvBand(tuner, card.clock),
              (std::vector<std::pair<std::int32_t, bool>>{{49750000, true},
                                                          {175250000, true},
                                                          {183250000, true},
                                                          {503250000, false},
                                                          {527250000, true},
                                                          {743250000, true}}));
    EXPECT_TRUE(card.shown().empty());
}

TEST(TunerToolsOnV4l2, TunesTheCardAndNamesItsInputs) {
    V4l2Tools card;
    card.select();
    EXPECT_TRUE(card.shown().empty());
    ASSERT_TRUE(card.tools.tuner && card.tools.tvAudio && card.tools.procAmp);
    EXPECT_TRUE(card.tools.picture[0].available);
    EXPECT_EQ(card.tools.picture[0].maximum, 65535);
    EXPECT_EQ(card.tools.picture[0].step, 256);

    EXPECT_TRUE(card.tools.PrepareTvTuner());
    EXPECT_TRUE(card.tools.TuneFrequency(527250000));
    EXPECT_EQ(card.system->node(card.pci).frequency, 8436u);
    EXPECT_EQ(card.tools.ReadTunerOffset(), 0); // no afc in TV mode
    EXPECT_TRUE(card.tools.SetVideoStandard(AnalogVideo_SECAM_D));
    EXPECT_EQ(card.system->node(card.pci).standard, V4L2_STD_SECAM_D);
    EXPECT_TRUE(card.tools.IsSignalLocked());
    EXPECT_TRUE(card.tools.SetTvAudioMode(AMTVAUDIO_MODE_STEREO));
    EXPECT_EQ(card.system->node(card.pci).audmode, V4L2_TUNER_MODE_STEREO);
    EXPECT_TRUE(card.tools.TuneFrequency(300000000));
    EXPECT_FALSE(card.tools.IsSignalLocked());
    EXPECT_TRUE(card.shown().empty());

    ASSERT_TRUE(card.tools.crossbar);
    ASSERT_EQ(card.tools.videoInputCount, 3);
    std::vector<std::string> names;
    for (int i = 0; i < 3; ++i) {
        char name[32];
        card.tools.crossbar->InputName(i, name, sizeof name);
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Video Tuner", "Video Composite", "Video SVideo"}));
    EXPECT_EQ(card.tools.crossbar->Routing(2), S_OK);
    EXPECT_EQ(card.system->node(card.pci).input, 2);
    EXPECT_TRUE(card.tools.RouteTunerInputs());
    EXPECT_EQ(card.system->node(card.pci).input, 0);
}

TEST(TunerToolsOnV4l2, WebcamPreviewsWithoutTuner) {
    V4l2Tools card;
    card.select(1);
    // A camera lacks a tuner by nature: no box, and everything else works.
    EXPECT_TRUE(card.shown().empty());
    EXPECT_FALSE(card.tools.tuner);
    EXPECT_FALSE(card.tools.crossbar && card.tools.videoInputCount > 0);
    EXPECT_FALSE(card.tools.PrepareTvTuner());
    EXPECT_FALSE(card.tools.TuneFrequency(175250000));
    EXPECT_TRUE(card.tools.procAmp);
    EXPECT_FALSE(card.tools.picture[2].available); // no hue
    EXPECT_TRUE(card.tools.AssemblePreview());
    EXPECT_TRUE(card.tools.RunPreview());
    RunFor(300);
    EXPECT_EQ(DrainCaptureEvents(card.tools), CaptureEventOutcome::None);
    EXPECT_TRUE(card.tools.HaltPreview());
    EXPECT_TRUE(card.shown().empty());
}

TEST(TunerToolsOnV4l2, CameraOfferingOnlyMjpegRecordsDecodedPictures) {
    V4l2Tools card;
    card.system->node(card.camera).mjpegOnly = true;
    EXPECT_GE(card.startRecording(1, 5), 5);
    EXPECT_EQ(DrainCaptureEvents(card.tools), CaptureEventOutcome::None);
    card.tools.HaltCapture();
    card.tools.DismantleGraph();
    const AviStructure avi = card.recorded();
    EXPECT_TRUE(avi.complete());
    EXPECT_GT(avi.videoChunks, 0);
}

TEST(TunerToolsOnV4l2, NodeHeldByAnotherProgramSaysDeviceBusyAndChoosingItAgainRetries) {
    V4l2Tools card;
    card.system->node(card.pci).busy = true;
    card.select();
    EXPECT_FALSE(card.tools.videoCapture);
    EXPECT_EQ(card.shown(), std::vector<std::string>{"Cannot create video capture filter\n"
                                                     "device busy: another program is using the device."});
    // The other program lets go; the user picks the same card again.
    card.system->node(card.pci).busy = false;
    card.boxes.clear();
    card.tools.SelectSources(card.video.get(), nullptr);
    EXPECT_TRUE(card.tools.videoCapture);
    EXPECT_TRUE(card.shown().empty());
    // Picked once more while it works, nothing is rebuilt.
    IBaseFilter* const made = card.tools.videoCapture.get();
    card.tools.SelectSources(card.video.get(), nullptr);
    EXPECT_EQ(card.tools.videoCapture.get(), made);
}

TEST(TunerToolsOnV4l2, StandardRefusedWhileStreamingIsSetByRestartingTheStream) {
    V4l2Tools card;
    card.system->node(card.pci).standardBusyWhileStreaming = true;
    card.select();
    ASSERT_TRUE(card.tools.SetVideoStandard(AnalogVideo_PAL_D)) << "not streaming yet: taken at once";
    EXPECT_EQ(card.system->node(card.pci).standard, V4L2_STD_PAL_D);
    ASSERT_TRUE(card.tools.AssemblePreview());
    ASSERT_TRUE(card.tools.RunPreview());
    RunFor(200);
    ASSERT_TRUE(card.system->streaming(card.pci));

    EXPECT_TRUE(card.tools.SetVideoStandard(AnalogVideo_SECAM_D));
    EXPECT_EQ(card.system->node(card.pci).standard, V4L2_STD_SECAM_D)
        << "the standard did not stay the old one";
    RunFor(200);
    EXPECT_TRUE(card.system->streaming(card.pci)) << "the picture came back";
    EXPECT_EQ(DrainCaptureEvents(card.tools), CaptureEventOutcome::None);
    EXPECT_TRUE(card.shown().empty());
    card.tools.HaltPreview();
    card.tools.DismantleGraph();
}

TEST(TunerToolsOnV4l2, NodesAndSoundCardsAreLockedByPathAndBusySoundLeavesThePicture) {
    V4l2Tools card;
    const RefPtr<IMoniker> sound = DeviceAt(card.devices.get(), CLSID_AudioInputDeviceCategory, 0);
    ASSERT_TRUE(sound);
    card.tools.audioWanted = true;
    card.video = DeviceAt(card.devices.get(), CLSID_VideoInputDeviceCategory, 0);
    card.tools.SelectSources(card.video.get(), sound.get());
    ASSERT_TRUE(card.tools.videoCapture && card.tools.audioCapture);

    // A second user of the same card: its node is busy.
    V4l2Tools other;
    TTunerTools second{&other.target, TTunerTools::Services{*other.platform, other.boxes, other.clock}};
    second.SelectSources(card.video.get(), nullptr);
    EXPECT_FALSE(second.videoCapture);
    const std::string pid = std::to_string(static_cast<long>(::getpid()));
    EXPECT_EQ(other.shown(), std::vector<std::string>{"device busy: PCI TV is in use by process " + pid});

    // Only its sound card busy: the picture works without sound, and a later pick of it retries it.
    card.tools.SelectSources(nullptr, nullptr);
    other.boxes.clear();
    DeviceLock soundHeld;
    ASSERT_TRUE(soundHeld.acquire(DeviceLockKey(sound.get())));
    second.audioWanted = true;
    second.SelectSources(card.video.get(), sound.get());
    EXPECT_TRUE(second.videoCapture);
    EXPECT_FALSE(second.audioCapture);
    EXPECT_FALSE(second.audioWanted);
    EXPECT_EQ(other.shown(), std::vector<std::string>{"Cannot create audio capture filter\n"
                                                      "device busy: PCI TV Audio is in use by process " +
                                                      pid});
    EXPECT_TRUE(second.AssemblePreview());
    soundHeld.release();
    second.audioWanted = true;
    second.SelectSources(card.video.get(), sound.get());
    EXPECT_TRUE(second.audioCapture);
}

TEST(TunerToolsOnV4l2, NodeTakenByAnotherProgramBeforeStreamingSaysDeviceBusy) {
    V4l2Tools card;
    card.select();
    ASSERT_TRUE(card.tools.AssemblePreview());
    // Another program starts streaming between binding and running: v4l2src cannot start.
    card.system->node(card.pci).busy = true;
    ASSERT_TRUE(card.tools.RunPreview());
    EXPECT_EQ(card.waitForOutcome(), CaptureEventOutcome::Aborted);
    EXPECT_EQ(card.shown(), std::vector<std::string>{"Cannot start capture/preview\n"
                                                     "device busy: another program is using the device."});
    card.tools.HaltPreview();
    card.tools.DismantleGraph();
}

TEST(TunerToolsOnV4l2, CardUnpluggedWhilePreviewingIsADeviceLoss) {
    V4l2Tools card;
    card.select();
    ASSERT_TRUE(card.tools.AssemblePreview());
    ASSERT_TRUE(card.tools.RunPreview());
    RunFor(200);
    card.system->unplug(card.pci);
    EXPECT_EQ(card.waitForOutcome(), CaptureEventOutcome::DeviceLost);
    EXPECT_EQ(card.shown(),
              std::vector<std::string>{"Stopping Capture/Preview (Device Lost). Select New Capture Device"});
    // The gone card's controls fail quietly (the tuner's own boxes aside) and nothing hangs.
    EXPECT_FALSE(card.tools.IsSignalLocked());
    card.tools.HaltPreview();
    card.tools.DismantleGraph();
}

TEST(TunerToolsOnV4l2, CardUnpluggedWhileRecordingLeavesACompleteFile) {
    V4l2Tools card;
    // Frames reach the file before the card goes.
    ASSERT_GE(card.startRecording(0, 10), 10);
    card.system->unplug(card.pci);
    EXPECT_EQ(card.waitForOutcome(), CaptureEventOutcome::DeviceLost);
    EXPECT_FALSE(card.tools.captureRunning);
    card.tools.DismantleGraph();

    // Complete as players other than GStreamer judge it, with the picture recorded before the card went.
    const AviStructure avi = card.recorded();
    EXPECT_TRUE(avi.complete());
    EXPECT_GT(avi.videoChunks, 0);
}

} // namespace
