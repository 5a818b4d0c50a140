// SPDX-License-Identifier: GPL-2.0-or-later
#include "compressor_options.h"

#include "platform/com/ref_ptr.h"
#include "platform/media/capture_interfaces.h"

void ApplyStoredSettings(IBaseFilter* compressor, const CompressorOptions& options, std::FILE* err) {
    const RefPtr<IElementSettings> settings = query<IElementSettings>(compressor);
    if (!settings) {
        return;
    }
    const std::string key = settings->settingsKey();
    for (const ElementSetting& setting : options.of(key)) {
        std::string why;
        if (FAILED(settings->applySetting(setting.name, setting.value, &why))) {
            std::fprintf(err, "corvane: the stored setting %s=%s of the compressor %s is skipped: %s\n",
                         setting.name.c_str(), setting.value.c_str(), key.c_str(), why.c_str());
        }
    }
}

void RememberSettings(IBaseFilter* compressor, CompressorOptions& options) {
    if (const RefPtr<IElementSettings> settings = query<IElementSettings>(compressor)) {
        options.set(settings->settingsKey(), settings->changedSettings());
    }
}

std::string ApplyOneRunSettings(IBaseFilter* compressor, const CompressorOptions::Settings& settings) {
    if (settings.empty()) {
        return {};
    }
    const RefPtr<IElementSettings> element = query<IElementSettings>(compressor);
    if (!element) {
        return "the compressor has no settings";
    }
    for (const ElementSetting& setting : settings) {
        std::string why;
        if (FAILED(element->applySetting(setting.name, setting.value, &why))) {
            return setting.name + "=" + setting.value + ": " + why + " (compressor " +
                   element->settingsKey() + ")";
        }
    }
    return {};
}
