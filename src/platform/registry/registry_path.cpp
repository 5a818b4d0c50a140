// SPDX-License-Identifier: GPL-2.0-or-later
#include "registry_path.h"

#include <cstdlib>

std::filesystem::path DefaultRegistryPath() {
    if (const char* explicitPath = std::getenv("CORVANE_REGISTRY"); explicitPath && *explicitPath) {
        return explicitPath;
    }
    std::filesystem::path config;
    // XDG base directories ignore relative values.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
        config = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        config = std::filesystem::path(home) / ".config";
    } else {
        config = ".config";
    }
    return config / "Pellworth" / "Corvane" / "registry.sqlite";
}
