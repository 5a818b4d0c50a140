// SPDX-License-Identifier: GPL-2.0-or-later
// The preview-only and the capture graph of TTunerTools on a card of test doubles: the order of calls, the
// error boxes, stream control, and the pin formats.
#include "tuner_test_card.h"

#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using Boxes = std::vector<std::string>;

// The entries of log that are in wanted, in their order.
CallLog Only(const CallLog& log, const std::vector<std::string>& wanted) {
    CallLog kept;
    for (const auto& entry : log) {
        if (std::find(wanted.begin(), wanted.end(), entry) != wanted.end()) {
            kept.push_back(entry);
        }
    }
    return kept;
}

struct GraphCard : TestCard {
    GraphCard() {
        select();
        compressor->addPin(PINDIR_INPUT);
        compressor->addPin(PINDIR_OUTPUT);
        tools.SelectCompressors(compressorMoniker.get(), nullptr);
        boxes.clear();
        log.clear();
    }
    RefPtr<FakeFilter> compressor = MakeCom<FakeFilter>("compressor");
    RefPtr<FakeMoniker> compressorMoniker =
        MakeCom<FakeMoniker>("Codec", RefPtr<IUnknown>(static_cast<IBaseFilter*>(compressor.get())));
};

TEST(TunerGraphsPreview, AssemblesRendersAttachesAndListens) {
    GraphCard card;
    QWidget owner;
    card.target.owner = &owner;

    ASSERT_TRUE(card.tools.AssemblePreview());

    EXPECT_TRUE(card.shown().empty());
    EXPECT_TRUE(card.tools.previewBuilt);
    EXPECT_TRUE(card.target.window);
    const CallLog expected = {"RenderStream preview video", "put_Owner",           "put_WindowStyle",
                              "put_MessageDrain",           "SetWindowPosition",   "put_Visible true",
                              "preview SetFormat",          "SetNotifyWindow 1025"};
    EXPECT_EQ(Only(card.log, expected), expected);
    // The preview pin runs at 25 frames per second.
    EXPECT_EQ(card.previewConfig->info().AvgTimePerFrame, 400000);
    EXPECT_EQ(card.target.videoWidth, 704);
    EXPECT_EQ(card.target.videoHeight, 576);
}

TEST(TunerGraphsPreview, BuiltPreviewIsOnlyAttachedAgain) {
    GraphCard card;
    ASSERT_TRUE(card.tools.AssemblePreview());
    card.previewConfig->getResult = E_FAIL;
    card.log.clear();

    ASSERT_TRUE(card.tools.AssemblePreview());

    EXPECT_FALSE(card.logged("RenderStream preview video"));
    EXPECT_TRUE(card.logged("put_Visible true"));
    // Without a readable preview format the default size stands.
    EXPECT_EQ(card.target.videoWidth, 352);
    EXPECT_EQ(card.target.videoHeight, 288);
}

TEST(TunerGraphsPreview, PreviewSplitOffTheCapturePinIsSuccessInBothGraphs) {
    GraphCard card;
    card.platform.builder->renderResults["preview video"] = VFW_S_NOPREVIEWPIN;
    card.tools.previewWanted = true;

    EXPECT_TRUE(card.tools.AssemblePreview());
    EXPECT_TRUE(card.tools.AssembleCapture());
    EXPECT_TRUE(card.shown().empty());
    EXPECT_TRUE(card.tools.captureBuilt);
    EXPECT_FALSE(card.tools.previewBuilt);
}

struct PreviewFailure {
    const char* name;
    std::function<void(GraphCard&)> arrange;
    Boxes boxes;
};

class TunerGraphsPreviewFailures : public ::testing::TestWithParam<PreviewFailure> {};

TEST_P(TunerGraphsPreviewFailures, GoOnWithABox) {
    GraphCard card;
    GetParam().arrange(card);

    EXPECT_TRUE(card.tools.AssemblePreview());
    EXPECT_EQ(card.shown(), GetParam().boxes);
    EXPECT_TRUE(card.tools.previewBuilt);
}

const PreviewFailure kPreviewFailures[] = {
    {"RenderRefused",
     [](GraphCard& c) { c.platform.builder->renderResults["preview video"] = VFW_E_CANNOT_RENDER; },
     {"This graph cannot preview!"}},
    {"NoVideoWindow",
     [](GraphCard& c) { c.platform.graph->withheld.push_back(IVideoWindow::IID); },
     {"This graph cannot preview properly"}},
    {"FrameRateRefused",
     [](GraphCard& c) { c.previewConfig->setResult = E_INVALIDARG; },
     {"Cannot set frame rate for preview\nThe parameter is incorrect."}},
};

INSTANTIATE_TEST_SUITE_P(Boxes, TunerGraphsPreviewFailures, ::testing::ValuesIn(kPreviewFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TunerGraphsPreview, RunAndHaltWithTheirFailures) {
    GraphCard card;
    EXPECT_FALSE(card.tools.RunPreview()); // nothing built
    ASSERT_TRUE(card.tools.AssemblePreview());

    card.platform.graph->runResult = E_FAIL;
    EXPECT_FALSE(card.tools.RunPreview());
    EXPECT_EQ(card.log.back(), "Stop");
    EXPECT_EQ(card.shown(), Boxes{"Cannot run preview graph\nUnspecified error."});
    EXPECT_FALSE(card.tools.previewRunning);

    card.boxes.clear();
    card.platform.graph->runResult = S_OK;
    ASSERT_TRUE(card.tools.RunPreview());
    card.platform.graph->stopResult = E_UNEXPECTED;
    EXPECT_FALSE(card.tools.HaltPreview());
    EXPECT_EQ(card.shown(), Boxes{"Cannot stop preview graph\nCatastrophic failure."});
    EXPECT_TRUE(card.tools.previewRunning);

    card.platform.graph->stopResult = S_OK;
    EXPECT_TRUE(card.tools.HaltPreview());
    EXPECT_FALSE(card.tools.HaltPreview()); // not running any more
}

TEST(TunerGraphsCapture, AssemblesInItsOrder) {
    GraphCard card;
    card.tools.previewWanted = true;

    ASSERT_TRUE(card.tools.AssembleCapture());

    EXPECT_TRUE(card.shown().empty());
    const CallLog expected = {"SetOutputFileName capture.avi",
                              "SetOutputCompatibilityIndex",
                              "SetMasterStream 0",
                              "RenderStream capture video through compressor into mux",
                              "RenderStream preview video",
                              "RenderStream capture audio into mux",
                              "put_Owner",
                              "put_Visible true",
                              "capture GetFormat",
                              "capture SetFormat",
                              "SetNotifyWindow 1025"};
    EXPECT_EQ(Only(card.log, expected), expected);
    EXPECT_EQ(card.log.front(), "AddFilter"); // the compressor joins the graph first
    EXPECT_EQ(card.captureConfig->info().AvgTimePerFrame, 400000);
    EXPECT_TRUE(card.tools.captureBuilt);
    EXPECT_TRUE(card.tools.mux);
    EXPECT_TRUE(card.tools.aviMux);
    EXPECT_NE(card.tools.rotCookie, 0u);
}

TEST(TunerGraphsCapture, WithoutSoundOrPreviewOnlyThePictureIsRecorded) {
    GraphCard card;
    card.tools.audioWanted = false;

    ASSERT_TRUE(card.tools.AssembleCapture());

    EXPECT_FALSE(card.logged("SetMasterStream 0"));
    EXPECT_FALSE(card.logged("RenderStream preview video"));
    EXPECT_FALSE(card.logged("RenderStream capture audio into mux"));
    EXPECT_FALSE(card.target.window);
}

TEST(TunerGraphsCapture, RefusedWhileAPreviewRuns) {
    GraphCard card;
    ASSERT_TRUE(card.tools.AssemblePreview());
    ASSERT_TRUE(card.tools.RunPreview());

    EXPECT_FALSE(card.tools.AssembleCapture());
    // Starting a recording stops the preview, but only a built capture graph starts.
    EXPECT_FALSE(card.tools.RunCapture());
    EXPECT_FALSE(card.tools.previewRunning);
    EXPECT_TRUE(card.shown().empty());
}

// The preview running, and wanted beside a recording as the TV page wants it for the smaller sizes.
bool PreviewWantedBesideARecording(GraphCard& card) {
    card.tools.previewWanted = true;
    return card.tools.AssemblePreview() && card.tools.RunPreview();
}

TEST(TunerGraphsBesidePreview, TheRecordingJoinsAndLeavesTheRunningPreviewGraph) {
    GraphCard card;
    ASSERT_TRUE(PreviewWantedBesideARecording(card));
    card.droppedFrames->delivered = 7;
    card.log.clear();

    ASSERT_TRUE(card.tools.CanCaptureBesidePreview());
    ASSERT_TRUE(card.tools.StartCaptureBesidePreview());
    // Nothing stops: the branch is built onto the running graph, and the graph told to run lets it start.
    const CallLog expected = {"SetOutputFileName capture.avi",
                              "RenderStream capture video through compressor into mux",
                              "RenderStream capture audio into mux", "Run"};
    EXPECT_EQ(Only(card.log, {"Stop", "Pause", "Run", "SetOutputFileName capture.avi",
                              "RenderStream capture video through compressor into mux",
                              "RenderStream capture audio into mux", "RenderStream preview video"}),
              expected);
    EXPECT_FALSE(card.logged("ControlStream start now stop never"))
        << "the capture pins feed the preview too";
    EXPECT_EQ(card.tools.notDroppedBase, 7);
    EXPECT_TRUE(card.tools.captureRunning);
    EXPECT_TRUE(card.tools.previewRunning);
    EXPECT_FALSE(card.tools.CanCaptureBesidePreview());
    card.log.clear();

    ASSERT_TRUE(card.tools.HaltCapture());
    EXPECT_FALSE(card.logged("Stop"));
    EXPECT_TRUE(card.logged("RemoveFilter"));
    EXPECT_FALSE(card.tools.captureRunning);
    EXPECT_FALSE(card.tools.captureBuilt);
    EXPECT_FALSE(card.tools.mux);
    EXPECT_TRUE(card.tools.previewRunning);
    EXPECT_TRUE(card.tools.previewBuilt);
    EXPECT_TRUE(card.shown().empty());
}

TEST(TunerGraphsBesidePreview, StoppingThePreviewEndsTheRecordingAndLeavesAPreviewGraph) {
    GraphCard card;
    ASSERT_TRUE(PreviewWantedBesideARecording(card));
    ASSERT_TRUE(card.tools.StartCaptureBesidePreview());
    card.log.clear();

    ASSERT_TRUE(card.tools.HaltPreview());
    EXPECT_EQ(Only(card.log, {"Stop", "RemoveFilter"}).front(), "Stop") << "the file ends with the graph";
    EXPECT_FALSE(card.tools.captureRunning);
    EXPECT_FALSE(card.tools.captureBuilt);
    EXPECT_FALSE(card.tools.HaltCapture());
    // Run again, it is the preview alone.
    card.log.clear();
    ASSERT_TRUE(card.tools.RunPreview());
    EXPECT_FALSE(card.logged("SetOutputFileName capture.avi"));
}

TEST(TunerGraphsBesidePreview, NeedsThePreviewRunningAndWanted) {
    GraphCard card;
    EXPECT_FALSE(card.tools.CanCaptureBesidePreview());
    EXPECT_FALSE(card.tools.StartCaptureBesidePreview());
    ASSERT_TRUE(card.tools.AssemblePreview());
    ASSERT_TRUE(card.tools.RunPreview());
    EXPECT_FALSE(card.tools.CanCaptureBesidePreview()) << "a preview not wanted beside the recording";
    card.tools.previewWanted = true;
    EXPECT_TRUE(card.tools.CanCaptureBesidePreview());
    EXPECT_FALSE(card.logged("SetOutputFileName capture.avi"));
}

TEST(TunerGraphsBesidePreview, ABranchThatCannotBeBuiltIsTakenOutAndThePreviewGoesOn) {
    GraphCard card;
    ASSERT_TRUE(PreviewWantedBesideARecording(card));
    card.platform.builder->renderResults["capture audio"] = E_FAIL;
    card.log.clear();

    EXPECT_FALSE(card.tools.StartCaptureBesidePreview());
    EXPECT_EQ(card.shown(), Boxes{"Cannot render audio capture stream"});
    EXPECT_TRUE(card.logged("RemoveFilter"));
    EXPECT_FALSE(card.logged("Stop"));
    EXPECT_FALSE(card.logged("Run"));
    EXPECT_FALSE(card.tools.captureRunning);
    EXPECT_FALSE(card.tools.captureBuilt);
    EXPECT_FALSE(card.tools.mux);
    EXPECT_TRUE(card.tools.previewRunning);
}

struct CaptureFailure {
    const char* name;
    std::function<void(GraphCard&)> arrange;
    Boxes boxes;
    bool built;
};

class TunerGraphsCaptureFailures : public ::testing::TestWithParam<CaptureFailure> {};

TEST_P(TunerGraphsCaptureFailures, ShowTheirBox) {
    GraphCard card;
    card.tools.previewWanted = true;
    GetParam().arrange(card);

    EXPECT_EQ(card.tools.AssembleCapture(), GetParam().built);
    EXPECT_EQ(card.shown(), GetParam().boxes);
    EXPECT_EQ(card.tools.captureBuilt, GetParam().built);
    if (!GetParam().built) {
        // Taken apart again: nothing is left downstream of the capture filters.
        EXPECT_FALSE(card.tools.mux);
        for (const auto& pin : card.videoFilter->pins) {
            EXPECT_EQ(pin->peer, nullptr);
        }
    }
}

const CaptureFailure kCaptureFailures[] = {
    {"OutputFileRefused",
     [](GraphCard& c) { c.platform.builder->outputResult = E_ACCESSDENIED; },
     {"Cannot set output file"},
     false},
    {"MasterStreamRefused",
     [](GraphCard& c) { c.platform.builder->refuseMasterStream = true; },
     {"SetMasterStream failed!"},
     true},
    {"VideoCaptureNotRendered",
     [](GraphCard& c) { c.platform.builder->renderResults["capture video"] = VFW_E_CANNOT_CONNECT; },
     {"Cannot render video capture stream"},
     false},
    {"PreviewNotRendered",
     [](GraphCard& c) { c.platform.builder->renderResults["preview video"] = VFW_E_CANNOT_RENDER; },
     {"Cannot render video preview stream"},
     false},
    {"AudioNotRendered",
     [](GraphCard& c) { c.platform.builder->renderResults["capture audio"] = VFW_E_NO_ACCEPTABLE_TYPES; },
     {"Cannot render audio capture stream"},
     false},
    {"NoVideoWindow",
     [](GraphCard& c) { c.platform.graph->withheld.push_back(IVideoWindow::IID); },
     {"This graph cannot preview"},
     true},
    {"CaptureFrameRateRefused",
     [](GraphCard& c) { c.captureConfig->setResult = E_FAIL; },
     {"Cannot set frame rate for capture"},
     true},
    {"CaptureFormatUnreadable",
     [](GraphCard& c) { c.captureConfig->getResult = E_FAIL; },
     {"Cannot set frame rate for capture"},
     true},
    {"RunningObjectTableAway",
     [](GraphCard& c) { c.platform.tableAvailable = false; },
     {"Failed to register filter graph with ROT!\nUnspecified error."},
     true},
};

INSTANTIATE_TEST_SUITE_P(Boxes, TunerGraphsCaptureFailures, ::testing::ValuesIn(kCaptureFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TunerGraphsCapture, WithoutCaptureConfigurationTheGraphStillBuilds) {
    TestCard card;
    card.platform.builder->withdraw<IAMStreamConfig>(card.videoFilter.get(), PIN_CATEGORY_CAPTURE);
    card.select();
    card.boxes.clear();

    EXPECT_TRUE(card.tools.AssembleCapture());
    EXPECT_EQ(card.shown(), Boxes{"Cannot set frame rate for capture"});
}

TEST(TunerGraphsCapture, RunWithStreamControlStartsTheCapturePinAfterTheGraph) {
    GraphCard card;
    card.droppedFrames->dropped = 3;
    card.droppedFrames->delivered = 7;
    card.clock.advance(5000);
    ASSERT_TRUE(card.tools.AssembleCapture());
    card.log.clear();

    ASSERT_TRUE(card.tools.RunCapture());

    const CallLog expected = {"ControlStream start never stop now", "Run",
                              "ControlStream start now stop never"};
    EXPECT_EQ(card.log, expected);
    EXPECT_EQ(card.tools.droppedBase, 3);
    EXPECT_EQ(card.tools.notDroppedBase, 7);
    EXPECT_EQ(card.tools.captureStartMs, 5000u);
    EXPECT_TRUE(card.tools.captureRunning);
    EXPECT_TRUE(card.tools.RunCapture()); // already running
}

TEST(TunerGraphsCapture, DeviceWithoutStreamControlIsPausedThenRun) {
    GraphCard card;
    card.platform.builder->controlResult = E_NOTIMPL;
    card.droppedFrames->dropped = 3;
    ASSERT_TRUE(card.tools.AssembleCapture());
    card.log.clear();

    ASSERT_TRUE(card.tools.RunCapture());

    EXPECT_EQ(Only(card.log, {"Pause", "Run"}), (CallLog{"Pause", "Run"}));
    EXPECT_EQ(card.tools.droppedBase, 0);
    EXPECT_EQ(card.tools.notDroppedBase, 0);
    EXPECT_FALSE(card.tools.droppedFrames);
}

struct RunFailure {
    const char* name;
    std::function<void(GraphCard&)> arrange;
    Boxes boxes;
    bool stopped;
};

class TunerGraphsRunFailures : public ::testing::TestWithParam<RunFailure> {};

TEST_P(TunerGraphsRunFailures, ShowTheirBoxAndLeaveTheGraphStopped) {
    GraphCard card;
    ASSERT_TRUE(card.tools.AssembleCapture());
    GetParam().arrange(card);
    card.log.clear();

    EXPECT_FALSE(card.tools.RunCapture());
    EXPECT_EQ(card.shown(), GetParam().boxes);
    EXPECT_FALSE(card.tools.captureRunning);
    EXPECT_EQ(!card.log.empty() && card.log.back() == "Stop", GetParam().stopped);
}

const RunFailure kRunFailures[] = {
    {"NoMediaControl",
     [](GraphCard& c) { c.platform.graph->withheld.push_back(IMediaControl::IID); },
     {"Cannot get IMediaControl\nNo such interface supported."},
     false},
    {"GraphDoesNotStart",
     [](GraphCard& c) { c.platform.graph->runResult = VFW_E_NO_CAPTURE_HARDWARE; },
     {"Cannot start graph\nUnknown error 0x80040276."},
     true},
    {"PausedGraphDoesNotRun",
     [](GraphCard& c) {
         c.platform.builder->controlResult = E_NOTIMPL;
         c.platform.graph->runResult = E_FAIL;
     },
     {"Cannot run graph\nUnspecified error."},
     true},
};

INSTANTIATE_TEST_SUITE_P(Boxes, TunerGraphsRunFailures, ::testing::ValuesIn(kRunFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TunerGraphsCapture, FailedStopKeepsTheRecordingFlag) {
    GraphCard card;
    EXPECT_FALSE(card.tools.HaltCapture()); // not recording
    ASSERT_TRUE(card.tools.AssembleCapture());
    ASSERT_TRUE(card.tools.RunCapture());
    card.platform.graph->stopResult = E_FAIL;

    EXPECT_FALSE(card.tools.HaltCapture());
    EXPECT_EQ(card.shown(), Boxes{"Cannot stop graph\nUnspecified error."});
    EXPECT_TRUE(card.tools.captureRunning);
}

TEST(TunerGraphsCapture, PreviousRecordingIsKeptBeforeTheNextStarts) {
    GraphCard card;
    QTemporaryDir folder;
    const std::filesystem::path file = std::filesystem::path(folder.path().toStdString()) / "capture.avi";
    std::ofstream(file) << "the last recording";
    card.tools.outputFile = file.wstring();
    ASSERT_TRUE(card.tools.AssembleCapture());
    EXPECT_TRUE(std::filesystem::exists(file)); // building the graph touches nothing

    ASSERT_TRUE(card.tools.RunCapture());

    EXPECT_FALSE(std::filesystem::exists(file));
    int kept = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path().toStdString())) {
        const std::string name = entry.path().filename().string();
        EXPECT_EQ(name.rfind("capture-", 0), 0u) << name;
        EXPECT_EQ(name.size(), std::string("capture-YYYYMMDD-HHMMSS.avi").size()) << name;
        ++kept;
    }
    EXPECT_EQ(kept, 1);
}

TEST(TunerGraphsFormats, RefusedPreviewSizeStillCountsAsWritten) {
    GraphCard card;
    card.previewConfig->accepts = [](LONG width, LONG) { return width <= 720; };

    EXPECT_TRUE(card.tools.SetPreviewFormat(768, 576));
    EXPECT_EQ(card.target.videoWidth, 704); // what the device kept
    EXPECT_EQ(card.target.videoHeight, 576);

    EXPECT_TRUE(card.tools.SetPreviewFormat(320, 240));
    EXPECT_EQ(card.target.videoWidth, 320);
    const BITMAPINFOHEADER& header = card.previewConfig->info().bmiHeader;
    EXPECT_EQ(header.biBitCount, 16);
    EXPECT_EQ(card.previewConfig->info().AvgTimePerFrame, 400000);
}

TEST(TunerGraphsFormats, CaptureSizeChangeRebuildsTheWantedPreview) {
    GraphCard card;
    ASSERT_TRUE(PreviewWantedBesideARecording(card));

    EXPECT_TRUE(card.tools.SetCaptureFormat(720, -576));

    EXPECT_EQ(card.tools.captureWidth, 720);
    EXPECT_EQ(card.tools.captureHeight, 576);
    EXPECT_TRUE(card.tools.previewBuilt);
    EXPECT_TRUE(card.tools.previewRunning);
    EXPECT_EQ(card.platform.table->revoked, 1);
}

TEST(TunerGraphsFormats, NothingWrittenWithoutAReadableVideoFormat) {
    GraphCard card;
    card.captureConfig->getResult = S_FALSE;
    EXPECT_FALSE(card.tools.SetCaptureFormat(352, 288));
    card.captureConfig->getResult = S_OK;
    card.captureConfig->format.formattype = FORMAT_DvInfo;
    EXPECT_FALSE(card.tools.SetCaptureFormat(352, 288));
}

} // namespace
