// SPDX-License-Identifier: GPL-2.0-or-later
// TTunerTools on the virtual TV card through the media engine: the card's faults bring up the error boxes,
// its crossbars become the video inputs, and a recording taken apart after it stopped is a complete file.
#include "avi_structure.h"
#include "card_tools.h"
#include "tv/capture_events.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

// Lets the graph's threads and posted messages run for a while (a recording needs real time).
void RunFor(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

TEST(TunerToolsOnTheCard, FindsEverythingAndNamesTheInputs) {
    CardTools card;
    card.select();

    EXPECT_TRUE(card.shown().empty());
    EXPECT_TRUE(card.tools.tuner && card.tools.tvAudio && card.tools.procAmp);
    EXPECT_TRUE(card.tools.audioCapture && card.tools.audioConfig);
    EXPECT_EQ(card.tools.picture[2].minimum, -128);
    EXPECT_EQ(card.tools.picture[2].maximum, 127);
    ASSERT_TRUE(card.tools.crossbar);
    ASSERT_EQ(card.tools.videoInputCount, 3);
    char name[32];
    card.tools.crossbar->InputName(2, name, sizeof name);
    EXPECT_STREQ(name, "Video SVideo");
    EXPECT_EQ(card.tools.crossbar->Routing(1), S_OK);
    EXPECT_EQ(card.tools.crossbar->Routing(3), E_FAIL);
}

TEST(TunerToolsOnTheCard, TwoUsersOfTheVirtualCardBothGetIt) {
    // The card is each process's own, and its sound is no hardware: nothing to lock.
    CardTools first;
    first.select();
    CardTools second;
    second.select();
    EXPECT_TRUE(second.tools.videoCapture);
    EXPECT_TRUE(second.tools.audioCapture);
    EXPECT_TRUE(second.shown().empty()) << second.shown().front();
    DeviceLock probe;
    EXPECT_TRUE(probe.acquire("Corvane Virtual TV Card"));
}

TEST(TunerToolsOnTheCard, TwoCrossbarsOfferTheFarOnesInputsFirst) {
    CardTools card([](CardDefinition& d) { d.crossbars = 2; });
    card.select();

    ASSERT_TRUE(card.tools.crossbar);
    ASSERT_GT(card.tools.videoInputCount, 3);
    char name[32];
    card.tools.crossbar->InputName(0, name, sizeof name);
    EXPECT_STREQ(name, "Video Tuner");
    for (std::int32_t i = 0; i < card.tools.videoInputCount; ++i) {
        EXPECT_EQ(card.tools.crossbar->Routing(i), S_OK) << i;
    }
}

TEST(TunerToolsOnTheCard, DeviceThatCannotBeBound) {
    CardTools card([](CardDefinition& d) { d.faults.bind = true; });
    card.select();
    EXPECT_TRUE(card.showedBoxStartingWith("Cannot create video capture filter\n"));
    EXPECT_FALSE(card.tools.videoCapture);
}

TEST(TunerToolsOnTheCard, FilterTheGraphRefuses) {
    CardTools card([](CardDefinition& d) { d.faults.addFilter = true; });
    card.select();
    EXPECT_TRUE(card.showedBoxStartingWith("Cannot add vidcap to filtergraph\n"));
    EXPECT_FALSE(card.tools.graph);
}

TEST(TunerToolsOnTheCard, FormatsThatCannotBeWritten) {
    CardTools card([](CardDefinition& d) { d.faults.setFormat = true; });
    card.select();
    ASSERT_TRUE(card.tools.AssemblePreview());
    EXPECT_TRUE(card.showedBoxStartingWith("Cannot set frame rate for preview\n"));
    card.boxes.clear();
    ASSERT_TRUE(card.tools.AssembleCapture());
    EXPECT_EQ(card.shown(), std::vector<std::string>{"Cannot set frame rate for capture"});
}

TEST(TunerToolsOnTheCard, FormatsThatCannotBeRead) {
    CardTools card([](CardDefinition& d) { d.faults.getFormat = true; });
    card.select();
    EXPECT_FALSE(card.tools.SetCaptureFormat(352, 288));
    EXPECT_FALSE(card.tools.SetPreviewFormat(352, 288));
}

TEST(TunerToolsOnTheCard, PreviewTheDeviceRefuses) {
    CardTools card([](CardDefinition& d) { d.faults.renderPreview = true; });
    card.select();
    ASSERT_TRUE(card.tools.AssemblePreview());
    EXPECT_TRUE(card.showedBoxStartingWith("This graph cannot preview!"));
    card.boxes.clear();
    card.tools.previewWanted = true;
    EXPECT_FALSE(card.tools.AssembleCapture());
    EXPECT_EQ(card.shown(), std::vector<std::string>{"Cannot render video preview stream"});
}

TEST(TunerToolsOnTheCard, DeviceWithoutPreviewPinPreviewsFromItsCapturePin) {
    CardTools card([](CardDefinition& d) { d.faults.noPreviewPin = true; });
    card.select();
    EXPECT_TRUE(card.tools.AssemblePreview());
    card.tools.DismantleGraph();
    card.tools.previewWanted = true;
    EXPECT_TRUE(card.tools.AssembleCapture());
    EXPECT_TRUE(card.shown().empty());
}

TEST(TunerToolsOnTheCard, RecordingTakenApartAfterItStoppedIsComplete) {
    CardTools card([](CardDefinition& d) { d.faults.noStreamControl = true; });
    QTemporaryDir folder;
    const std::filesystem::path file = std::filesystem::path(folder.path().toStdString()) / "capture.avi";
    card.tools.outputFile = file.wstring();
    card.select();
    ASSERT_TRUE(card.tools.AssembleCapture());
    ASSERT_TRUE(card.tools.RunCapture());
    // Without stream control the graph was paused, then run; no frame counters.
    EXPECT_FALSE(card.tools.droppedFrames);
    EXPECT_EQ(card.tools.droppedBase, 0);
    RunFor(600);
    ASSERT_TRUE(card.tools.HaltCapture());
    card.tools.DismantleGraph();
    // The stop sent end of stream before the graph was taken apart. Without stream control the picture may
    // or may not reach the multiplexer before the stop; either way the data is one whole AVI, under the
    // recording's name only when it holds a picture.
    const bool named = std::filesystem::exists(file);
    EXPECT_NE(named, std::filesystem::exists(file.string() + ".part"));
    const AviStructure whole =
        ReadAviStructure(QString::fromStdString(named ? file.string() : file.string() + ".part"));
    EXPECT_TRUE(whole.riff && whole.riffSize + 8ull == whole.fileSize && whole.idx1AfterMovi);
    EXPECT_TRUE(card.shown().empty());
}

TEST(TunerToolsOnTheCard, LostDeviceStopsTheRecordingWithItsBox) {
    CardTools card([](CardDefinition& d) { d.faults.loseDeviceAfterMs = 300; });
    QTemporaryDir folder;
    card.tools.outputFile = (std::filesystem::path(folder.path().toStdString()) / "capture.avi").wstring();
    card.select();
    ASSERT_TRUE(card.tools.AssembleCapture());
    ASSERT_TRUE(card.tools.RunCapture());
    CaptureEventOutcome outcome = CaptureEventOutcome::None;
    QElapsedTimer waited;
    waited.start();
    while (!StopsTheGraph(outcome) && waited.elapsed() < 10000) {
        RunFor(50);
        outcome = DrainCaptureEvents(card.tools);
    }
    EXPECT_EQ(outcome, CaptureEventOutcome::DeviceLost);
    EXPECT_FALSE(card.tools.captureRunning);
    EXPECT_EQ(card.shown(),
              std::vector<std::string>{"Stopping Capture/Preview (Device Lost). Select New Capture Device"});
}

TEST(TunerToolsOnTheCard, GraphsAreEnteredInTheRunningObjectTable) {
    CardTools card;
    card.select();
    ASSERT_TRUE(card.tools.AssemblePreview());
    const auto names = RunningObjectNames();
    const bool found = std::any_of(names.begin(), names.end(), [](const std::wstring& name) {
        return name.find(L"FilterGraph ") != std::wstring::npos && name.find(L" pid ") != std::wstring::npos;
    });
    EXPECT_TRUE(found);
    card.tools.DismantleGraph();
    EXPECT_EQ(RunningObjectNames().size(), names.size() - 1);
}

} // namespace

// A stopped preview left the card's live source half started: the capture branch built onto it next got
// its first frame and no more.
TEST(TunerToolsOnTheCard, ARecordingAfterThePreviewKeepsGettingFrames) {
    CardTools card;
    QTemporaryDir folder;
    card.tools.outputFile = (std::filesystem::path(folder.path().toStdString()) / "capture.avi").wstring();
    card.select();
    card.tools.previewWanted = true;
    ASSERT_TRUE(card.tools.AssemblePreview());
    ASSERT_TRUE(card.tools.RunPreview());
    RunFor(500);
    ASSERT_TRUE(card.tools.HaltPreview());
    card.tools.DismantleGraph();
    ASSERT_TRUE(card.tools.AssembleCapture());
    ASSERT_TRUE(card.tools.RunCapture());
    ASSERT_TRUE(card.tools.droppedFrames);
    // Frames keep coming; the deadline only ends a failing run.
    LONG delivered = 0;
    QElapsedTimer deadline;
    deadline.start();
    while (delivered < 10 && deadline.elapsed() < 20000) {
        RunFor(100);
        card.tools.droppedFrames->GetNumNotDropped(&delivered);
    }
    EXPECT_GE(delivered, 10);
    EXPECT_TRUE(card.tools.HaltCapture());
    card.tools.DismantleGraph();
    EXPECT_TRUE(card.shown().empty());
}
