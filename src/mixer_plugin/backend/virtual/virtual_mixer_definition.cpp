// SPDX-License-Identifier: LGPL-2.1-or-later
#include "virtual_mixer_definition.h"

#include "../../control_kind.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <cstdlib>
#include <set>
#include <stdexcept>

namespace faderix {

namespace {

using nlohmann::json;

constexpr uint32_t kMaxChannels = 32;

struct DefinitionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

uint32_t numberOf(const json& value, const std::string& where) {
    if (const auto number = jsonNumber(value)) {
        return *number;
    }
    throw DefinitionError(where + " is not a number");
}

uint32_t numberOr(const json& object, const char* key, uint32_t fallback, const std::string& where) {
    const auto found = object.find(key);
    return found == object.end() ? fallback : numberOf(*found, where + "." + key);
}

std::string textOf(const json& object, const char* key, const std::string& where, size_t limit) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string()) {
        throw DefinitionError(where + "." + key + " must be a text");
    }
    return found->get<std::string>().substr(0, limit);
}

const json& arrayOf(const json& object, const char* key, const std::string& where) {
    static const json empty = json::array();
    const auto found = object.find(key);
    if (found == object.end()) {
        return empty;
    }
    if (!found->is_array()) {
        throw DefinitionError(where + "." + key + " must be an array");
    }
    return *found;
}

std::vector<uint32_t> defaultValue(const MixerControl& control) {
    const uint32_t count = valueCountOf(control);
    if (classifyControl(control.type) == ControlKind::List) {
        return std::vector<uint32_t>(count, 0);
    }
    return {control.minimum};
}

LayoutControl parseControl(const json& object, const std::string& where, DeviceValues& values,
                           std::set<uint32_t>& ids) {
    if (!object.is_object()) {
        throw DefinitionError(where + " must be an object");
    }
    LayoutControl control;
    control.info.id = numberOf(object.value("id", json()), where + ".id");
    control.info.type = numberOf(object.value("type", json()), where + ".type");
    control.info.name = textOf(object, "name", where, 63);
    control.info.flags = numberOr(object, "flags", 0, where);
    control.info.minimum = numberOr(object, "min", 0, where);
    control.info.maximum = numberOr(object, "max", 0, where);
    for (const json& item : arrayOf(object, "items", where)) {
        if (!item.is_string()) {
            throw DefinitionError(where + ".items must hold texts");
        }
        control.itemTexts.push_back(item.get<std::string>().substr(0, 63));
    }
    control.info.items = static_cast<uint32_t>(control.itemTexts.size());
    if (!ids.insert(control.info.id).second) {
        throw DefinitionError(where + ".id " + std::to_string(control.info.id) + " is used twice");
    }

    std::vector<uint32_t> value = defaultValue(control.info);
    if (const auto found = object.find("value"); found != object.end()) {
        if (found->is_array()) {
            if (found->size() != value.size()) {
                throw DefinitionError(where + ".value must hold one 0/1 per item");
            }
            for (size_t i = 0; i < value.size(); ++i) {
                value[i] = numberOf((*found)[i], where + ".value") != 0 ? 1 : 0;
            }
        } else {
            value.assign(1, numberOf(*found, where + ".value"));
            if (valueCountOf(control.info) != 1) {
                throw DefinitionError(where + ".value must be an array for a list");
            }
        }
    }
    values[control.info.id] = std::move(value);
    return control;
}

LayoutLine parseLine(const json& object, const std::string& where, DeviceValues& values,
                     std::set<uint32_t>& ids) {
    if (!object.is_object()) {
        throw DefinitionError(where + " must be an object");
    }
    LayoutLine line;
    line.info.name = textOf(object, "name", where, 63);
    line.info.componentType = numberOr(object, "componentType", 0, where);
    line.info.channels = numberOr(object, "channels", 1, where);
    // A List control without the uniform flag has one entry per item and channel; an absurd count
    // would make the setup dialog allocate without bound.
    if (line.info.channels > kMaxChannels) {
        throw DefinitionError(where + ".channels must be at most " + std::to_string(kMaxChannels));
    }
    const json& controls = arrayOf(object, "controls", where);
    for (size_t i = 0; i < controls.size(); ++i) {
        line.controls.push_back(
            parseControl(controls[i], where + ".controls[" + std::to_string(i) + "]", values, ids));
    }
    return line;
}

VirtualMixerDefinition parseDefinition(const json& root) {
    if (!root.is_object() || !root.contains("devices") || !root["devices"].is_array()) {
        throw DefinitionError("the top level must be an object with a \"devices\" array");
    }
    VirtualMixerDefinition definition;
    const json& devices = root["devices"];
    for (size_t d = 0; d < devices.size(); ++d) {
        const std::string where = "devices[" + std::to_string(d) + "]";
        if (!devices[d].is_object()) {
            throw DefinitionError(where + " must be an object");
        }
        LayoutDevice device;
        DeviceValues values;
        std::set<uint32_t> ids;
        device.name = textOf(devices[d], "name", where, 31);
        const json& destinations = arrayOf(devices[d], "destinations", where);
        for (size_t i = 0; i < destinations.size(); ++i) {
            const std::string lineWhere = where + ".destinations[" + std::to_string(i) + "]";
            LayoutDestination destination;
            destination.line = parseLine(destinations[i], lineWhere, values, ids);
            const json& sources = arrayOf(destinations[i], "sources", lineWhere);
            for (size_t s = 0; s < sources.size(); ++s) {
                destination.sources.push_back(
                    parseLine(sources[s], lineWhere + ".sources[" + std::to_string(s) + "]", values, ids));
            }
            device.destinations.push_back(std::move(destination));
        }
        finishLayout(device);
        definition.devices.push_back(std::move(device));
        definition.initialValues.push_back(std::move(values));
    }
    return definition;
}

} // namespace

uint32_t valueCountOf(const MixerControl& control) {
    if (classifyControl(control.type) == ControlKind::List && (control.flags & mixer_flags::Multiple)) {
        return control.items;
    }
    return 1;
}

bool isSignedControl(const MixerControl& control) {
    return isSliderClass(control.type);
}

std::optional<uint32_t> jsonNumber(const json& value) {
    if (value.is_number_unsigned()) {
        return static_cast<uint32_t>(value.get<uint64_t>());
    }
    if (value.is_number_integer()) {
        return static_cast<uint32_t>(value.get<int64_t>());
    }
    if (value.is_string()) {
        const std::string text = value.get<std::string>();
        if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') &&
            std::isxdigit(static_cast<unsigned char>(text[2]))) {
            char* end = nullptr;
            const unsigned long long parsed = std::strtoull(text.c_str() + 2, &end, 16);
            if (end != nullptr && *end == '\0') {
                return static_cast<uint32_t>(parsed);
            }
        }
    }
    return std::nullopt;
}

std::optional<VirtualMixerDefinition> parseVirtualMixer(const std::string& text, std::string& error) {
    try {
        return parseDefinition(json::parse(text));
    } catch (const json::exception& e) {
        error = std::string("not valid JSON: ") + e.what();
    } catch (const DefinitionError& e) {
        error = e.what();
    }
    return std::nullopt;
}

// The built-in mixer in the same form as a mixer file: speakers with master volume and mute and the usual
// sources, and a recording destination whose MUX selects among the recording sources.
const char* const kBuiltInMixer = R"({"devices":[{"name":"Virtual AC97 Mixer","destinations":[
  {"name":"Master","componentType":"0x0004","channels":2,
   "controls":[{"id":1,"type":"0x50030001","name":"Volume","flags":1,"min":0,"max":65535,"value":"0xC000"},
     {"id":2,"type":"0x20010002","name":"Mute","flags":1,"min":0,"max":1,"value":0}],
   "sources":[
      {"name":"Wave","componentType":"0x1008","channels":2,"controls":[
        {"id":3,"type":"0x50030001","name":"Volume","flags":1,"min":0,"max":65535,"value":"0xC000"},
        {"id":4,"type":"0x20010002","name":"Mute","flags":1,"min":0,"max":1,"value":0}]},
      {"name":"CD Audio","componentType":"0x1005","channels":2,"controls":[
        {"id":5,"type":"0x50030001","name":"Volume","flags":1,"min":0,"max":65535,"value":"0xC000"},
        {"id":6,"type":"0x20010002","name":"Mute","flags":1,"min":0,"max":1,"value":0}]},
      {"name":"Line In","componentType":"0x1002","channels":2,"controls":[
        {"id":7,"type":"0x50030001","name":"Volume","flags":1,"min":0,"max":65535,"value":"0xC000"},
        {"id":8,"type":"0x20010002","name":"Mute","flags":1,"min":0,"max":1,"value":0}]},
      {"name":"Microphone","componentType":"0x1003","channels":1,"controls":[
        {"id":9,"type":"0x50030001","name":"Volume","flags":1,"min":0,"max":65535,"value":"0xC000"},
        {"id":10,"type":"0x20010002","name":"Mute","flags":1,"min":0,"max":1,"value":0}]},
      {"name":"SW Synth","componentType":"0x1004","channels":2,"controls":[
        {"id":11,"type":"0x50030001","name":"Volume","flags":1,"min":0,"max":65535,"value":"0xC000"},
        {"id":12,"type":"0x20010002","name":"Mute","flags":1,"min":0,"max":1,"value":0}]},
      {"name":"Aux","componentType":"0x1009","channels":2,"controls":[
        {"id":13,"type":"0x50030001","name":"Volume","flags":1,"min":0,"max":65535,"value":"0xC000"},
        {"id":14,"type":"0x20010002","name":"Mute","flags":1,"min":0,"max":1,"value":0}]}]},
  {"name":"Recording","componentType":"0x0007","channels":2,
   "controls":[{"id":15,"type":"0x70010001","name":"Recording Source","flags":3,
     "items":["CD Audio","Line In","Microphone","SW Synth","Aux"],"value":[0,0,1,0,0]}],
   "sources":[
      {"name":"CD Audio","componentType":"0x1005","channels":2,"controls":[
        {"id":16,"type":"0x50030001","name":"Volume","flags":1,"min":0,"max":65535,"value":"0xC000"}]},
      {"name":"Line In","componentType":"0x1002","channels":2,"controls":[
        {"id":17,"type":"0x50030001","name":"Volume","flags":1,"min":0,"max":65535,"value":"0xC000"}]},
      {"name":"Microphone","componentType":"0x1003","channels":2,"controls":[
        {"id":18,"type":"0x50030001","name":"Volume","flags":1,"min":0,"max":65535,"value":"0xC000"}]},
      {"name":"SW Synth","componentType":"0x1004","channels":2,"controls":[
        {"id":19,"type":"0x50030001","name":"Volume","flags":1,"min":0,"max":65535,"value":"0xC000"}]},
      {"name":"Aux","componentType":"0x1009","channels":2,"controls":[
        {"id":20,"type":"0x50030001","name":"Volume","flags":1,"min":0,"max":65535,"value":"0xC000"}]}]}]}]})";

VirtualMixerDefinition builtInVirtualMixer() {
    std::string error;
    auto definition = parseVirtualMixer(kBuiltInMixer, error);
    return definition ? std::move(*definition) : VirtualMixerDefinition{};
}

} // namespace faderix
