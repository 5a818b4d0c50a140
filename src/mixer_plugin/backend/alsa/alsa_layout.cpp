// SPDX-License-Identifier: LGPL-2.1-or-later
#include "alsa_layout.h"

#include "../../ini_file.h"

#include <array>

namespace faderix {

uint32_t alsaControlId(const std::string& element, unsigned index, AlsaPart part) {
    // FNV-1a over name, index and part; never 0, which presets use for "no control".
    uint32_t hash = 2166136261u;
    const auto mix = [&hash](unsigned char byte) { hash = (hash ^ byte) * 16777619u; };
    for (char c : element) {
        mix(static_cast<unsigned char>(c));
    }
    mix(0);
    for (int shift = 0; shift < 32; shift += 8) {
        mix(static_cast<unsigned char>(index >> shift));
    }
    mix(static_cast<unsigned char>(part));
    return hash == 0 ? 1 : hash;
}

uint32_t alsaComponentType(const std::string& element) {
    struct Prefix {
        const char* prefix;
        uint32_t componentType;
    };
    // Longer prefixes first where one begins another ("PC Speaker" / "PCM").
    static constexpr std::array<Prefix, 15> kPrefixes = {{
        {"Master", component_types::DstSpeakers},
        {"PC Speaker", component_types::SrcPcSpeaker},
        {"Beep", component_types::SrcPcSpeaker},
        {"PCM", component_types::SrcWaveOut},
        {"Wave", component_types::SrcWaveOut},
        {"CD", component_types::SrcCompactDisc},
        {"Line", component_types::SrcLine},
        {"Mic", component_types::SrcMicrophone},
        {"Synth", component_types::SrcSynthesizer},
        {"MIDI", component_types::SrcSynthesizer},
        {"Aux", component_types::SrcAuxiliary},
        {"Video", component_types::SrcAuxiliary},
        {"Phone", component_types::SrcTelephone},
        {"IEC958", component_types::SrcDigital},
        {"SPDIF", component_types::SrcDigital},
    }};
    for (const Prefix& entry : kPrefixes) {
        const std::string_view prefix(entry.prefix);
        if (element.size() >= prefix.size() &&
            equalsIgnoreCase(std::string_view(element).substr(0, prefix.size()), prefix)) {
            return entry.componentType;
        }
    }
    return component_types::SrcUndefined;
}

} // namespace faderix
