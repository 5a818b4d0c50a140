// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include "faderix.h"
#include "host_link.h"
#include "mixer_backend.h"
#include "preset_store.h"

#include <memory>
#include <string>

namespace faderix {

inline constexpr const char* kPluginDescription = "Sound mixer plugin";

// Everything the plug-in keeps between Open and Close.
struct PluginSession {
    PluginSession(HostLink host, std::string folder, std::unique_ptr<MixerBackend> backend);

    HostLink host;
    std::string folder; // ends with '/'
    std::unique_ptr<MixerBackend> backend;
    PresetStore store;
};

// The folder of the shared object that holds `address`, ending with '/'.
std::string folderOfModule(const void* address);
// The absolute folder of a file path, ending with exactly one '/'. A relative path is taken from the
// current directory now, so a host that changes directory later still finds the presets.
std::string folderOfFile(const std::string& path);
// Where the presets live: the plug-in's own folder, or, where that cannot be written (an installed plug-in
// in a system folder), the user's $XDG_CONFIG_HOME/faderix/ (~/.config/faderix/), made when missing.
std::string presetFolderFor(const std::string& pluginFolder);

int32_t actionPreset(PluginSession& session, const char* name, int32_t tag);
int32_t actionManual(PluginSession& session, const ManualParams* params, int32_t tag);

} // namespace faderix
