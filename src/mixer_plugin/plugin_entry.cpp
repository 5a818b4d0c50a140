// SPDX-License-Identifier: LGPL-2.1-or-later
// The exported entry points of Faderix.so. They only guard against calls outside Open..Close and hand
// over to the session; all work lives in the core library.
#include "faderix.h"

#include "backend_factory.h"
#include "dialog/action_setup.h"
#include "plugin_session.h"

#include <cstdio>
#include <memory>

#define FADERIX_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::unique_ptr<faderix::PluginSession> session;

} // namespace

// The setup dialog (a QObject) while ActionSetup runs, null otherwise. Exported as a data symbol so that a
// host can reach the open dialog, for instance to close it from a script.
extern "C" {
__attribute__((visibility("default"))) void* _ActionForm = nullptr;
}

FADERIX_EXPORT const char* Open(int32_t, FaderixHost* host, int32_t) {
    std::string warning;
    auto backend = faderix::createMixerBackend(warning);
    if (!warning.empty()) {
        std::fprintf(stderr, "Faderix: %s\n", warning.c_str());
    }
    session = std::make_unique<faderix::PluginSession>(
        faderix::HostLink(host),
        faderix::presetFolderFor(faderix::folderOfModule(reinterpret_cast<const void*>(&Open))),
        std::move(backend));
    return faderix::kPluginDescription;
}

FADERIX_EXPORT void Close(void) {
    faderix::closeSetupToolkit();
    session.reset();
}

FADERIX_EXPORT void ActionSetup(const char* presetName) {
    if (session && presetName != nullptr) {
        faderix::actionSetup(*session, presetName, &_ActionForm);
    }
}

FADERIX_EXPORT int32_t ActionPreset(const char* presetName, int32_t tag) {
    return session ? faderix::actionPreset(*session, presetName, tag) : 0;
}

FADERIX_EXPORT int32_t EnumActionPreset(int32_t index, char* buffer, int32_t bufferSize) {
    return session ? faderix::enumActionPreset(session->folder, index, buffer, bufferSize) : 0;
}

FADERIX_EXPORT int32_t ActionManual(const ManualParams* params, int32_t tag) {
    return session ? faderix::actionManual(*session, params, tag) : 0;
}
