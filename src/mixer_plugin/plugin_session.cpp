#include "plugin_session.h"

#include "manual_command.h"
#include "preset_actions.h"

#include <dlfcn.h>

namespace faderix {

PluginSession::PluginSession(HostLink hostLink, std::string pluginFolder, std::unique_ptr<MixerBackend> mixer)
    : host(hostLink), folder(std::move(pluginFolder)), backend(std::move(mixer)), store(folder, *backend) {}

std::string folderOfModule(const void* address) {
    Dl_info info{};
    std::string path;
    if (::dladdr(address, &info) != 0 && info.dli_fname != nullptr)
        path = info.dli_fname;
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

int32_t actionPreset(PluginSession& session, const char* name, int32_t tag) {
    int32_t value = 0;
    if (name != nullptr)
        value = applyPreset(*session.backend, session.store.get(name));
    return session.host.post(WM_PLUGIN_RESULT, static_cast<uint32_t>(tag), value) ? 1 : 0;
}

int32_t actionManual(PluginSession& session, const ManualParams* params, int32_t tag) {
    const ManualOutcome outcome = runManualCommand(*session.backend, params);
    if (outcome.error) {
        session.host.send(WM_PLUGIN_ERROR, reinterpret_cast<uintptr_t>(outcome.error->c_str()), 0);
    } else if (outcome.foundControl) {
        const ControlInfoRecord record{
            2, {0, 0, 0, 0}, outcome.lineName.c_str(), outcome.controlName.c_str()};
        session.host.send(WM_PLUGIN_CONTROL_INFO, static_cast<uint32_t>(tag),
                          reinterpret_cast<intptr_t>(&record));
    }
    return session.host.post(WM_PLUGIN_RESULT, static_cast<uint32_t>(tag), outcome.value) ? 1 : 0;
}

} // namespace faderix
