// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include "mixer_backend.h"

namespace faderix {

// A mixer's structure held in memory. Both back ends describe their devices this way and share the
// enumeration and lookup operations of LayoutMixerBackend; they differ only in where values live.
struct LayoutControl {
    MixerControl info;
    std::vector<std::string> itemTexts; // List controls only
};

struct LayoutLine {
    MixerLine info;
    std::vector<LayoutControl> controls;
};

struct LayoutDestination {
    LayoutLine line;
    std::vector<LayoutLine> sources;
};

struct LayoutDevice {
    std::string name;
    std::vector<LayoutDestination> destinations;
};

// Fills in the derived line fields (addresses, line IDs, counts) after a layout has been assembled.
void finishLayout(LayoutDevice& device);

class LayoutMixerBackend : public MixerBackend {
public:
    uint32_t deviceCount() override;
    bool deviceCaps(uint32_t device, MixerCaps& caps) override;
    std::unique_ptr<MixerDevice> open(uint32_t device) override;
    bool lineByComponentType(uint32_t device, uint32_t componentType, MixerLine& line) override;
    bool controlById(uint32_t device, uint32_t controlId, MixerControl& control) override;
    bool controlByType(uint32_t device, const MixerLine& line, uint32_t controlType,
                       MixerControl& control) override;

protected:
    virtual const std::vector<LayoutDevice>& devices() = 0;
    const LayoutDevice* device(uint32_t index);
    const LayoutControl* findControl(uint32_t device, uint32_t controlId);
    static const LayoutLine* findLine(const LayoutDevice& device, const MixerLine& line);
};

} // namespace faderix
