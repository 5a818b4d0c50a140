// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include "control_kind.h"
#include "mixer_backend.h"
#include "preset.h"

#include <functional>
#include <optional>
#include <string>

namespace faderix {

// The text by which a preset names a control: "<destination index>.<line name>.<control name>".
struct ControlPathParts {
    int32_t destination = 0;
    std::string line;
    std::string control;
};

std::string makeControlPath(uint32_t destination, const std::string& line, const std::string& control);
// The line name lies between the first and the last dot, so it may hold dots; fewer than two dots name
// no control.
std::optional<ControlPathParts> parseControlPath(const std::string& path);

std::optional<uint32_t> findControlByPath(MixerBackend& backend, uint32_t device, const std::string& path);
std::optional<std::string> findPathByControl(MixerBackend& backend, uint32_t device, uint32_t controlId);
// Brings the item's control ID and path into agreement with the device as it is now: the path wins
// where it still names a control, otherwise the ID rewrites the path; with neither the item is unchanged.
void resolveItem(MixerBackend& backend, PresetItem& item);

// The setup dialog's tree: devices, destinations, lines, controls and list items, in tree order.
struct TreeEntry {
    uint32_t controlId = 0;
    uint8_t checked = 0;
    ControlKind kind = ControlKind::Unsupported;
    // Action code; for a List control the mask of its selected items; for a list item 1 if selected.
    int32_t action = 0;
};

struct MixerTreeNode {
    int level = 0; // 0 device, 1 destination, 2 line, 3 control, 4 list item
    std::string caption;
    int icon = -1; // image index, -1 for none
    int parent = -1;
    std::optional<TreeEntry> entry;
};

// Nodes in tree order (each node before its children). Indexes stay valid for the tree's life.
struct MixerTree {
    std::vector<MixerTreeNode> nodes;

    std::vector<int> children(int node) const;
    int deviceOf(int node) const;       // the level 0 ancestor
    int devicePosition(int node) const; // position of that device among the device nodes
};

using ShowMixerError = std::function<void(const char* text)>;
MixerTree buildMixerTree(MixerBackend& backend, const ShowMixerError& showError);

} // namespace faderix
