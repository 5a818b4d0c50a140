// SPDX-License-Identifier: GPL-2.0-or-later
#include "dialog/action_form_logic.h"

#include "test_support.h"

#include <gtest/gtest.h>

using namespace faderix;

namespace {

// Node numbers of the test mixer's tree (see the outline in mixer_model_test.cpp).
constexpr int kDeviceNode = 0;
constexpr int kMasterVolume = 3;
constexpr int kMute = 5;
constexpr int kMeter = 6;
constexpr int kMux = 7;
constexpr int kMuxLine = 9;   // second item
constexpr int kMuxSynth = 11; // fourth item
constexpr int kLineInVolume = 14;

class ActionFormLogic : public ::testing::Test {
protected:
    faderix_test::TempDir dir;
    std::unique_ptr<VirtualMixerBackend> mixer =
        faderix_test::makeMixer(faderix_test::kTestMixer, dir.file("state.json"));
    MixerTree tree = buildMixerTree(*mixer, [](const char*) {});
};

} // namespace

TEST_F(ActionFormLogic, ComboOffersTheActionsOfTheSelectedKind) {
    for (int node : {-1, kDeviceNode, 1, 2}) {
        const ActionComboState state = actionComboFor(tree, node);
        EXPECT_EQ(state.entries, std::vector<std::string>{"<Select source control>"});
        EXPECT_FALSE(state.enabled);
        EXPECT_FALSE(state.idLabel);
    }
    EXPECT_EQ(actionComboFor(tree, kMeter).entries, std::vector<std::string>{"<Unsupported source control>"});
    EXPECT_FALSE(actionComboFor(tree, kMeter).idLabel);
    EXPECT_EQ(actionComboFor(tree, kMux).entries, std::vector<std::string>{"<Select MUX control>"});
    EXPECT_FALSE(actionComboFor(tree, kMux).enabled);
    EXPECT_EQ(actionComboFor(tree, kMux).idLabel, "ID=05");

    chooseAction(tree, kMasterVolume, 19);
    const ActionComboState volume = actionComboFor(tree, kMasterVolume);
    EXPECT_EQ(volume.entries.size(), 30u);
    EXPECT_EQ(volume.selected, 19);
    EXPECT_TRUE(volume.enabled);
    EXPECT_EQ(actionComboFor(tree, kMute).entries.size(), 5u);
    EXPECT_EQ(actionComboFor(tree, kMuxLine).entries,
              (std::vector<std::string>{"<no action>", "Select source"}));
    EXPECT_EQ(idLabelText(0x1A2B), "ID=1A2B");
}

TEST_F(ActionFormLogic, SourceChoicesBuildTheListMask) {
    chooseAction(tree, kMuxLine, 1);
    chooseAction(tree, kMuxSynth, 1);
    EXPECT_EQ(tree.nodes[kMux].entry->action, 10);
    const std::vector<ControlRow> rows = controlRows(tree);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].control, "Line");
    EXPECT_EQ(rows[0].action, "Select source");
    EXPECT_EQ(rows[1].control, "Synth");
    chooseAction(tree, kMuxLine, 0);
    EXPECT_EQ(tree.nodes[kMux].entry->action, 8);
    EXPECT_EQ(controlRows(tree).size(), 1u);
}

TEST_F(ActionFormLogic, OnlyOneRowStaysCheckedAndChoosingAnActionUnchecks) {
    chooseAction(tree, kMasterVolume, 5);
    chooseAction(tree, kMute, 1);
    std::vector<ControlRow> rows = controlRows(tree);
    ASSERT_EQ(rows.size(), 2u);
    rows[0].checked = true;
    applyRowChecks(tree, rows, 0);
    EXPECT_EQ(tree.nodes[kMasterVolume].entry->checked, 1);
    rows[1].checked = true;
    applyRowChecks(tree, rows, 1);
    EXPECT_FALSE(rows[0].checked);
    EXPECT_EQ(tree.nodes[kMasterVolume].entry->checked, 0);
    EXPECT_EQ(tree.nodes[kMute].entry->checked, 1);
    chooseAction(tree, kMute, 3);
    EXPECT_EQ(tree.nodes[kMute].entry->checked, 0);
}

TEST_F(ActionFormLogic, RowsWithTheSameCaptionActOnTheFirstNode) {
    chooseAction(tree, kMasterVolume, 3);
    chooseAction(tree, kLineInVolume, 7);
    std::vector<ControlRow> rows = controlRows(tree);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(nodeForRow(tree, rows[1].control), kMasterVolume);
    rows[1].checked = true;
    applyRowChecks(tree, rows, 1);
    EXPECT_EQ(tree.nodes[kMasterVolume].entry->checked, 1);
    EXPECT_EQ(tree.nodes[kLineInVolume].entry->checked, 0);
}

TEST_F(ActionFormLogic, PresetRoundTripsThroughTheTreeInTreeOrder) {
    Preset preset;
    preset.items = {PresetItem{0, 6, 29, 0, ""}, PresetItem{0, 5, 10, 1, ""},  PresetItem{0, 1, 0x105, 0, ""},
                    PresetItem{3, 1, 3, 0, ""},  PresetItem{0, 999, 3, 0, ""}, PresetItem{0, 3, 0, 1, ""}};
    loadPresetIntoTree(tree, preset);
    EXPECT_EQ(tree.nodes[kMasterVolume].entry->action, 5) << "low 8 bits of a volume action";
    EXPECT_EQ(tree.nodes[kMuxLine].entry->action, 1);
    EXPECT_EQ(tree.nodes[kMuxLine].entry->checked, 1);
    EXPECT_EQ(tree.nodes[kMuxLine - 1].entry->action, 0);

    const Preset rebuilt = presetFromTree(tree);
    ASSERT_EQ(rebuilt.items.size(), 3u) << "unplaceable items and <no action> drop out";
    EXPECT_EQ(rebuilt.items[0].controlId, 1u);
    EXPECT_EQ(rebuilt.items[1].controlId, 5u);
    EXPECT_EQ(rebuilt.items[1].action, 10u);
    EXPECT_EQ(rebuilt.items[1].checked, 1u) << "from the lowest selected item";
    EXPECT_EQ(rebuilt.items[2].controlId, 6u);
    EXPECT_EQ(rebuilt.items[2].action, 29u);
    EXPECT_EQ(rebuilt.items[2].name, "");

    loadPresetIntoTree(tree, Preset{});
    EXPECT_TRUE(presetFromTree(tree).items.empty());
}

TEST_F(ActionFormLogic, ActionCodesReadAsSigned8BitNumbers) {
    Preset preset;
    preset.items = {PresetItem{0, 1, 200, 1, ""}, PresetItem{0, 3, 40, 0, ""}};
    loadPresetIntoTree(tree, preset);
    const std::vector<ControlRow> rows = controlRows(tree);
    ASSERT_EQ(rows.size(), 1u) << "code 200 is negative as a signed 8-bit number: no row";
    EXPECT_EQ(rows[0].control, "Mute");
    EXPECT_EQ(rows[0].action, "<no action>") << "an unknown positive code shows as code 0";
    EXPECT_EQ(nodeForRow(tree, "Volume"), -1);
    EXPECT_TRUE(presetFromTree(tree).items.empty());
}

TEST(ActionFormLogicWideLists, SelectionsBeyondTheEighthItemAreKept) {
    faderix_test::TempDir dir;
    auto mixer = faderix_test::makeMixer(R"({"devices":[{"name":"W","destinations":[{"name":"In","controls":[
        {"id":9,"type":"0x71010001","name":"Mix","flags":3,"items":["a","b","c","d","e","f","g","h","i","j"]}]}]}]})",
                                         dir.file("s.json"));
    MixerTree tree = buildMixerTree(*mixer, [](const char*) {});
    const std::vector<int> items = tree.children(3);
    ASSERT_EQ(items.size(), 10u);
    chooseAction(tree, items[7], 1);
    chooseAction(tree, items[9], 1);
    const Preset preset = presetFromTree(tree);
    ASSERT_EQ(preset.items.size(), 1u);
    EXPECT_EQ(preset.items[0].action, 0x280);

    MixerTree reloaded = buildMixerTree(*mixer, [](const char*) {});
    loadPresetIntoTree(reloaded, preset);
    EXPECT_EQ(reloaded.nodes[items[8]].entry->action, 0);
    EXPECT_EQ(reloaded.nodes[items[9]].entry->action, 1);
}
