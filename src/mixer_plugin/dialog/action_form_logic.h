// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include "../mixer_model.h"
#include "../preset.h"

#include <optional>
#include <string>
#include <vector>

namespace faderix {

// The editing rules of the setup dialog, kept apart from the widgets so they can be exercised directly.
// All editing happens on the TreeEntry records of the tree; the preset is rebuilt from them at the end.

// What the action drop-down shows for a selected node (-1: nothing selected).
struct ActionComboState {
    std::vector<std::string> entries;
    int selected = 0;
    bool enabled = false;
    std::optional<std::string> idLabel; // "ID=05"; hidden when empty
};

// One row of the control list: control caption, action caption, check box.
struct ControlRow {
    std::string control;
    std::string action;
    bool checked = false;
};

std::string idLabelText(uint32_t controlId);

// Clears every entry, then marks the controls named by the preset's items.
void loadPresetIntoTree(MixerTree& tree, const Preset& preset);
ActionComboState actionComboFor(const MixerTree& tree, int node);
// The user picked action `index` for `node`; list items set or clear their bit in the List control's mask.
void chooseAction(MixerTree& tree, int node, int index);
std::vector<ControlRow> controlRows(const MixerTree& tree);
// The first node in tree order with an action whose caption is `caption`: rows are matched by caption.
int nodeForRow(const MixerTree& tree, const std::string& caption);
// A row's check box changed: at most one row stays checked and the tree follows the list.
void applyRowChecks(MixerTree& tree, std::vector<ControlRow>& rows, int changedRow);
// The preset as the tree now describes it, in tree order, with empty paths.
Preset presetFromTree(const MixerTree& tree);

// A List control's selection mask holds this many items; later items cannot be selected.
constexpr int kListMaskBits = 16;

} // namespace faderix
