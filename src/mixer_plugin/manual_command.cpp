// SPDX-License-Identifier: LGPL-2.1-or-later
#include "manual_command.h"

#include "ini_file.h"

#include <array>
#include <cstdio>

namespace faderix {

namespace {

constexpr size_t kMaxErrorText = 255;
constexpr uint32_t kMixerDevice = 0;

struct LineTypeName {
    const char* name;
    uint32_t componentType;
};

// Tried in this order; the first match wins.
constexpr std::array<LineTypeName, 12> kLineTypeNames = {{
    {"Master", component_types::DstSpeakers},
    {"Wave", component_types::SrcWaveOut},
    {"AnalogCD", component_types::SrcCompactDisc},
    {"DigitalCD", component_types::SrcDigital},
    {"LineIn", component_types::SrcLine},
    {"Mic", component_types::SrcMicrophone},
    {"MIDI", component_types::SrcSynthesizer},
    {"TAD", component_types::SrcTelephone},
    {"AUX", component_types::SrcAuxiliary},
    {"PCSPK", component_types::SrcPcSpeaker},
    {"ANALOG", component_types::SrcAnalog},
    {"UNDEFINED", component_types::SrcUndefined},
}};

enum class Command { Get, Set, Toggle, Up, Down, Other };

Command commandOf(const char* text) {
    static constexpr std::array<std::pair<const char*, Command>, 5> kCommands = {{
        {"GET", Command::Get},
        {"SET", Command::Set},
        {"TOGGLE", Command::Toggle},
        {"UP", Command::Up},
        {"DOWN", Command::Down},
    }};
    for (const auto& [name, command] : kCommands) {
        if (equalsIgnoreCase(text, name)) {
            return command;
        }
    }
    return Command::Other;
}

bool isText(const ManualParams& params, int index) {
    return params.kind[index] == FADERIX_PARAM_TEXT && params.value[index] != 0;
}

const char* textOf(const ManualParams& params, int index) {
    return reinterpret_cast<const char*>(params.value[index]);
}

uint32_t numberOf(const ManualParams& params, int index) {
    return static_cast<uint32_t>(params.value[index]);
}

// Percentages of a volume range, in unsigned 32-bit arithmetic. Equal bounds have no percentage; 0 then.
uint32_t percentOf(const MixerControl& control, uint32_t value) {
    const uint32_t range = control.maximum - control.minimum;
    return range == 0 ? 0 : (value - control.minimum) * 100u / range;
}

uint32_t valueForPercent(const MixerControl& control, uint32_t percent) {
    return (control.maximum - control.minimum) * percent / 100u + control.minimum;
}

bool readValue(MixerBackend& backend, const MixerControl& control, uint32_t& value) {
    std::vector<uint32_t> values;
    if (!backend.getValue(kMixerDevice, control, values) || values.empty()) {
        return false;
    }
    value = values[0];
    return true;
}

bool writeValue(MixerBackend& backend, const MixerControl& control, uint32_t value) {
    return backend.setValue(kMixerDevice, control, {value});
}

int32_t runOnVolume(MixerBackend& backend, const MixerControl& control, Command command, uint32_t amount) {
    uint32_t value = 0;
    switch (command) {
    case Command::Get:
        return readValue(backend, control, value) ? static_cast<int32_t>(percentOf(control, value)) : 0;
    case Command::Set:
        return writeValue(backend, control, valueForPercent(control, amount)) ? static_cast<int32_t>(amount)
                                                                              : 0;
    case Command::Up: {
        if (!readValue(backend, control, value)) {
            return 0;
        }
        uint32_t target = percentOf(control, value) + amount;
        if (target > 100) {
            target = 100;
        }
        writeValue(backend, control, valueForPercent(control, target));
        return static_cast<int32_t>(target);
    }
    case Command::Down: {
        if (!readValue(backend, control, value)) {
            return 0;
        }
        const uint32_t current = percentOf(control, value);
        const uint32_t target = amount > current ? 0 : current - amount;
        writeValue(backend, control, valueForPercent(control, target));
        return static_cast<int32_t>(target);
    }
    default:
        return 0;
    }
}

int32_t runOnMute(MixerBackend& backend, const MixerControl& control, Command command, uint32_t amount) {
    uint32_t value = 0;
    switch (command) {
    case Command::Get:
        return readValue(backend, control, value) ? (value != 0 ? 1 : 0) : 0;
    case Command::Set:
        return writeValue(backend, control, amount != 0 ? 1 : 0) ? static_cast<int32_t>(amount) : 0;
    case Command::Toggle: {
        if (!readValue(backend, control, value)) {
            return 0;
        }
        value = value == 0 ? 1 : 0;
        return writeValue(backend, control, value) ? static_cast<int32_t>(value) : 0;
    }
    default:
        return 0;
    }
}

} // namespace

std::string manualErrorText(const ManualParams* params) {
    std::string text = "Invalid params: Faderix.ActionManual(";
    if (params != nullptr) {
        const int count = params->count < 0 ? 0 : (params->count > 4 ? 4 : params->count);
        for (int i = 0; i < count; ++i) {
            if (i > 0) {
                text += ",";
            }
            if (params->kind[i] != FADERIX_PARAM_TEXT) {
                char number[16];
                std::snprintf(number, sizeof number, "0x%X", numberOf(*params, i));
                text += number;
            } else if (params->value[i] == 0) {
                text += "(null)";
            } else {
                text += "\"" + std::string(textOf(*params, i)) + "\"";
            }
            if (text.size() > kMaxErrorText) {
                break;
            }
        }
    }
    text += ")";
    if (text.size() > kMaxErrorText) {
        text.resize(kMaxErrorText);
    }
    return text;
}

ManualOutcome runManualCommand(MixerBackend& backend, const ManualParams* params) {
    ManualOutcome outcome;
    const auto fail = [&]() {
        outcome.error = manualErrorText(params);
        return outcome;
    };
    if (params == nullptr || params->count < 3 || params->count > 4 || !isText(*params, 0) ||
        !isText(*params, 1) || !isText(*params, 2)) {
        return fail();
    }

    const LineTypeName* lineType = nullptr;
    for (const LineTypeName& candidate : kLineTypeNames) {
        if (equalsIgnoreCase(textOf(*params, 1), candidate.name)) {
            lineType = &candidate;
            break;
        }
    }
    MixerLine line;
    if (lineType == nullptr || !backend.lineByComponentType(kMixerDevice, lineType->componentType, line)) {
        return fail();
    }

    const char* controlName = textOf(*params, 2);
    const bool isVolume = equalsIgnoreCase(controlName, "Volume");
    if (!isVolume && !equalsIgnoreCase(controlName, "Mute")) {
        return fail();
    }
    MixerControl control;
    if (!backend.controlByType(kMixerDevice, line, isVolume ? control_types::Volume : control_types::Mute,
                               control)) {
        return fail();
    }

    const Command command = commandOf(textOf(*params, 0));
    const uint32_t amount = numberOf(*params, 3);
    outcome.value = isVolume ? runOnVolume(backend, control, command, amount)
                             : runOnMute(backend, control, command, amount);
    outcome.foundControl = true;
    outcome.lineName = line.name;
    outcome.controlName = control.name;
    return outcome;
}

} // namespace faderix
