// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Where the settings database lives: the file named by CORVANE_REGISTRY, otherwise
// $XDG_CONFIG_HOME/Pellworth/Corvane/registry.sqlite (~/.config when XDG_CONFIG_HOME is unset or relative).

#include <filesystem>

std::filesystem::path DefaultRegistryPath();
