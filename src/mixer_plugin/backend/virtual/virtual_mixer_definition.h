// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include "../../mixer_layout.h"

#include <nlohmann/json_fwd.hpp>

#include <map>
#include <optional>
#include <string>

namespace faderix {

// Values of one device by control ID: one value for Volume and Switch controls, one 0/1 per item for
// List controls.
using DeviceValues = std::map<uint32_t, std::vector<uint32_t>>;

struct VirtualMixerDefinition {
    std::vector<LayoutDevice> devices;
    std::vector<DeviceValues> initialValues; // one per device
};

// The built-in AC'97-like mixer: a speakers destination with master volume and mute and the usual
// sources, and a recording destination whose MUX selects among the recording sources.
VirtualMixerDefinition builtInVirtualMixer();

// Reads a mixer definition in the documented JSON form; on failure `error` says what is wrong.
std::optional<VirtualMixerDefinition> parseVirtualMixer(const std::string& json, std::string& error);

// How many values a control exchanges: one per list item for a multiple-item List control, else one.
uint32_t valueCountOf(const MixerControl& control);

bool isSignedControl(const MixerControl& control);

// A number of the JSON files: an integer (taken modulo 2^32) or a string in "0x..." form.
std::optional<uint32_t> jsonNumber(const nlohmann::json& value);

} // namespace faderix
