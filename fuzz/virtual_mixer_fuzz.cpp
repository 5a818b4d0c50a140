// SPDX-License-Identifier: GPL-2.0-or-later
// The virtual mixer's two JSON files: the input is read as a mixer definition and as the state file beside
// it, and every control of the mixer that results is listed, read and written.
#include "backend/virtual/virtual_mixer_backend.h"
#include "fuzz_support.h"
#include "mixer_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string json(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto definition = faderix::parseVirtualMixer(json, error);
    const std::string state = fuzz::WriteScratchFile("state.json", data, size);
    faderix::VirtualMixerBackend mixer(definition ? std::move(*definition) : faderix::builtInVirtualMixer(),
                                       state);
    const faderix::MixerTree tree = faderix::buildMixerTree(mixer, [](const char*) {});
    for (std::size_t i = 0; i < tree.nodes.size(); ++i) {
        const faderix::MixerTreeNode& node = tree.nodes[i];
        if (!node.entry || node.level != 3) {
            continue;
        }
        const auto device = static_cast<std::uint32_t>(tree.devicePosition(static_cast<int>(i)));
        faderix::MixerControl control;
        if (!mixer.controlById(device, node.entry->controlId, control)) {
            continue;
        }
        std::vector<std::uint32_t> values;
        if (mixer.getValue(device, control, values)) {
            for (std::uint32_t& value : values) {
                value = ~value;
            }
            mixer.setValue(device, control, values);
        }
        faderix::findPathByControl(mixer, device, control.id);
    }
    fuzz::ClearScratchFolder();
    return 0;
}
