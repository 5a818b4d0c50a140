// SPDX-License-Identifier: LGPL-2.1-or-later
#include "backend_factory.h"

#include "backend/alsa/alsa_mixer_backend.h"
#include "backend/virtual/virtual_mixer_backend.h"

#include <cstdlib>
#include <string_view>

namespace faderix {

std::unique_ptr<MixerBackend> createMixerBackend(std::string& warning) {
    const char* setting = std::getenv("FADERIX_BACKEND");
    const std::string_view choice = setting != nullptr ? setting : "";
    if (choice == "virtual") {
        return VirtualMixerBackend::fromEnvironment(warning);
    }
    if (choice == "alsa") {
        const auto cards = AlsaMixerBackend::systemCards();
        if (cards.empty()) {
            warning = "FADERIX_BACKEND=alsa, but there is no sound card and no sound server";
        }
        return std::make_unique<AlsaMixerBackend>(cards);
    }
    if (!choice.empty()) {
        warning = "FADERIX_BACKEND=" + std::string(choice) +
                  " is neither \"alsa\" nor \"virtual\"; choosing by the cards present";
    }
    const auto cards = AlsaMixerBackend::systemCards();
    if (!cards.empty()) {
        return std::make_unique<AlsaMixerBackend>(cards);
    }
    std::string virtualWarning;
    auto backend = VirtualMixerBackend::fromEnvironment(virtualWarning);
    if (!virtualWarning.empty()) {
        warning += (warning.empty() ? "" : "; ") + virtualWarning;
    }
    return backend;
}

} // namespace faderix
