// SPDX-License-Identifier: GPL-2.0-or-later
#include "mixer_model.h"

#include "test_support.h"

#include <gtest/gtest.h>

using namespace faderix;

namespace {

class MixerModel : public ::testing::Test {
protected:
    faderix_test::TempDir dir;
    std::unique_ptr<VirtualMixerBackend> mixer =
        faderix_test::makeMixer(faderix_test::kTestMixer, dir.file("state.json"));
};

// A mixer whose operations fail where a test says, to see how the tree builder carries on.
class FailingMixer final : public LayoutMixerBackend {
public:
    explicit FailingMixer(std::vector<LayoutDevice> devices) : devices_(std::move(devices)) {}
    std::optional<uint32_t> capsFailAt;
    bool getValue(uint32_t, const MixerControl&, std::vector<uint32_t>&) override { return false; }
    bool setValue(uint32_t, const MixerControl&, const std::vector<uint32_t>&) override { return false; }
    bool deviceCaps(uint32_t device, MixerCaps& caps) override {
        return capsFailAt != device && LayoutMixerBackend::deviceCaps(device, caps);
    }

protected:
    const std::vector<LayoutDevice>& devices() override { return devices_; }

private:
    std::vector<LayoutDevice> devices_;
};

} // namespace

TEST(ControlPath, SplitsAtTheFirstAndLastDot) {
    EXPECT_EQ(makeControlPath(1, "Line.In", "Volume"), "1.Line.In.Volume");
    const auto parts = parseControlPath("1.Line.In.Volume");
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->destination, 1);
    EXPECT_EQ(parts->line, "Line.In");
    EXPECT_EQ(parts->control, "Volume");
    EXPECT_FALSE(parseControlPath("0.Volume"));
    EXPECT_FALSE(parseControlPath("Volume"));
    EXPECT_EQ(parseControlPath("x..Mute")->destination, 0) << "no leading number reads as 0";
    EXPECT_EQ(makeControlPath(0, std::string(80, 'L'), "Volume").size(), 63u);
}

TEST_F(MixerModel, LookupsMatchNamesWithoutRegardToCase) {
    EXPECT_EQ(findControlByPath(*mixer, 0, "0.line.in.VOLUME"), 6u);
    EXPECT_EQ(findControlByPath(*mixer, 0, "1.MIC.volume"), 7u);
    EXPECT_FALSE(findControlByPath(*mixer, 0, "1.Line.In.Volume"))
        << "only the path's destination is searched";
    EXPECT_FALSE(findControlByPath(*mixer, 1, "0.Speakers.Volume")) << "no such device";
    EXPECT_EQ(findPathByControl(*mixer, 0, 7), "1.Mic.Volume");
    EXPECT_EQ(findPathByControl(*mixer, 0, 5), "0.Speakers.Recording Source");
    EXPECT_FALSE(findPathByControl(*mixer, 0, 99));
}

TEST_F(MixerModel, ResolveItemPrefersThePathAndFallsBackToTheId) {
    PresetItem byPath{0, 99, 0, 0, "0.Line.In.Volume"};
    resolveItem(*mixer, byPath);
    EXPECT_EQ(byPath.controlId, 6u);

    PresetItem stalePath{0, 3, 0, 0, "0.Speakers.Gone"};
    resolveItem(*mixer, stalePath);
    EXPECT_EQ(stalePath.name, "0.Speakers.Mute");

    PresetItem oneDot{0, 7, 0, 0, "0.Volume"};
    resolveItem(*mixer, oneDot);
    EXPECT_EQ(oneDot.name, "1.Mic.Volume");

    PresetItem lost{0, 99, 0, 0, "0.Nowhere.Volume"};
    resolveItem(*mixer, lost);
    EXPECT_EQ(lost.controlId, 99u);
    EXPECT_EQ(lost.name, "0.Nowhere.Volume");
}

TEST_F(MixerModel, TreeHasLevelsIconsEntriesAndListItems) {
    std::vector<std::string> errors;
    const MixerTree tree = buildMixerTree(*mixer, [&](const char* text) { errors.push_back(text); });
    EXPECT_TRUE(errors.empty());
    std::vector<std::string> outline;
    for (const MixerTreeNode& node : tree.nodes) {
        outline.push_back(std::to_string(node.level) + ":" + node.caption + ":" + std::to_string(node.icon) +
                          ":" + (node.entry ? std::to_string(static_cast<int>(node.entry->kind)) : "-"));
    }
    const std::vector<std::string> expected = {
        "0:Test Card:0:-", "1:Speakers:1:-", "2:Speakers:3:-", "3:Volume:4:1",
        "3:Balance:4:1",   "3:Mute:5:2",     "3:Meter:-1:-",   "3:Recording Source:6:3",
        "4:CD:5:4",        "4:Line:5:4",     "4:Mic:5:4",      "4:Synth:5:4",
        "4:Aux:5:4",       "2:Line.In:3:-",  "3:Volume:4:1",   "1:Recording:2:-",
        "2:Recording:3:-", "2:Mic:3:-",      "3:Volume:4:1"};
    EXPECT_EQ(outline, expected);
    EXPECT_EQ(tree.children(7).size(), 5u);
    EXPECT_EQ(tree.devicePosition(18), 0);
}

TEST(MixerTreeFailures, NoDeviceAndUnreadableCapsAreReported) {
    std::vector<std::string> errors;
    const auto record = [&](const char* text) { errors.push_back(text); };
    FailingMixer none({});
    EXPECT_TRUE(buildMixerTree(none, record).nodes.empty());
    EXPECT_EQ(errors, std::vector<std::string>{"Mixer device not present"});

    errors.clear();
    FailingMixer three({LayoutDevice{"A", {}}, LayoutDevice{"B", {}}, LayoutDevice{"C", {}}});
    three.capsFailAt = 1;
    const MixerTree tree = buildMixerTree(three, record);
    ASSERT_EQ(tree.nodes.size(), 1u) << "the listing ends at the device whose caps fail";
    EXPECT_EQ(tree.nodes[0].caption, "A");
    EXPECT_EQ(errors, std::vector<std::string>{"Error get mixer device caps"});
}
