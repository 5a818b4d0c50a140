// SPDX-License-Identifier: GPL-2.0-or-later
#include "compressor_settings_store.h"

#include "platform/registry/registry.h"
#include "tv/compressor_options.h"

namespace {

const std::string kCompressorsKey = "\\TV\\Compressors";

} // namespace

void LoadCompressorOptions(Registry& reg, const std::string& baseKey, CompressorOptions* options,
                           bool canCreate) {
    if (!options || !reg.OpenKey(baseKey + kCompressorsKey, canCreate)) {
        return;
    }
    const std::vector<std::string> kinds = reg.GetKeyNames();
    for (const std::string& kind : kinds) {
        if (!reg.OpenKey(baseKey + kCompressorsKey + "\\" + kind, false)) {
            continue;
        }
        CompressorOptions::Settings settings;
        for (const std::string& name : reg.GetValueNames()) {
            if (const std::optional<std::string> value = reg.ReadString(name)) {
                settings.push_back({name, *value});
            }
        }
        options->set(kind, std::move(settings));
    }
    reg.CloseKey();
}

void SaveCompressorOptions(Registry& reg, const std::string& baseKey, const CompressorOptions* options) {
    if (!options || !reg.OpenKey(baseKey + "\\TV", true)) {
        return;
    }
    // Written anew, so a setting put back to the compressor's own value is forgotten.
    reg.DeleteKey("Compressors");
    for (const auto& [kind, settings] : options->all()) {
        if (!reg.OpenKey(baseKey + kCompressorsKey + "\\" + kind, true)) {
            continue;
        }
        for (const ElementSetting& setting : settings) {
            reg.WriteString(setting.name, setting.value);
        }
    }
    reg.CloseKey();
}
