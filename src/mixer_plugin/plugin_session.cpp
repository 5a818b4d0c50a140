// SPDX-License-Identifier: LGPL-2.1-or-later
#include "plugin_session.h"

#include "manual_command.h"
#include "preset_actions.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace faderix {

namespace {

// Hosts read a message's first parameter as a signed value, so a negative tag must come back negative.
uintptr_t tagParameter(int32_t tag) {
    return static_cast<uintptr_t>(static_cast<intptr_t>(tag));
}

} // namespace

PluginSession::PluginSession(HostLink hostLink, std::string pluginFolder, std::unique_ptr<MixerBackend> mixer)
    : host(hostLink), folder(std::move(pluginFolder)), backend(std::move(mixer)), store(folder, *backend) {}

std::string folderOfModule(const void* address) {
    Dl_info info{};
    std::string path;
    if (::dladdr(address, &info) != 0 && info.dli_fname != nullptr) {
        path = info.dli_fname;
    }
    return folderOfFile(path);
}

std::string folderOfFile(const std::string& path) {
    std::string folder = path;
    if (folder.empty() || folder.front() != '/') {
        // The loader reports a module by the name it was opened with, which may be relative.
        char current[4096];
        const bool known = ::getcwd(current, sizeof current) != nullptr;
        folder = std::string(known ? current : ".") + "/" + folder;
    }
    const auto slash = folder.find_last_of('/');
    folder.resize(slash == std::string::npos ? 0 : slash);
    while (!folder.empty() && folder.back() == '/') {
        folder.pop_back();
    }
    return folder + '/';
}

std::string presetFolderFor(const std::string& pluginFolder) {
    if (::access(pluginFolder.c_str(), W_OK) == 0) {
        return pluginFolder;
    }
    std::string base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/') {
        base = config;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        base = std::string(home) + "/.config";
    }
    if (base.empty()) {
        return pluginFolder;
    }
    const std::string folder = base + "/faderix/";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

int32_t actionPreset(PluginSession& session, const char* name, int32_t tag) {
    int32_t value = 0;
    if (name != nullptr) {
        value = applyPreset(*session.backend, session.store.get(name));
    }
    return session.host.post(WM_PLUGIN_RESULT, tagParameter(tag), value) ? 1 : 0;
}

int32_t actionManual(PluginSession& session, const ManualParams* params, int32_t tag) {
    const ManualOutcome outcome = runManualCommand(*session.backend, params);
    if (outcome.error) {
        session.host.send(WM_PLUGIN_ERROR, reinterpret_cast<uintptr_t>(outcome.error->c_str()), 0);
    } else if (outcome.foundControl) {
        const ControlInfoRecord record{
            2, {0, 0, 0, 0}, outcome.lineName.c_str(), outcome.controlName.c_str()};
        session.host.send(WM_PLUGIN_CONTROL_INFO, tagParameter(tag), reinterpret_cast<intptr_t>(&record));
    }
    return session.host.post(WM_PLUGIN_RESULT, tagParameter(tag), outcome.value) ? 1 : 0;
}

} // namespace faderix
