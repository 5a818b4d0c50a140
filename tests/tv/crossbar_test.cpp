// SPDX-License-Identifier: GPL-2.0-or-later
// CCrossbar on crossbars of test doubles: the routes found through one and two crossbars, their names, and
// switching them.
#include "capture_doubles.h"
#include "tv/crossbar.h"

#include <gtest/gtest.h>

namespace {

using Spec = FakeCrossbar::PinSpec;

std::vector<std::string> Names(const CCrossbar& crossbar) {
    std::vector<std::string> names;
    for (std::int32_t i = 0; i < crossbar.InputCount(); ++i) {
        char name[64];
        EXPECT_EQ(crossbar.InputName(i, name, sizeof name), S_OK);
        names.emplace_back(name);
    }
    return names;
}

// A capture filter whose analog video input is fed by the crossbar's output 0 ("Video Decoder").
struct CaptureInput {
    explicit CaptureInput(FakeCrossbar* feeding) {
        pin = capture->addPin(PINDIR_INPUT, PIN_CATEGORY_ANALOGVIDEOIN);
        if (feeding) {
            Link(feeding->output(0), pin);
        }
    }
    RefPtr<FakeFilter> capture = MakeCom<FakeFilter>("capture");
    FakePin* pin;
};

// Tuner, composite and S-Video with their sound, as the card's single crossbar has them.
RefPtr<FakeCrossbar> CardCrossbar(const std::string& name, CallLog& log) {
    return MakeCom<FakeCrossbar>(
        name,
        std::vector<Spec>{{PhysConn_Video_Tuner, 3},
                          {PhysConn_Video_Composite, 4},
                          {PhysConn_Video_SVideo, 4},
                          {PhysConn_Audio_Tuner, 0},
                          {PhysConn_Audio_Line, 1}},
        std::vector<Spec>{{PhysConn_Video_VideoDecoder, 1}, {PhysConn_Audio_AudioDecoder, 0}}, log);
}

TEST(Crossbar, OneCrossbarOffersItsVideoInputsInPinOrder) {
    CallLog log;
    auto xbar = CardCrossbar("xbar", log);
    CaptureInput input(xbar.get());

    CCrossbar crossbar(input.pin);

    EXPECT_EQ(Names(crossbar), (std::vector<std::string>{"Video Tuner", "Video Composite", "Video SVideo"}));
    std::int32_t type = 0;
    EXPECT_EQ(crossbar.InputType(2, &type), S_OK);
    EXPECT_EQ(type, PhysConn_Video_SVideo);

    // Picture and its sound are switched together.
    EXPECT_EQ(crossbar.Routing(1), S_OK);
    EXPECT_EQ(log, (CallLog{"xbar Route 0 1", "xbar Route 1 4"}));
}

TEST(Crossbar, TwoCrossbarsGiveTheFirstOnesRoutesThenTheSecondsOwnInputs) {
    CallLog log;
    // The crossbar in front of the capture filter: input 0 comes from the first crossbar, 1 is composite.
    auto front = MakeCom<FakeCrossbar>(
        "front", std::vector<Spec>{{PhysConn_Video_Tuner, -1}, {PhysConn_Video_Composite, -1}},
        std::vector<Spec>{{PhysConn_Video_VideoDecoder, -1}}, log);
    auto back = CardCrossbar("back", log);
    Link(back->output(0), front->input(0));
    CaptureInput input(front.get());

    CCrossbar crossbar(input.pin);

    EXPECT_EQ(Names(crossbar), (std::vector<std::string>{"Video Tuner", "Video Composite", "Video SVideo",
                                                         "Video Composite"}));
    // A route through both switches the far crossbar first, then the near one.
    EXPECT_EQ(crossbar.Routing(2), S_OK);
    EXPECT_EQ(log, (CallLog{"back Route 0 2", "back Route 1 4", "front Route 0 0"}));
    log.clear();
    // The near crossbar's own input is one hop, without sound (no companion).
    EXPECT_EQ(crossbar.Routing(3), S_OK);
    EXPECT_EQ(log, (CallLog{"front Route 0 1"}));
}

TEST(Crossbar, InputsTheOutputCannotTakeAreNotOffered) {
    CallLog log;
    auto xbar = CardCrossbar("xbar", log);
    xbar->refused = {{0, 1}};
    CaptureInput input(xbar.get());

    CCrossbar crossbar(input.pin);

    EXPECT_EQ(Names(crossbar), (std::vector<std::string>{"Video Tuner", "Video SVideo"}));
}

TEST(Crossbar, IndexesOutsideTheListAreRefused) {
    CallLog log;
    auto xbar = CardCrossbar("xbar", log);
    CaptureInput input(xbar.get());
    CCrossbar crossbar(input.pin);

    EXPECT_EQ(crossbar.Routing(3), E_FAIL);
    EXPECT_EQ(crossbar.Routing(-1), E_FAIL);
    EXPECT_TRUE(log.empty());
    std::int32_t type = 0;
    EXPECT_EQ(crossbar.InputType(3, &type), E_FAIL);
    char name[16];
    EXPECT_EQ(crossbar.InputName(3, name, sizeof name), E_FAIL);
    EXPECT_EQ(crossbar.InputName(0, nullptr, 16), E_FAIL);
}

TEST(Crossbar, NamesAreCutToTheBuffer) {
    CallLog log;
    auto xbar = CardCrossbar("xbar", log);
    CaptureInput input(xbar.get());
    CCrossbar crossbar(input.pin);

    char name[6] = "xxxxx";
    EXPECT_EQ(crossbar.InputName(1, name, sizeof name), S_OK);
    EXPECT_STREQ(name, "Video");
    EXPECT_STREQ(CCrossbar::ConnectorName(0x1004), "Audio SPDIFDigital");
    EXPECT_STREQ(CCrossbar::ConnectorName(14), "Unknown");
}

TEST(Crossbar, CardWithoutCrossbarHasNoInputs) {
    CaptureInput unconnected(nullptr);
    EXPECT_EQ(CCrossbar(unconnected.pin).InputCount(), 0);

    // An analog input fed by a filter that is no crossbar.
    CaptureInput fed(nullptr);
    auto tuner = MakeCom<FakeFilter>("tuner");
    Link(tuner->addPin(PINDIR_OUTPUT), fed.pin);
    EXPECT_EQ(CCrossbar(fed.pin).InputCount(), 0);
}

TEST(Crossbar, RoutesHoldTheirCrossbarsUntilDestroyed) {
    CallLog log;
    auto xbar = CardCrossbar("xbar", log);
    CaptureInput input(xbar.get());
    const std::uint32_t before = xbar->AddRef() - 1;
    xbar->Release();
    {
        CCrossbar crossbar(input.pin);
        const std::uint32_t during = xbar->AddRef() - 1;
        xbar->Release();
        EXPECT_EQ(during, before + 3); // one per route of one hop
    }
    const std::uint32_t after = xbar->AddRef() - 1;
    xbar->Release();
    EXPECT_EQ(after, before);
}

} // namespace
