// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the user set on each compressor through its settings page, kept per kind of compressor (its
// settings key) and applied whenever a recording binds one, so the page and corvane-ctl record alike.
// Only values changed from the compressor's own are kept: a newer compressor's defaults still apply.

#include "platform/media/element_settings.h"

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct IBaseFilter;

class CompressorOptions {
public:
    using Settings = std::vector<ElementSetting>;

    // The stored settings of one kind; none when nothing was changed on it.
    const Settings& of(const std::string& key) const {
        static const Settings none;
        const auto found = byKey_.find(key);
        return found == byKey_.end() ? none : found->second;
    }
    // Replaces the settings of one kind; no settings forget it.
    void set(const std::string& key, Settings settings) {
        if (settings.empty()) {
            byKey_.erase(key);
        } else {
            byKey_[key] = std::move(settings);
        }
    }
    const std::map<std::string, Settings>& all() const { return byKey_; }

private:
    std::map<std::string, Settings> byKey_;
};

// Applies the stored settings of the compressor's kind to it. A setting it does not take (a damaged store,
// a changed compressor) is skipped with one line on err; the recording goes on with the compressor's own.
void ApplyStoredSettings(IBaseFilter* compressor, const CompressorOptions& options, std::FILE* err);
// Stores what is set on the compressor now (after its page closed) as the settings of its kind.
void RememberSettings(IBaseFilter* compressor, CompressorOptions& options);
// Applies settings for one recording only; the first one refused gives the reason with the setting and the
// compressor named, empty when all applied.
std::string ApplyOneRunSettings(IBaseFilter* compressor, const CompressorOptions::Settings& settings);
