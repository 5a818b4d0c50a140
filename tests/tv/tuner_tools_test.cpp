// SPDX-License-Identifier: GPL-2.0-or-later
// TTunerTools on a card of test doubles: the filters it makes, what it finds, its error boxes, and taking a
// graph apart.
#include "tuner_test_card.h"

#include <gtest/gtest.h>

namespace {

using Boxes = std::vector<std::string>;

TEST(TunerToolsFilters, MakesTheFiltersAndFindsTheirInterfaces) {
    TestCard card;
    card.select();

    EXPECT_TRUE(card.shown().empty());
    ASSERT_TRUE(card.tools.videoCapture);
    ASSERT_TRUE(card.tools.audioCapture);
    EXPECT_TRUE(card.platform.graph->contains(card.tools.videoCapture.get()));
    EXPECT_TRUE(card.platform.graph->contains(card.tools.audioCapture.get()));
    EXPECT_TRUE(card.tools.captureConfig && card.tools.previewConfig && card.tools.audioConfig);
    EXPECT_TRUE(card.tools.tuner);
    EXPECT_TRUE(card.tools.audioAllowed);
    EXPECT_TRUE(card.tools.audioWanted);
    // Top-down formats (negative heights) are stored by their size.
    EXPECT_EQ(card.tools.captureWidth, 352);
    EXPECT_EQ(card.tools.captureHeight, 288);
    EXPECT_EQ(card.target.videoWidth, 704);
    EXPECT_EQ(card.target.videoHeight, 576);
    // Brightness from the device, the others in their fallback state.
    EXPECT_TRUE(card.tools.picture[0].available);
    EXPECT_EQ(card.tools.picture[0].maximum, 255);
    EXPECT_EQ(card.tools.picture[0].defaultValue, 128);
    EXPECT_FALSE(card.tools.picture[3].available);
    EXPECT_EQ(card.tools.picture[3].maximum, 10000);
    EXPECT_EQ(card.tools.picture[3].step, 39);
    EXPECT_EQ(card.tools.picture[3].defaultValue, 5000);
    // The filter's analog input is not connected to a crossbar: a crossbar without inputs.
    ASSERT_TRUE(card.tools.crossbar);
    EXPECT_EQ(card.tools.videoInputCount, 0);
}

TEST(TunerToolsFilters, SameMonikersAgainRebuildNothing) {
    TestCard card;
    card.tools.previewWanted = true;
    card.select();
    ASSERT_TRUE(card.tools.previewRunning);
    const std::size_t calls = card.log.size();
    const int builders = card.platform.builderCreations;

    card.select();

    EXPECT_EQ(card.log.size(), calls);
    EXPECT_EQ(card.platform.builderCreations, builders);
    EXPECT_EQ(card.videoMoniker->binds, 1);
    EXPECT_EQ(card.audioMoniker->binds, 1);
    EXPECT_TRUE(card.tools.previewRunning);
}

TEST(TunerToolsFilters, NewDeviceStopsAndRestartsTheWantedPreview) {
    TestCard card;
    card.tools.previewWanted = true;
    card.select();
    card.log.clear();

    card.tools.SelectSources(card.videoMoniker.get(), nullptr);

    EXPECT_EQ(card.log.front(), "Stop");
    EXPECT_TRUE(card.logged("Run"));
    EXPECT_TRUE(card.tools.previewRunning);
    EXPECT_FALSE(card.tools.audioCapture);
    EXPECT_FALSE(card.tools.audioWanted);
}

TEST(TunerToolsFilters, DeviceDeliveringMoreThanPictureSwitchesSoundOff) {
    TestCard card;
    card.captureConfig->format.majortype = MEDIATYPE_Interleaved;
    card.select();

    EXPECT_FALSE(card.tools.audioAllowed);
    EXPECT_FALSE(card.tools.audioWanted);
    EXPECT_EQ(card.audioMoniker->binds, 0);
    EXPECT_TRUE(card.shown().empty());
}

struct FilterFailure {
    const char* name;
    std::function<void(TestCard&)> arrange;
    Boxes boxes;
    // Whether the object keeps its filters afterwards.
    bool filtersKept;
};

class TunerToolsFilterFailures : public ::testing::TestWithParam<FilterFailure> {};

TEST_P(TunerToolsFilterFailures, ShowsItsBoxAndGoesOnOrGivesUp) {
    TestCard card;
    GetParam().arrange(card);
    card.select();

    EXPECT_EQ(card.shown(), GetParam().boxes);
    EXPECT_EQ(static_cast<bool>(card.tools.videoCapture), GetParam().filtersKept);
    EXPECT_EQ(static_cast<bool>(card.tools.graph), GetParam().filtersKept);
}

const FilterFailure kFilterFailures[] = {
    {"BuilderCannotBeMade",
     [](TestCard& c) { c.platform.builderResult = E_OUTOFMEMORY; },
     {"Cannot instantiate ICaptureGraphBuilder2\nNot enough storage is available to complete this "
      "operation."},
     false},
    {"NoVideoDevice",
     [](TestCard& c) { c.videoMoniker = nullptr; },
     {"Cannot create video capture filter\nThe operation completed successfully."},
     false},
    {"VideoDeviceRefusesToBind",
     [](TestCard& c) { c.videoMoniker = MakeCom<FakeMoniker>("Gone", nullptr, E_ACCESSDENIED); },
     {"Cannot create video capture filter\nAccess is denied."},
     false},
    {"GraphCannotBeMade",
     [](TestCard& c) { c.platform.graphResult = VFW_E_NOT_FOUND; },
     {"Cannot instantiate IGraphBuilder\nAn object or name was not found.", "Cannot instantiate filtergraph"},
     false},
    {"BuilderRefusesTheGraph",
     [](TestCard& c) { c.platform.builder->setGraphResult = E_UNEXPECTED; },
     {"Cannot give graph to builder"},
     false},
    {"VideoFilterNotAdded",
     [](TestCard& c) { c.platform.graph->addResults[0] = VFW_E_NOT_STOPPED; },
     {"Cannot add vidcap to filtergraph\nThe operation could not be performed because the filter is not "
      "stopped."},
     false},
    {"NoCaptureConfiguration",
     [](TestCard& c) {
         c.platform.builder->withdraw<IAMStreamConfig>(c.videoFilter.get(), PIN_CATEGORY_CAPTURE);
     },
     {"Cannot find VCapture:IAMStreamConfig\nNo such interface supported."},
     true},
    {"NoTuner",
     [](TestCard& c) { c.platform.builder->withdraw<IAMTVTuner>(c.videoFilter.get(), PIN_CATEGORY_CAPTURE); },
     {},
     true},
    {"AudioFilterNotAdded",
     [](TestCard& c) { c.platform.graph->addResults[1] = E_FAIL; },
     {"Cannot add audcap to filtergraph\nUnspecified error."},
     false},
    {"NoAudioConfiguration",
     [](TestCard& c) {
         c.platform.builder->withdraw<IAMStreamConfig>(c.audioFilter.get(), PIN_CATEGORY_CAPTURE);
     },
     {"Cannot find ACapture:IAMStreamConfig"},
     true},
    {"AudioDeviceRefusesToBind",
     [](TestCard& c) { c.audioMoniker = MakeCom<FakeMoniker>("Mute", nullptr, E_FAIL); },
     {"Cannot create audio capture filter"},
     true},
};

INSTANTIATE_TEST_SUITE_P(Boxes, TunerToolsFilterFailures, ::testing::ValuesIn(kFilterFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TunerToolsFilters, WithoutVideoDeviceNothingAssemblesAndNothingMoreIsSaid) {
    TestCard card;
    card.videoMoniker = nullptr;
    card.select();
    card.boxes.clear();

    EXPECT_FALSE(card.tools.AssemblePreview());
    EXPECT_FALSE(card.tools.AssembleCapture());
    EXPECT_TRUE(card.shown().empty());
}

TEST(TunerToolsFilters, UnboundAudioDeviceClearsTheWishForSound) {
    TestCard card;
    card.audioMoniker = MakeCom<FakeMoniker>("Mute", nullptr, E_FAIL);
    card.select();

    EXPECT_FALSE(card.tools.audioWanted);
    // Without sound wanted, a preview and a recording of the picture alone still build.
    EXPECT_TRUE(card.tools.AssembleCapture());
}

TEST(TunerToolsFilters, SecondHolderOfADeviceIsToldWhoHasIt) {
    TestCard first;
    first.select();
    TestCard second;
    second.select();

    const std::string busy =
        "device busy: Test Card is in use by process " + std::to_string(static_cast<long>(::getpid()));
    EXPECT_EQ(second.shown(), Boxes{busy});
    EXPECT_FALSE(second.tools.videoCapture);

    // Once the first lets go, the second gets the device.
    first.tools.SelectSources(nullptr, nullptr);
    second.boxes.clear();
    second.tools.SelectSources(second.videoMoniker.get(), nullptr);
    EXPECT_TRUE(second.tools.videoCapture);
}

TEST(TunerToolsFilters, TheSameDevicesAgainRetryOnlyTheOneThatFailed) {
    TestCard card;
    card.audioMoniker->setBindResult(E_FAIL);
    card.select();
    EXPECT_FALSE(card.tools.audioCapture);
    EXPECT_FALSE(card.tools.audioWanted);

    // Nothing wanted anew: the same devices rebuild nothing.
    const int videoBinds = card.videoMoniker->binds;
    card.select();
    EXPECT_EQ(card.videoMoniker->binds, videoBinds);

    // The owner wants sound again and the card can be made now: the same monikers try it again.
    card.audioMoniker->setBindResult(S_OK);
    card.tools.audioWanted = true;
    card.select();
    EXPECT_TRUE(card.tools.audioCapture);
    EXPECT_TRUE(card.tools.audioWanted);
    const int audioBinds = card.audioMoniker->binds;
    card.select();
    EXPECT_EQ(card.audioMoniker->binds, audioBinds) << "everything made: nothing is rebuilt";
}

TEST(TunerToolsFilters, LocksFollowTheDevicePathNotTheName) {
    // Two identical sound cards (and capture cards) under one name, on different paths.
    TestCard first;
    first.videoMoniker->path = "/dev/video0";
    first.audioMoniker->path = "hw:0";
    first.select();
    TestCard second;
    second.videoMoniker->path = "/dev/video1";
    second.audioMoniker->path = "hw:1";
    second.select();
    EXPECT_TRUE(second.tools.videoCapture);
    EXPECT_TRUE(second.tools.audioCapture);
    EXPECT_TRUE(second.shown().empty()) << second.shown().front();

    // The same sound card as the first: the picture stays, without sound.
    TestCard third;
    third.videoMoniker->path = "/dev/video2";
    third.audioMoniker->path = "hw:0";
    third.select();
    EXPECT_TRUE(third.tools.videoCapture);
    EXPECT_FALSE(third.tools.audioCapture);
    EXPECT_TRUE(third.tools.AssemblePreview());
    ASSERT_EQ(third.shown().size(), 1u);
    EXPECT_EQ(
        third.shown().front().rfind("Cannot create audio capture filter\ndevice busy: Test Card Audio", 0),
        0u)
        << third.shown().front();
}

TEST(TunerToolsGraph, RemoveDownstreamTakesAChainOfTwoOutAndKeepsTheFilter) {
    TestCard card;
    card.select();
    auto first = MakeCom<FakeFilter>("first");
    auto second = MakeCom<FakeFilter>("second");
    FakePin* captureOut = card.videoFilter->addPin(PINDIR_OUTPUT);
    FakePin* firstIn = first->addPin(PINDIR_INPUT);
    FakePin* firstOut = first->addPin(PINDIR_OUTPUT);
    FakePin* secondIn = second->addPin(PINDIR_INPUT);
    Link(captureOut, firstIn);
    Link(firstOut, secondIn);
    card.platform.graph->AddFilter(first.get(), nullptr);
    card.platform.graph->AddFilter(second.get(), nullptr);
    card.log.clear();

    card.tools.RemoveDownstream(card.videoFilter.get());

    EXPECT_FALSE(card.platform.graph->contains(first.get()));
    EXPECT_FALSE(card.platform.graph->contains(second.get()));
    EXPECT_TRUE(card.platform.graph->contains(card.videoFilter.get()));
    EXPECT_EQ(captureOut->peer, nullptr);
    EXPECT_EQ(firstOut->peer, nullptr);
    // Depth first: the far end of the chain goes before the near one.
    const CallLog expected = {"Disconnect", "Disconnect", "RemoveFilter",
                              "Disconnect", "Disconnect", "RemoveFilter"};
    EXPECT_EQ(card.log, expected);
}

TEST(TunerToolsGraph, RegistersEachGraphAndRevokesItWhenTakenApart) {
    TestCard card;
    card.select();
    ASSERT_TRUE(card.tools.AssemblePreview());

    EXPECT_NE(card.tools.rotCookie, 0u);
    EXPECT_EQ(card.platform.lastName.rfind(L"FilterGraph ", 0), 0u);
    EXPECT_EQ(card.platform.lastName.substr(20), L" pid 00001f3c");

    card.tools.DismantleGraph();
    EXPECT_EQ(card.tools.rotCookie, 0u);
    EXPECT_EQ(card.platform.table->revoked, 1);
    EXPECT_FALSE(card.tools.previewBuilt);
    EXPECT_FALSE(card.target.window);
}

TEST(TunerToolsGraph, WithoutRunningObjectTableTheGraphStillRuns) {
    TestCard card;
    card.platform.tableAvailable = false;
    card.select();

    EXPECT_TRUE(card.tools.AssemblePreview());
    EXPECT_EQ(card.shown(), Boxes{"Failed to register filter graph with ROT!\nUnspecified error."});
    EXPECT_EQ(card.tools.rotCookie, 0u);
    EXPECT_TRUE(card.tools.RunPreview());
}

} // namespace
