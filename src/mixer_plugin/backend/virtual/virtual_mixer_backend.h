// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include "virtual_mixer_definition.h"

#include <memory>
#include <string>

namespace faderix {

// A mixer without hardware. Its structure comes from a definition; its current values live in a state
// file that every operation reads fresh and every change replaces atomically, so several hosts of the
// plug-in see one mixer.
class VirtualMixerBackend final : public LayoutMixerBackend {
public:
    VirtualMixerBackend(VirtualMixerDefinition definition, std::string statePath);

    // FADERIX_VIRTUAL_MIXER names a definition file (built-in mixer otherwise, and when the file is
    // unusable, with `warning` saying why); FADERIX_MIXER_STATE names the state file.
    static std::unique_ptr<VirtualMixerBackend> fromEnvironment(std::string& warning);
    static std::string defaultStatePath();

    bool getValue(uint32_t device, const MixerControl& control, std::vector<uint32_t>& values) override;
    bool setValue(uint32_t device, const MixerControl& control, const std::vector<uint32_t>& values) override;

    const std::string& statePath() const { return statePath_; }

protected:
    const std::vector<LayoutDevice>& devices() override { return definition_.devices; }

private:
    // The definition's values overlaid with whatever the state file holds that fits the definition.
    std::vector<DeviceValues> readState() const;
    bool writeState(const std::vector<DeviceValues>& state);

    VirtualMixerDefinition definition_;
    std::string statePath_;
};

} // namespace faderix
