// SPDX-License-Identifier: LGPL-2.1-or-later
#include "action_form_logic.h"

#include "../action_tables.h"

#include <algorithm>
#include <cstdio>

namespace faderix {

namespace {

template <size_t N> std::vector<std::string> captionsOf(const std::array<const char*, N>& table) {
    return std::vector<std::string>(table.begin(), table.end());
}

template <size_t N> std::string captionOf(const std::array<const char*, N>& table, int32_t action) {
    return table[action >= 0 && static_cast<size_t>(action) < N ? action : 0];
}

// Action codes are kept as signed 8-bit numbers, so a code from 128 on counts as no action. A List
// control's mask is wider and counts whenever an item is selected.
bool hasAction(const TreeEntry& entry) {
    if (entry.kind == ControlKind::List) {
        return entry.action > 0;
    }
    return static_cast<int8_t>(entry.action) > 0;
}

bool hasAction(const MixerTreeNode& node) {
    return node.level >= 3 && node.entry && hasAction(*node.entry);
}

// Items from the preset (and the dialog) that the List control's mask covers.
bool listBit(int32_t mask, int bit) {
    return bit < kListMaskBits && ((mask >> bit) & 1) != 0;
}

// Whether a level 3 entry becomes a preset item: a known action for its kind.
bool becomesItem(const TreeEntry& entry) {
    if (!hasAction(entry)) {
        return false;
    }
    switch (entry.kind) {
    case ControlKind::Volume:
        return entry.action < static_cast<int32_t>(kVolumeActions.size());
    case ControlKind::Switch:
        return entry.action < static_cast<int32_t>(kSwitchActions.size());
    case ControlKind::List:
        return true;
    default:
        return false;
    }
}

int endOfSubtree(const MixerTree& tree, int node) {
    int end = node + 1;
    while (end < static_cast<int>(tree.nodes.size()) && tree.nodes[end].level > tree.nodes[node].level) {
        ++end;
    }
    return end;
}

} // namespace

std::string idLabelText(uint32_t controlId) {
    char text[16];
    std::snprintf(text, sizeof text, "ID=%02X", controlId);
    return text;
}

void loadPresetIntoTree(MixerTree& tree, const Preset& preset) {
    for (MixerTreeNode& node : tree.nodes) {
        if (node.entry) {
            node.entry->action = 0;
            node.entry->checked = 0;
        }
    }
    std::vector<int> devices;
    for (int i = 0; i < static_cast<int>(tree.nodes.size()); ++i) {
        if (tree.nodes[i].level == 0) {
            devices.push_back(i);
        }
    }
    for (const PresetItem& item : preset.items) {
        if (item.mixer >= devices.size()) {
            continue;
        }
        const int device = devices[item.mixer];
        const int end = endOfSubtree(tree, device);
        for (int i = device + 1; i < end; ++i) {
            auto& entry = tree.nodes[i].entry;
            if (!entry || entry->controlId != item.controlId) {
                continue;
            }
            const bool isList = entry->kind == ControlKind::List;
            entry->action = isList ? item.action : (item.action & 0xFF);
            entry->checked = item.checked != 0 ? 1 : 0;
            if (isList) {
                const std::vector<int> items = tree.children(i);
                for (int m = 0; m < static_cast<int>(items.size()); ++m) {
                    auto& itemEntry = tree.nodes[items[m]].entry;
                    if (itemEntry) {
                        itemEntry->action = listBit(entry->action, m) ? 1 : 0;
                        itemEntry->checked = entry->checked;
                    }
                }
            }
            break;
        }
    }
}

ActionComboState actionComboFor(const MixerTree& tree, int node) {
    ActionComboState state;
    if (node < 0 || node >= static_cast<int>(tree.nodes.size()) || tree.nodes[node].level < 3) {
        state.entries = {"<Select source control>"};
        return state;
    }
    state.enabled = true;
    const auto& entry = tree.nodes[node].entry;
    if (!entry) {
        state.entries = {"<Unsupported source control>"};
        state.enabled = false;
        return state;
    }
    state.idLabel = idLabelText(entry->controlId);
    const auto selectIn = [&](std::vector<std::string> captions) {
        state.selected =
            entry->action >= 0 && entry->action < static_cast<int32_t>(captions.size()) ? entry->action : 0;
        state.entries = std::move(captions);
    };
    switch (entry->kind) {
    case ControlKind::Volume:
        selectIn(captionsOf(kVolumeActions));
        break;
    case ControlKind::Switch:
        selectIn(captionsOf(kSwitchActions));
        break;
    case ControlKind::List:
        state.entries = {"<Select MUX control>"};
        state.enabled = false;
        break;
    default:
        selectIn(captionsOf(kSourceActions));
        break;
    }
    return state;
}

void chooseAction(MixerTree& tree, int node, int index) {
    if (node < 0 || node >= static_cast<int>(tree.nodes.size()) || tree.nodes[node].level < 3) {
        return;
    }
    auto& entry = tree.nodes[node].entry;
    if (!entry) {
        return;
    }
    if (entry->kind != ControlKind::List) {
        entry->action = index;
    }
    if (entry->kind == ControlKind::ListItem) {
        const int parent = tree.nodes[node].parent;
        const std::vector<int> siblings = tree.children(parent);
        const int position =
            static_cast<int>(std::find(siblings.begin(), siblings.end(), node) - siblings.begin());
        auto& listEntry = tree.nodes[parent].entry;
        if (listEntry && position < kListMaskBits) {
            if (index != 0) {
                listEntry->action |= 1 << position;
            } else {
                listEntry->action &= ~(1 << position);
            }
        } else {
            entry->action = 0; // beyond the mask: the choice could not be kept
        }
    }
    entry->checked = 0;
}

std::vector<ControlRow> controlRows(const MixerTree& tree) {
    std::vector<ControlRow> rows;
    for (const MixerTreeNode& node : tree.nodes) {
        if (!hasAction(node)) {
            continue;
        }
        const TreeEntry& entry = *node.entry;
        std::string action;
        switch (entry.kind) {
        case ControlKind::Volume:
            action = captionOf(kVolumeActions, entry.action);
            break;
        case ControlKind::Switch:
            action = captionOf(kSwitchActions, entry.action);
            break;
        case ControlKind::ListItem:
            action = captionOf(kSourceActions, entry.action);
            break;
        default:
            continue;
        }
        rows.push_back({node.caption, action, entry.checked != 0});
    }
    return rows;
}

int nodeForRow(const MixerTree& tree, const std::string& caption) {
    for (int i = 0; i < static_cast<int>(tree.nodes.size()); ++i) {
        if (hasAction(tree.nodes[i]) && tree.nodes[i].caption == caption) {
            return i;
        }
    }
    return -1;
}

void applyRowChecks(MixerTree& tree, std::vector<ControlRow>& rows, int changedRow) {
    const bool changedIsChecked =
        changedRow >= 0 && changedRow < static_cast<int>(rows.size()) && rows[changedRow].checked;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        if (changedIsChecked && i != changedRow) {
            rows[i].checked = false;
        }
        const int node = nodeForRow(tree, rows[i].control);
        if (node >= 0) {
            tree.nodes[node].entry->checked = rows[i].checked ? 1 : 0;
        }
    }
}

Preset presetFromTree(const MixerTree& tree) {
    Preset preset;
    for (int i = 0; i < static_cast<int>(tree.nodes.size()); ++i) {
        const MixerTreeNode& node = tree.nodes[i];
        if (node.level != 3 || !node.entry || !becomesItem(*node.entry)) {
            continue;
        }
        PresetItem item;
        item.mixer = static_cast<uint32_t>(tree.devicePosition(i));
        item.controlId = node.entry->controlId;
        item.action = static_cast<uint16_t>(node.entry->action);
        item.checked = node.entry->checked;
        if (node.entry->kind == ControlKind::List) {
            item.checked = 0;
            const std::vector<int> items = tree.children(i);
            for (int m = 0; m < static_cast<int>(items.size()); ++m) {
                if (listBit(node.entry->action, m)) {
                    item.checked = tree.nodes[items[m]].entry ? tree.nodes[items[m]].entry->checked : 0;
                    break;
                }
            }
        }
        preset.items.push_back(item);
    }
    return preset;
}

} // namespace faderix
