// SPDX-License-Identifier: LGPL-2.1-or-later
#include "virtual_mixer_backend.h"

#include "../../atomic_file.h"
#include "../../control_kind.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>

namespace faderix {

namespace {

using nlohmann::json;

// Takes a stored value only when it has the shape the control needs; anything else keeps the default.
void overlayValue(const json& stored, std::vector<uint32_t>& value) {
    if (value.size() == 1 && !stored.is_array()) {
        if (const auto number = jsonNumber(stored)) {
            value[0] = *number;
        }
        return;
    }
    if (!stored.is_array() || stored.size() != value.size()) {
        return;
    }
    std::vector<uint32_t> items;
    for (const json& item : stored) {
        const auto number = jsonNumber(item);
        if (!number) {
            return;
        }
        items.push_back(*number != 0 ? 1 : 0);
    }
    value = std::move(items);
}

json jsonValue(const MixerControl* control, const std::vector<uint32_t>& value) {
    if (value.size() == 1 && (control == nullptr || valueCountOf(*control) == 1)) {
        if (control != nullptr && isSignedControl(*control)) {
            return static_cast<int32_t>(value[0]);
        }
        return value[0];
    }
    return value;
}

// Like a sound card, the mixer holds only values its controls can take: volumes within their bounds,
// switches and list items on or off.
std::vector<uint32_t> valuesWithinRange(const MixerControl& control, std::vector<uint32_t> values) {
    const ControlKind kind = classifyControl(control.type);
    for (uint32_t& value : values) {
        if (kind == ControlKind::Volume && isSignedControl(control)) {
            const auto signedValue = static_cast<int32_t>(value);
            value = static_cast<uint32_t>(std::clamp(
                signedValue, static_cast<int32_t>(control.minimum),
                std::max(static_cast<int32_t>(control.minimum), static_cast<int32_t>(control.maximum))));
        } else if (kind == ControlKind::Volume) {
            value = std::clamp(value, control.minimum, std::max(control.minimum, control.maximum));
        } else {
            value = value != 0 ? 1 : 0;
        }
    }
    return values;
}

} // namespace

VirtualMixerBackend::VirtualMixerBackend(VirtualMixerDefinition definition, std::string statePath)
    : definition_(std::move(definition)), statePath_(std::move(statePath)) {}

std::string VirtualMixerBackend::defaultStatePath() {
    if (const char* explicitPath = std::getenv("FADERIX_MIXER_STATE"); explicitPath && *explicitPath) {
        return explicitPath;
    }
    std::string folder;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state) {
        folder = state;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        folder = std::string(home) + "/.local/state";
    } else {
        folder = "/tmp";
    }
    return folder + "/faderix/virtual-mixer.json";
}

std::unique_ptr<VirtualMixerBackend> VirtualMixerBackend::fromEnvironment(std::string& warning) {
    VirtualMixerDefinition definition;
    const char* definitionPath = std::getenv("FADERIX_VIRTUAL_MIXER");
    if (definitionPath != nullptr && *definitionPath != '\0') {
        std::string error;
        const auto text = readWholeFile(definitionPath);
        auto parsed = text ? parseVirtualMixer(*text, error) : std::nullopt;
        if (!text) {
            error = "cannot be read";
        }
        if (parsed) {
            definition = std::move(*parsed);
        } else {
            warning = std::string("virtual mixer file ") + definitionPath + ": " + error +
                      "; using the built-in mixer";
            definition = builtInVirtualMixer();
        }
    } else {
        definition = builtInVirtualMixer();
    }
    return std::make_unique<VirtualMixerBackend>(std::move(definition), defaultStatePath());
}

std::vector<DeviceValues> VirtualMixerBackend::readState() const {
    std::vector<DeviceValues> state = definition_.initialValues;
    const auto text = readWholeFile(statePath_);
    if (!text) {
        return state;
    }
    const json root = json::parse(*text, nullptr, false);
    if (root.is_discarded() || !root.is_object() || !root.contains("devices") ||
        !root["devices"].is_array()) {
        return state;
    }
    const json& devices = root["devices"];
    for (size_t d = 0; d < devices.size() && d < state.size(); ++d) {
        const json& device = devices[d];
        // Values of another mixer (a different definition) are not carried over.
        if (!device.is_object() || device.value("name", json()) != definition_.devices[d].name) {
            continue;
        }
        const auto values = device.find("values");
        if (values == device.end() || !values->is_object()) {
            continue;
        }
        for (auto& [id, value] : state[d]) {
            const auto stored = values->find(std::to_string(id));
            if (stored != values->end()) {
                overlayValue(*stored, value);
            }
        }
    }
    return state;
}

bool VirtualMixerBackend::writeState(const std::vector<DeviceValues>& state) {
    json devices = json::array();
    for (size_t d = 0; d < state.size(); ++d) {
        json values = json::object();
        for (const auto& [id, value] : state[d]) {
            const LayoutControl* control = findControl(static_cast<uint32_t>(d), id);
            values[std::to_string(id)] = jsonValue(control ? &control->info : nullptr, value);
        }
        devices.push_back({{"name", definition_.devices[d].name}, {"values", values}});
    }
    // Mixer values are cheap to lose (a damaged file falls back to the definition) and change on every
    // preset, so the file is replaced atomically but not flushed to disk each time.
    return writeFileAtomically(statePath_, json{{"devices", devices}}.dump(1) + "\n",
                               AtomicWriteOptions{.makeFolders = true, .durable = false});
}

bool VirtualMixerBackend::getValue(uint32_t device, const MixerControl& control,
                                   std::vector<uint32_t>& values) {
    if (device >= definition_.devices.size() || findControl(device, control.id) == nullptr) {
        return false;
    }
    const std::vector<DeviceValues> state = readState();
    const auto found = state[device].find(control.id);
    if (found == state[device].end()) {
        return false;
    }
    values = found->second;
    return true;
}

bool VirtualMixerBackend::setValue(uint32_t device, const MixerControl& control,
                                   const std::vector<uint32_t>& values) {
    const LayoutControl* known =
        device < definition_.devices.size() ? findControl(device, control.id) : nullptr;
    if (known == nullptr || values.size() != valueCountOf(known->info)) {
        return false;
    }
    // Other hosts change other controls at the same time; without the lock one of two overlapping writes
    // would put back the value the other had just replaced.
    const FileLock lock(statePath_ + ".lock");
    std::vector<DeviceValues> state = readState();
    state[device][control.id] = valuesWithinRange(known->info, values);
    return writeState(state);
}

} // namespace faderix
