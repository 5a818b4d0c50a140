// SPDX-License-Identifier: LGPL-2.1-or-later
#include "mixer_model.h"

#include "ini_file.h"

namespace faderix {

namespace {

// Walks a device's lines in enumeration order, each destination line and then its sources, until `look`
// gives an answer. With `onlyDestination` set, the other destinations are passed over.
template <typename Answer, typename Look>
std::optional<Answer> visitLines(MixerBackend& backend, uint32_t device,
                                 std::optional<uint32_t> onlyDestination, Look look) {
    auto handle = backend.open(device);
    if (!handle) {
        return std::nullopt;
    }
    MixerCaps caps;
    if (!handle->caps(caps)) {
        caps.destinations = 0;
    }
    for (uint32_t d = 0; d < caps.destinations; ++d) {
        if (onlyDestination && *onlyDestination != d) {
            continue;
        }
        MixerLine destination;
        if (!handle->destination(d, destination)) {
            continue;
        }
        if (auto answer = look(*handle, d, destination)) {
            return answer;
        }
        for (uint32_t s = 0; s < destination.connections; ++s) {
            MixerLine source;
            if (!handle->source(d, s, source)) {
                continue;
            }
            if (auto answer = look(*handle, d, source)) {
                return answer;
            }
        }
    }
    return std::nullopt;
}

std::vector<MixerControl> controlsOf(MixerDevice& handle, const MixerLine& line) {
    std::vector<MixerControl> controls;
    if (line.controls == 0 || !handle.lineControls(line, controls)) {
        controls.clear();
    }
    return controls;
}

int iconOfKind(ControlKind kind) {
    switch (kind) {
    case ControlKind::Volume:
        return 4;
    case ControlKind::Switch:
        return 5;
    case ControlKind::List:
        return 6;
    default:
        return -1;
    }
}

class TreeBuilder {
public:
    TreeBuilder(MixerBackend& backend, const ShowMixerError& showError)
        : backend_(backend), showError_(showError) {}

    MixerTree build() {
        const uint32_t count = backend_.deviceCount();
        if (count == 0) {
            showError_("Mixer device not present");
            return std::move(tree_);
        }
        for (uint32_t device = 0; device < count; ++device) {
            MixerCaps caps;
            if (!backend_.deviceCaps(device, caps)) {
                showError_("Error get mixer device caps");
                break;
            }
            const int node = add(-1, 0, caps.name, 0);
            addDestinations(device, node);
        }
        return std::move(tree_);
    }

private:
    int add(int parent, int level, const std::string& caption, int icon,
            std::optional<TreeEntry> entry = {}) {
        tree_.nodes.push_back({level, caption, icon, parent, entry});
        return static_cast<int>(tree_.nodes.size()) - 1;
    }

    void addDestinations(uint32_t device, int deviceNode) {
        auto handle = backend_.open(device);
        if (!handle) {
            showError_("Error open mixer device");
            return;
        }
        MixerCaps caps;
        if (!handle->caps(caps)) {
            showError_("Error get mixer device caps");
            caps.destinations = 0;
        }
        for (uint32_t d = 0; d < caps.destinations; ++d) {
            MixerLine destination;
            if (!handle->destination(d, destination)) {
                showError_("Error get mixer destination");
                break;
            }
            const int destinationNode = add(deviceNode, 1, destination.name, d == 1 ? 2 : 1);
            const int lineNode = add(destinationNode, 2, destination.name, 3);
            addControls(*handle, destination, lineNode);
            addSources(*handle, d, destinationNode);
        }
    }

    void addSources(MixerDevice& handle, uint32_t d, int destinationNode) {
        MixerLine destination;
        if (!handle.destination(d, destination)) {
            showError_("Error get mixer destination");
            return;
        }
        for (uint32_t s = 0; s < destination.connections; ++s) {
            MixerLine source;
            if (!handle.source(d, s, source)) {
                showError_("Error get mixer source");
                return;
            }
            const int lineNode = add(destinationNode, 2, source.name, 3);
            addControls(handle, source, lineNode);
        }
    }

    void addControls(MixerDevice& handle, const MixerLine& line, int lineNode) {
        if (line.controls == 0) {
            return;
        }
        std::vector<MixerControl> controls;
        if (!handle.lineControls(line, controls)) {
            showError_("Error get mixer line controls");
            return;
        }
        for (const MixerControl& control : controls) {
            const ControlKind kind = classifyControl(control.type);
            std::optional<TreeEntry> entry;
            if (kind != ControlKind::Unsupported) {
                entry = TreeEntry{control.id, 0, kind, 0};
            }
            const int controlNode = add(lineNode, 3, control.name, iconOfKind(kind), entry);
            if (kind == ControlKind::List) {
                addListItems(handle, line, control, controlNode);
            }
        }
    }

    void addListItems(MixerDevice& handle, const MixerLine& line, const MixerControl& control,
                      int controlNode) {
        const uint32_t channels = (control.flags & mixer_flags::Uniform) ? 1 : line.channels;
        const uint32_t items = (control.flags & mixer_flags::Multiple) ? control.items : 1;
        std::vector<std::string> texts;
        if (!handle.listTexts(control, channels, texts)) {
            showError_("Error get list details");
            return;
        }
        for (uint32_t item = 0; item < items; ++item) {
            for (uint32_t channel = 0; channel < channels; ++channel) {
                const size_t index = static_cast<size_t>(item) * channels + channel;
                add(controlNode, 4, index < texts.size() ? texts[index] : std::string(), 5,
                    TreeEntry{control.id, 0, ControlKind::ListItem, 0});
            }
        }
    }

    MixerBackend& backend_;
    const ShowMixerError& showError_;
    MixerTree tree_;
};

} // namespace

std::string makeControlPath(uint32_t destination, const std::string& line, const std::string& control) {
    std::string path = std::to_string(static_cast<int32_t>(destination)) + "." + line + "." + control;
    if (path.size() > kMaxControlPathLength) {
        path.resize(kMaxControlPathLength);
    }
    return path;
}

std::optional<ControlPathParts> parseControlPath(const std::string& path) {
    const auto first = path.find('.');
    const auto last = path.rfind('.');
    if (first == std::string::npos || first == last) {
        return std::nullopt;
    }
    return ControlPathParts{static_cast<int32_t>(parseProfileInt(path)),
                            path.substr(first + 1, last - first - 1), path.substr(last + 1)};
}

std::optional<uint32_t> findControlByPath(MixerBackend& backend, uint32_t device, const std::string& path) {
    const auto parts = parseControlPath(path);
    if (!parts || parts->destination < 0) {
        return std::nullopt;
    }
    return visitLines<uint32_t>(
        backend, device, static_cast<uint32_t>(parts->destination),
        [&](MixerDevice& handle, uint32_t, const MixerLine& line) -> std::optional<uint32_t> {
            if (!equalsIgnoreCase(line.name, parts->line)) {
                return std::nullopt;
            }
            for (const MixerControl& control : controlsOf(handle, line)) {
                if (equalsIgnoreCase(control.name, parts->control)) {
                    return control.id;
                }
            }
            return std::nullopt;
        });
}

std::optional<std::string> findPathByControl(MixerBackend& backend, uint32_t device, uint32_t controlId) {
    return visitLines<std::string>(
        backend, device, std::nullopt,
        [&](MixerDevice& handle, uint32_t destination, const MixerLine& line) -> std::optional<std::string> {
            for (const MixerControl& control : controlsOf(handle, line)) {
                if (control.id == controlId) {
                    return makeControlPath(destination, line.name, control.name);
                }
            }
            return std::nullopt;
        });
}

void resolveItem(MixerBackend& backend, PresetItem& item) {
    if (!item.name.empty()) {
        if (const auto id = findControlByPath(backend, item.mixer, item.name)) {
            item.controlId = *id;
            return;
        }
    }
    if (const auto path = findPathByControl(backend, item.mixer, item.controlId)) {
        item.name = *path;
    }
}

std::vector<int> MixerTree::children(int node) const {
    std::vector<int> result;
    for (int i = node + 1; i < static_cast<int>(nodes.size()) && nodes[i].level > nodes[node].level; ++i) {
        if (nodes[i].parent == node) {
            result.push_back(i);
        }
    }
    return result;
}

int MixerTree::deviceOf(int node) const {
    while (node >= 0 && nodes[node].level > 0) {
        node = nodes[node].parent;
    }
    return node;
}

int MixerTree::devicePosition(int node) const {
    const int device = deviceOf(node);
    int position = 0;
    for (int i = 0; i < device; ++i) {
        if (nodes[i].level == 0) {
            ++position;
        }
    }
    return position;
}

MixerTree buildMixerTree(MixerBackend& backend, const ShowMixerError& showError) {
    return TreeBuilder(backend, showError).build();
}

} // namespace faderix
