// SPDX-License-Identifier: GPL-2.0-or-later
#include "card_definition.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

using nlohmann::json;

constexpr std::array<const char*, 4> kPictureNames = {"brightness", "contrast", "hue", "saturation"};

// Each reader throws std::runtime_error with a message naming the place of the fault.
[[noreturn]] void Fail(const std::string& message) {
    throw std::runtime_error(message);
}

std::int64_t Frequency(const json& entry, const std::string& where) {
    if (!entry.contains("freq") || !entry["freq"].is_number_integer()) {
        Fail(where + ": \"freq\" must be a whole number of hertz");
    }
    const std::int64_t frequency = entry["freq"].get<std::int64_t>();
    if (frequency <= 0 || frequency > 0x7FFFFFFF) {
        Fail(where + ": \"freq\" out of range");
    }
    return frequency;
}

std::string Name(const json& entry, const std::string& where) {
    if (!entry.contains("name") || !entry["name"].is_string()) {
        Fail(where + ": \"name\" must be a text");
    }
    return entry["name"].get<std::string>();
}

TvCarrier ReadTv(const json& entry, const std::string& where) {
    if (!entry.is_object()) {
        Fail(where + " must be an object");
    }
    TvCarrier carrier{Frequency(entry, where), Name(entry, where)};
    if (entry.contains("lock")) {
        if (!entry["lock"].is_boolean()) {
            Fail(where + ": \"lock\" must be true or false");
        }
        carrier.lock = entry["lock"].get<bool>();
    }
    if (entry.contains("audio")) {
        const json& audio = entry["audio"];
        if (audio == "mono") {
            carrier.audio = CarrierAudio::Mono;
        } else if (audio == "stereo") {
            carrier.audio = CarrierAudio::Stereo;
        } else if (audio == "dual") {
            carrier.audio = CarrierAudio::Dual;
        } else {
            Fail(where + ": \"audio\" must be \"mono\", \"stereo\" or \"dual\"");
        }
    }
    return carrier;
}

RadioCarrier ReadRadio(const json& entry, const std::string& where) {
    if (!entry.is_object()) {
        Fail(where + " must be an object");
    }
    return {Frequency(entry, where), Name(entry, where)};
}

PictureRange ReadRange(const json& value, const std::string& where) {
    if (!value.is_array() || value.size() != 4) {
        Fail(where + " must be [MIN, MAX, STEP, DEFAULT]");
    }
    for (const json& number : value) {
        if (!number.is_number_integer()) {
            Fail(where + " must hold whole numbers");
        }
    }
    PictureRange range{value[0].get<std::int32_t>(), value[1].get<std::int32_t>(),
                       value[2].get<std::int32_t>(), value[3].get<std::int32_t>()};
    if (range.minimum > range.maximum || range.step <= 0 || range.defaultValue < range.minimum ||
        range.defaultValue > range.maximum) {
        Fail(where + " needs MIN <= DEFAULT <= MAX and STEP > 0");
    }
    return range;
}

void ReadFaults(const json& faults, CardFaults& out) {
    if (!faults.is_object()) {
        Fail("\"faults\" must be an object");
    }
    const std::pair<const char*, bool*> flags[] = {
        {"bind", &out.bind},
        {"add_filter", &out.addFilter},
        {"get_format", &out.getFormat},
        {"set_format", &out.setFormat},
        {"set_property", &out.setProperty},
        {"render_preview", &out.renderPreview},
        {"no_stream_control", &out.noStreamControl},
        {"no_preview_pin", &out.noPreviewPin},
    };
    for (const auto& [key, value] : faults.items()) {
        bool known = false;
        for (const auto& [name, flag] : flags) {
            if (key == name) {
                if (!value.is_boolean()) {
                    Fail("\"faults\": \"" + key + "\" must be true or false");
                }
                *flag = value.get<bool>();
                known = true;
            }
        }
        const std::pair<const char*, std::optional<std::int64_t>*> times[] = {
            {"lose_device_after_ms", &out.loseDeviceAfterMs},
            {"fail_sound_after_ms", &out.failSoundAfterMs},
        };
        for (const auto& [name, time] : times) {
            if (key == name) {
                if (!value.is_number_integer() || value.get<std::int64_t>() < 0) {
                    Fail("\"faults\": \"" + key + "\" must be a whole number of milliseconds, 0 or more");
                }
                *time = value.get<std::int64_t>();
                known = true;
            }
        }
        if (!known) {
            Fail("\"faults\": unknown fault \"" + key + "\"");
        }
    }
}

CardDefinition Read(const json& root) {
    if (!root.is_object()) {
        Fail("the card must be a JSON object");
    }
    CardDefinition card;
    if (root.contains("tv")) {
        if (!root["tv"].is_array()) {
            Fail("\"tv\" must be a list");
        }
        for (std::size_t i = 0; i < root["tv"].size(); ++i) {
            card.tv.push_back(ReadTv(root["tv"][i], "\"tv\"[" + std::to_string(i) + "]"));
        }
    }
    if (root.contains("radio")) {
        if (!root["radio"].is_array()) {
            Fail("\"radio\" must be a list");
        }
        for (std::size_t i = 0; i < root["radio"].size(); ++i) {
            card.radio.push_back(ReadRadio(root["radio"][i], "\"radio\"[" + std::to_string(i) + "]"));
        }
    }
    if (root.contains("crossbars")) {
        const json& count = root["crossbars"];
        if (!count.is_number_integer() || (count.get<int>() != 1 && count.get<int>() != 2)) {
            Fail("\"crossbars\" must be 1 or 2");
        }
        card.crossbars = count.get<int>();
    }
    if (root.contains("afc")) {
        if (!root["afc"].is_boolean()) {
            Fail("\"afc\" must be true or false");
        }
        card.afc = root["afc"].get<bool>();
    }
    if (root.contains("procamp")) {
        const json& procamp = root["procamp"];
        if (!procamp.is_object()) {
            Fail("\"procamp\" must be an object");
        }
        for (const auto& [key, value] : procamp.items()) {
            bool known = false;
            for (std::size_t i = 0; i < kPictureNames.size(); ++i) {
                if (key == kPictureNames[i]) {
                    card.picture[i] = ReadRange(value, "\"procamp\": \"" + key + "\"");
                    known = true;
                }
            }
            if (!known) {
                Fail("\"procamp\": unknown property \"" + key + "\"");
            }
        }
    }
    if (root.contains("faults")) {
        ReadFaults(root["faults"], card.faults);
    }
    return card;
}

} // namespace

CardDefinition BuiltInCardDefinition() {
    CardDefinition card;
    card.tv = {
        {49750000, "Corvane One", true, CarrierAudio::Mono},
        {175250000, "Corvane Two", true, CarrierAudio::Stereo},
        {183250000, "Corvane Dual", true, CarrierAudio::Dual},
        {503250000, "Far Away", false, CarrierAudio::Mono},
        {527250000, "Corvane News", true, CarrierAudio::Stereo},
        {743250000, "Corvane Sport", true, CarrierAudio::Mono},
    };
    card.radio = {
        {88300000, "Radio Corvane"},
        {95800000, "Classic FM"},
        {101100000, "Jazz Wave"},
        {104600000, "Talk Radio"},
    };
    return card;
}

std::optional<CardDefinition> ParseCardDefinition(const std::string& text, std::string* error) {
    try {
        return Read(json::parse(text));
    } catch (const std::exception& problem) {
        if (error) {
            *error = problem.what();
        }
        return std::nullopt;
    }
}

CardDefinition LoadCardDefinition() {
    const char* path = std::getenv("CORVANE_VIRTUAL_CARD");
    if (!path || !*path) {
        return BuiltInCardDefinition();
    }
    std::ifstream file(path);
    std::string error = "cannot be read";
    if (file) {
        std::stringstream text;
        text << file.rdbuf();
        if (auto card = ParseCardDefinition(text.str(), &error)) {
            return *card;
        }
    }
    std::cerr << "corvane: virtual TV card file " << path << ": " << error
              << "; using the built-in card instead" << std::endl;
    return BuiltInCardDefinition();
}
