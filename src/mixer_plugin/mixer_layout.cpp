// SPDX-License-Identifier: LGPL-2.1-or-later
#include "mixer_layout.h"

namespace faderix {

namespace {

// Line IDs follow the usual convention: a destination's ID is its index, a source's ID carries the
// source index + 1 in the high word.
uint32_t lineIdOf(uint32_t destination, uint32_t source) {
    return source == kNoSource ? destination : ((source + 1) << 16) | destination;
}

const LayoutLine* lineOf(const LayoutDevice& device, const MixerLine& line) {
    if (line.destination >= device.destinations.size()) {
        return nullptr;
    }
    const LayoutDestination& destination = device.destinations[line.destination];
    if (line.source == kNoSource) {
        return &destination.line;
    }
    return line.source < destination.sources.size() ? &destination.sources[line.source] : nullptr;
}

// Visits a device's lines in enumeration order (each destination line, then its sources) until
// `visit` returns a result.
template <typename Visit>
auto firstInLines(const LayoutDevice& device, Visit visit) -> decltype(visit(device.destinations[0].line)) {
    for (const LayoutDestination& destination : device.destinations) {
        if (auto found = visit(destination.line)) {
            return found;
        }
        for (const LayoutLine& source : destination.sources) {
            if (auto found = visit(source)) {
                return found;
            }
        }
    }
    return {};
}

const LayoutControl* controlIn(const LayoutLine& line, uint32_t controlId) {
    for (const LayoutControl& control : line.controls) {
        if (control.info.id == controlId) {
            return &control;
        }
    }
    return nullptr;
}

void finishLine(LayoutLine& line, uint32_t destination, uint32_t source) {
    line.info.destination = destination;
    line.info.source = source;
    line.info.lineId = lineIdOf(destination, source);
    line.info.controls = static_cast<uint32_t>(line.controls.size());
    if (line.info.channels == 0) {
        line.info.channels = 1;
    }
}

class LayoutDeviceHandle final : public MixerDevice {
public:
    // The back end keeps its layouts for its whole life, and a handle never outlives its back end.
    explicit LayoutDeviceHandle(const LayoutDevice& layout) : layout_(layout) {}

    bool caps(MixerCaps& caps) override {
        caps.name = layout_.name;
        caps.destinations = static_cast<uint32_t>(layout_.destinations.size());
        return true;
    }
    bool destination(uint32_t destination, MixerLine& line) override {
        if (destination >= layout_.destinations.size()) {
            return false;
        }
        line = layout_.destinations[destination].line.info;
        return true;
    }
    bool source(uint32_t destination, uint32_t source, MixerLine& line) override {
        if (destination >= layout_.destinations.size() ||
            source >= layout_.destinations[destination].sources.size()) {
            return false;
        }
        line = layout_.destinations[destination].sources[source].info;
        return true;
    }
    bool lineControls(const MixerLine& line, std::vector<MixerControl>& controls) override {
        const LayoutLine* found = lineOf(layout_, line);
        if (found == nullptr) {
            return false;
        }
        controls.clear();
        for (const LayoutControl& control : found->controls) {
            controls.push_back(control.info);
        }
        return true;
    }
    bool listTexts(const MixerControl& control, uint32_t channels, std::vector<std::string>& texts) override {
        const LayoutControl* found =
            firstInLines(layout_, [&](const LayoutLine& line) { return controlIn(line, control.id); });
        if (found == nullptr) {
            return false;
        }
        texts.clear();
        const uint32_t items = (found->info.flags & mixer_flags::Multiple) ? found->info.items : 1;
        for (uint32_t item = 0; item < items; ++item) {
            for (uint32_t channel = 0; channel < channels; ++channel) {
                texts.push_back(item < found->itemTexts.size() ? found->itemTexts[item] : std::string());
            }
        }
        return true;
    }

private:
    const LayoutDevice& layout_;
};

} // namespace

void finishLayout(LayoutDevice& device) {
    for (uint32_t d = 0; d < device.destinations.size(); ++d) {
        LayoutDestination& destination = device.destinations[d];
        finishLine(destination.line, d, kNoSource);
        destination.line.info.connections = static_cast<uint32_t>(destination.sources.size());
        for (uint32_t s = 0; s < destination.sources.size(); ++s) {
            finishLine(destination.sources[s], d, s);
        }
    }
}

const LayoutDevice* LayoutMixerBackend::device(uint32_t index) {
    const auto& all = devices();
    return index < all.size() ? &all[index] : nullptr;
}

uint32_t LayoutMixerBackend::deviceCount() {
    return static_cast<uint32_t>(devices().size());
}

bool LayoutMixerBackend::deviceCaps(uint32_t index, MixerCaps& caps) {
    const LayoutDevice* found = device(index);
    if (found == nullptr) {
        return false;
    }
    caps.name = found->name;
    caps.destinations = static_cast<uint32_t>(found->destinations.size());
    return true;
}

std::unique_ptr<MixerDevice> LayoutMixerBackend::open(uint32_t index) {
    const LayoutDevice* found = device(index);
    if (found == nullptr) {
        return nullptr;
    }
    return std::make_unique<LayoutDeviceHandle>(*found);
}

const LayoutLine* LayoutMixerBackend::findLine(const LayoutDevice& device, const MixerLine& line) {
    return lineOf(device, line);
}

bool LayoutMixerBackend::lineByComponentType(uint32_t index, uint32_t componentType, MixerLine& line) {
    const LayoutDevice* found = device(index);
    const LayoutLine* match =
        found == nullptr ? nullptr : firstInLines(*found, [&](const LayoutLine& candidate) {
            return candidate.info.componentType == componentType ? &candidate : nullptr;
        });
    if (match == nullptr) {
        return false;
    }
    line = match->info;
    return true;
}

const LayoutControl* LayoutMixerBackend::findControl(uint32_t index, uint32_t controlId) {
    const LayoutDevice* found = device(index);
    if (found == nullptr) {
        return nullptr;
    }
    return firstInLines(*found, [&](const LayoutLine& line) { return controlIn(line, controlId); });
}

bool LayoutMixerBackend::controlById(uint32_t index, uint32_t controlId, MixerControl& control) {
    const LayoutControl* found = findControl(index, controlId);
    if (found == nullptr) {
        return false;
    }
    control = found->info;
    return true;
}

bool LayoutMixerBackend::controlByType(uint32_t index, const MixerLine& line, uint32_t controlType,
                                       MixerControl& control) {
    const LayoutDevice* found = device(index);
    const LayoutLine* layoutLine = found ? findLine(*found, line) : nullptr;
    if (layoutLine == nullptr) {
        return false;
    }
    for (const LayoutControl& candidate : layoutLine->controls) {
        if (candidate.info.type == controlType) {
            control = candidate.info;
            return true;
        }
    }
    return false;
}

} // namespace faderix
