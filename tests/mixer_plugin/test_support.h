// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "backend/virtual/virtual_mixer_backend.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace faderix_test {

// A fresh folder per test, removed afterwards.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "faderix-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// One device: a speakers destination whose line holds a fader (0..65535), a signed slider (-10..10),
// a mute switch, an unknown control and a five-item MUX; a source "Line.In" with a fader; and a second
// destination with a line of the same caption "Volume" as the first.
inline const char* const kTestMixer = R"({"devices":[{"name":"Test Card","destinations":[
  {"name":"Speakers","componentType":4,"channels":2,"controls":[
     {"id":1,"type":"0x50030001","name":"Volume","min":0,"max":65535,"value":0},
     {"id":2,"type":"0x40020000","name":"Balance","min":-10,"max":10,"value":0},
     {"id":3,"type":"0x20010002","name":"Mute","flags":1,"min":0,"max":1,"value":1},
     {"id":4,"type":"0x10010000","name":"Meter","value":0},
     {"id":5,"type":"0x70010001","name":"Recording Source","flags":3,
      "items":["CD","Line","Mic","Synth","Aux"],"value":[1,0,0,0,0]}],
   "sources":[{"name":"Line.In","componentType":"0x1002","channels":2,"controls":[
     {"id":6,"type":"0x50030001","name":"Volume","min":0,"max":65535,"value":32768}]}]},
  {"name":"Recording","componentType":7,"channels":2,"controls":[],
   "sources":[{"name":"Mic","componentType":"0x1003","channels":1,"controls":[
     {"id":7,"type":"0x50030001","name":"Volume","min":0,"max":65535,"value":100}]}]}]}]})";

inline std::unique_ptr<faderix::VirtualMixerBackend> makeMixer(const std::string& json,
                                                               const std::string& statePath) {
    std::string error;
    auto definition = faderix::parseVirtualMixer(json, error);
    if (!definition) {
        throw std::runtime_error(error);
    }
    return std::make_unique<faderix::VirtualMixerBackend>(std::move(*definition), statePath);
}

inline uint32_t valueOf(faderix::MixerBackend& backend, uint32_t id, uint32_t device = 0) {
    faderix::MixerControl control;
    std::vector<uint32_t> values;
    if (!backend.controlById(device, id, control) || !backend.getValue(device, control, values) ||
        values.empty()) {
        throw std::runtime_error("no value for control " + std::to_string(id));
    }
    return values[0];
}

inline std::vector<uint32_t> valuesOf(faderix::MixerBackend& backend, uint32_t id) {
    faderix::MixerControl control;
    std::vector<uint32_t> values;
    backend.controlById(0, id, control);
    backend.getValue(0, control, values);
    return values;
}

inline void setValueOf(faderix::MixerBackend& backend, uint32_t id, uint32_t value) {
    faderix::MixerControl control;
    backend.controlById(0, id, control);
    backend.setValue(0, control, {value});
}

} // namespace faderix_test
