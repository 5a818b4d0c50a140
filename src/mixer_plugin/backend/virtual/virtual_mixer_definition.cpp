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

struct DefinitionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

uint32_t numberOf(const json& value, const std::string& where) {
    if (const auto number = jsonNumber(value))
        return *number;
    throw DefinitionError(where + " is not a number");
}

uint32_t numberOr(const json& object, const char* key, uint32_t fallback, const std::string& where) {
    const auto found = object.find(key);
    return found == object.end() ? fallback : numberOf(*found, where + "." + key);
}

std::string textOf(const json& object, const char* key, const std::string& where, size_t limit) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string())
        throw DefinitionError(where + "." + key + " must be a text");
    return found->get<std::string>().substr(0, limit);
}

const json& arrayOf(const json& object, const char* key, const std::string& where) {
    static const json empty = json::array();
    const auto found = object.find(key);
    if (found == object.end())
        return empty;
    if (!found->is_array())
        throw DefinitionError(where + "." + key + " must be an array");
    return *found;
}

std::vector<uint32_t> defaultValue(const MixerControl& control) {
    const uint32_t count = valueCountOf(control);
    if (classifyControl(control.type) == ControlKind::List)
        return std::vector<uint32_t>(count, 0);
    return {control.minimum};
}

LayoutControl parseControl(const json& object, const std::string& where, DeviceValues& values,
                           std::set<uint32_t>& ids) {
    if (!object.is_object())
        throw DefinitionError(where + " must be an object");
    LayoutControl control;
    control.info.id = numberOf(object.value("id", json()), where + ".id");
    control.info.type = numberOf(object.value("type", json()), where + ".type");
    control.info.name = textOf(object, "name", where, 63);
    control.info.flags = numberOr(object, "flags", 0, where);
    control.info.minimum = numberOr(object, "min", 0, where);
    control.info.maximum = numberOr(object, "max", 0, where);
    for (const json& item : arrayOf(object, "items", where)) {
        if (!item.is_string())
            throw DefinitionError(where + ".items must hold texts");
        control.itemTexts.push_back(item.get<std::string>().substr(0, 63));
    }
    control.info.items = static_cast<uint32_t>(control.itemTexts.size());
    if (!ids.insert(control.info.id).second)
        throw DefinitionError(where + ".id " + std::to_string(control.info.id) + " is used twice");

    std::vector<uint32_t> value = defaultValue(control.info);
    if (const auto found = object.find("value"); found != object.end()) {
        if (found->is_array()) {
            if (found->size() != value.size())
                throw DefinitionError(where + ".value must hold one 0/1 per item");
            for (size_t i = 0; i < value.size(); ++i)
                value[i] = numberOf((*found)[i], where + ".value") != 0 ? 1 : 0;
        } else {
            value.assign(1, numberOf(*found, where + ".value"));
            if (valueCountOf(control.info) != 1)
                throw DefinitionError(where + ".value must be an array for a list");
        }
    }
    values[control.info.id] = std::move(value);
    return control;
}

LayoutLine parseLine(const json& object, const std::string& where, DeviceValues& values,
                     std::set<uint32_t>& ids) {
    if (!object.is_object())
        throw DefinitionError(where + " must be an object");
    LayoutLine line;
    line.info.name = textOf(object, "name", where, 63);
    line.info.componentType = numberOr(object, "componentType", 0, where);
    line.info.channels = numberOr(object, "channels", 1, where);
    const json& controls = arrayOf(object, "controls", where);
    for (size_t i = 0; i < controls.size(); ++i)
        line.controls.push_back(
            parseControl(controls[i], where + ".controls[" + std::to_string(i) + "]", values, ids));
    return line;
}

VirtualMixerDefinition parseDefinition(const json& root) {
    if (!root.is_object() || !root.contains("devices") || !root["devices"].is_array())
        throw DefinitionError("the top level must be an object with a \"devices\" array");
    VirtualMixerDefinition definition;
    const json& devices = root["devices"];
    for (size_t d = 0; d < devices.size(); ++d) {
        const std::string where = "devices[" + std::to_string(d) + "]";
        if (!devices[d].is_object())
            throw DefinitionError(where + " must be an object");
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
            for (size_t s = 0; s < sources.size(); ++s)
                destination.sources.push_back(
                    parseLine(sources[s], lineWhere + ".sources[" + std::to_string(s) + "]", values, ids));
            device.destinations.push_back(std::move(destination));
        }
        finishLayout(device);
        definition.devices.push_back(std::move(device));
        definition.initialValues.push_back(std::move(values));
    }
    return definition;
}

LayoutControl makeControl(uint32_t& nextId, const char* name, uint32_t type, DeviceValues& values,
                          uint32_t value) {
    LayoutControl control;
    control.info.id = nextId++;
    control.info.type = type;
    control.info.name = name;
    control.info.flags = mixer_flags::Uniform;
    control.info.maximum = classifyControl(type) == ControlKind::Volume ? 0xFFFF : 1;
    values[control.info.id] = {value};
    return control;
}

LayoutLine makeLine(const char* name, uint32_t componentType, uint32_t channels) {
    LayoutLine line;
    line.info.name = name;
    line.info.componentType = componentType;
    line.info.channels = channels;
    return line;
}

} // namespace

uint32_t valueCountOf(const MixerControl& control) {
    if (classifyControl(control.type) == ControlKind::List && (control.flags & mixer_flags::Multiple))
        return control.items;
    return 1;
}

bool isSignedControl(const MixerControl& control) {
    return isSliderClass(control.type);
}

std::optional<uint32_t> jsonNumber(const json& value) {
    if (value.is_number_unsigned())
        return static_cast<uint32_t>(value.get<uint64_t>());
    if (value.is_number_integer())
        return static_cast<uint32_t>(value.get<int64_t>());
    if (value.is_string()) {
        const std::string text = value.get<std::string>();
        if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') &&
            std::isxdigit(static_cast<unsigned char>(text[2]))) {
            char* end = nullptr;
            const unsigned long long parsed = std::strtoull(text.c_str() + 2, &end, 16);
            if (end != nullptr && *end == '\0')
                return static_cast<uint32_t>(parsed);
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

VirtualMixerDefinition builtInVirtualMixer() {
    struct Source {
        const char* name;
        uint32_t componentType;
        bool recordable;
    };
    static const Source kSources[] = {
        {"Wave", component_types::SrcWaveOut, false},
        {"CD Audio", component_types::SrcCompactDisc, true},
        {"Line In", component_types::SrcLine, true},
        {"Microphone", component_types::SrcMicrophone, true},
        {"SW Synth", component_types::SrcSynthesizer, true},
        {"Aux", component_types::SrcAuxiliary, true},
    };
    constexpr uint32_t kThreeQuarters = 0xC000;

    VirtualMixerDefinition definition;
    LayoutDevice device;
    DeviceValues values;
    device.name = "Virtual AC97 Mixer";
    uint32_t nextId = 1;

    LayoutDestination speakers;
    speakers.line = makeLine("Master", component_types::DstSpeakers, 2);
    speakers.line.controls.push_back(
        makeControl(nextId, "Volume", control_types::Volume, values, kThreeQuarters));
    speakers.line.controls.push_back(makeControl(nextId, "Mute", control_types::Mute, values, 0));
    for (const Source& source : kSources) {
        LayoutLine line = makeLine(source.name, source.componentType,
                                   source.componentType == component_types::SrcMicrophone ? 1 : 2);
        line.controls.push_back(makeControl(nextId, "Volume", control_types::Volume, values, kThreeQuarters));
        line.controls.push_back(makeControl(nextId, "Mute", control_types::Mute, values, 0));
        speakers.sources.push_back(std::move(line));
    }

    LayoutDestination recording;
    recording.line = makeLine("Recording", component_types::DstWaveIn, 2);
    LayoutControl mux;
    mux.info.id = nextId++;
    mux.info.type = control_types::Mux;
    mux.info.name = "Recording Source";
    mux.info.flags = mixer_flags::Uniform | mixer_flags::Multiple;
    std::vector<uint32_t> selection;
    for (const Source& source : kSources) {
        if (!source.recordable)
            continue;
        mux.itemTexts.push_back(source.name);
        selection.push_back(source.componentType == component_types::SrcMicrophone ? 1 : 0);
    }
    mux.info.items = static_cast<uint32_t>(mux.itemTexts.size());
    values[mux.info.id] = selection;
    recording.line.controls.push_back(std::move(mux));
    for (const Source& source : kSources) {
        if (!source.recordable)
            continue;
        LayoutLine line = makeLine(source.name, source.componentType, 2);
        line.controls.push_back(makeControl(nextId, "Volume", control_types::Volume, values, kThreeQuarters));
        recording.sources.push_back(std::move(line));
    }

    device.destinations.push_back(std::move(speakers));
    device.destinations.push_back(std::move(recording));
    finishLayout(device);
    definition.devices.push_back(std::move(device));
    definition.initialValues.push_back(std::move(values));
    return definition;
}

} // namespace faderix
