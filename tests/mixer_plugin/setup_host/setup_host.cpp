// SPDX-License-Identifier: GPL-2.0-or-later
// A host without a QApplication that runs ActionSetup and closes the dialog from another thread, the way a
// user would press Close, to check that the plug-in brings up what its dialog needs on its own.
// Usage: faderix_setup_host PLUGIN PRESET
#include "faderix.h"

#include <QMetaObject>
#include <QObject>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <dlfcn.h>
#include <thread>

namespace {

int32_t printPost(FaderixHost*, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    std::printf("posted 0x%X %d %d\n", message, static_cast<int32_t>(wParam), static_cast<int32_t>(lParam));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    void* library = ::dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "%s\n", ::dlerror());
        return 1;
    }
    auto open = reinterpret_cast<FaderixOpenFn>(::dlsym(library, "Open"));
    auto close = reinterpret_cast<FaderixCloseFn>(::dlsym(library, "Close"));
    auto setup = reinterpret_cast<FaderixActionSetupFn>(::dlsym(library, "ActionSetup"));
    auto preset = reinterpret_cast<FaderixActionPresetFn>(::dlsym(library, "ActionPreset"));
    auto* formSlot = static_cast<void**>(::dlsym(library, "_ActionForm"));
    FaderixHost host{sizeof(FaderixHost), nullptr, &printPost, nullptr, 0};
    open(0, &host, 0);

    std::atomic<bool> closed = false;
    std::thread closer([&] {
        for (int attempt = 0; attempt < 1000 && !closed; ++attempt) {
            if (void* form = __atomic_load_n(formSlot, __ATOMIC_ACQUIRE)) {
                QMetaObject::invokeMethod(static_cast<QObject*>(form), "reject", Qt::QueuedConnection);
                closed = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    setup(argv[2]);
    closer.join();
    if (!closed) {
        return 3;
    }
    std::printf("form after setup: %s\n", *formSlot == nullptr ? "null" : "set");
    preset(argv[2], 0);
    close();
    return 0;
}
