// SPDX-License-Identifier: GPL-2.0-or-later
// faderix-cli: a second host of the Faderix plug-in, for scripts and for trying presets by hand.
#include "faderix.h"
#include "manual_arguments.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

const char* const kUsage = "Usage: faderix-cli [--plugin PATH] COMMAND [ARGUMENT...]\n";

// The manual page lists the same commands, options and variables; a test keeps the two in step.
const char* const kHelp =
    "\n"
    "Applies, edits and lists the presets of the Faderix mixer plug-in, and runs one-shot mixer commands.\n"
    "\n"
    "Commands:\n"
    "  list                    list the presets in the plug-in's folder\n"
    "  apply NAME [TAG]        apply the preset NAME; the result message carries TAG\n"
    "  manual ARG...           run a mixer command such as GET Master Volume or SET Wave Mute 1\n"
    "  setup NAME              edit the preset NAME in the plug-in's dialog, then apply it\n"
    "\n"
    "Options:\n"
    "  --plugin PATH           load the plug-in from PATH instead of Mixer/Faderix.so beside the program\n"
    "  -h, --help              show this help and exit\n"
    "  --version               show the version and exit\n"
    "\n"
    "Environment:\n"
    "  FADERIX_BACKEND         alsa or virtual; ALSA when a sound card exists\n"
    "  FADERIX_VIRTUAL_MIXER   JSON description of the virtual mixer\n"
    "  FADERIX_MIXER_STATE     state file of the virtual mixer\n";

struct PostedMessage {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

struct CliHost {
    FaderixHost record{};
    std::vector<PostedMessage> queue;
};

void printMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
    case WM_PLUGIN_RESULT:
        std::printf("result %d %d\n", static_cast<int32_t>(wParam), static_cast<int32_t>(lParam));
        break;
    case WM_PLUGIN_ERROR:
        std::printf("error %s\n", reinterpret_cast<const char*>(wParam));
        break;
    case WM_PLUGIN_CONTROL_INFO: {
        const auto* info = reinterpret_cast<const ControlInfoRecord*>(lParam);
        std::printf("control-info %d %s\t%s\n", static_cast<int32_t>(wParam), info->lineName,
                    info->controlName);
        break;
    }
    default:
        std::printf("message 0x%X %lu %ld\n", message, static_cast<unsigned long>(wParam),
                    static_cast<long>(lParam));
        break;
    }
    std::fflush(stdout);
}

// Posted messages wait in the queue until the call has returned, as they would in a message loop.
int32_t postMessage(FaderixHost* host, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    reinterpret_cast<CliHost*>(host->context)->queue.push_back({message, wParam, lParam});
    return 1;
}

intptr_t sendMessage(FaderixHost*, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    printMessage(message, wParam, lParam);
    return 0;
}

void drain(CliHost& host) {
    for (const PostedMessage& posted : host.queue) {
        printMessage(posted.message, posted.wParam, posted.lParam);
    }
    host.queue.clear();
}

std::string defaultPluginPath() {
    std::string executable(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", executable.data(), executable.size() - 1);
    executable.resize(length > 0 ? static_cast<size_t>(length) : 0);
    const auto slash = executable.find_last_of('/');
    return (slash == std::string::npos ? std::string(".") : executable.substr(0, slash)) +
           "/Mixer/Faderix.so";
}

template <typename Fn> Fn resolve(void* library, const char* name) {
    return reinterpret_cast<Fn>(::dlsym(library, name));
}

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
        std::fputs(kUsage, stdout);
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::puts("faderix-cli " FADERIX_CLI_VERSION);
        return 0;
    }
    std::string pluginPath = defaultPluginPath();
    if (args.size() >= 2 && args[0] == "--plugin") {
        pluginPath = args[1];
        args.erase(args.begin(), args.begin() + 2);
    } else if (!args.empty() && args[0].rfind("--plugin=", 0) == 0) {
        pluginPath = args[0].substr(9);
        args.erase(args.begin());
    }
    if (args.empty()) {
        return usage();
    }
    const std::string command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());

    std::optional<faderix_cli::ManualArguments> manual;
    if (command == "manual") {
        std::string error;
        manual = faderix_cli::ManualArguments::parse(rest, error);
        if (!manual) {
            std::fprintf(stderr, "faderix-cli: %s\n", error.c_str());
            return 2;
        }
    } else if (!(command == "list" && rest.empty()) &&
               !(command == "apply" && (rest.size() == 1 || rest.size() == 2)) &&
               !(command == "setup" && rest.size() == 1)) {
        return usage();
    }
    std::optional<int32_t> tag = 0;
    if (command == "apply" && rest.size() == 2 && !(tag = faderix_cli::parseInteger(rest[1]))) {
        std::fprintf(stderr, "faderix-cli: the tag must be a 32-bit integer: %s\n", rest[1].c_str());
        return 2;
    }

    void* library = ::dlopen(pluginPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        std::fprintf(stderr, "faderix-cli: cannot load %s: %s\n", pluginPath.c_str(), ::dlerror());
        return 1;
    }
    const auto open = resolve<FaderixOpenFn>(library, "Open");
    const auto close = resolve<FaderixCloseFn>(library, "Close");
    const auto setup = resolve<FaderixActionSetupFn>(library, "ActionSetup");
    const auto preset = resolve<FaderixActionPresetFn>(library, "ActionPreset");
    const auto enumerate = resolve<FaderixEnumActionPresetFn>(library, "EnumActionPreset");
    const auto manualCall = resolve<FaderixActionManualFn>(library, "ActionManual");
    if (!open || !close || !setup || !preset || !enumerate || !manualCall) {
        std::fprintf(stderr, "faderix-cli: %s is not a Faderix plug-in\n", pluginPath.c_str());
        ::dlclose(library);
        return 1;
    }

    CliHost host;
    host.record.size = sizeof(FaderixHost);
    host.record.context = &host;
    host.record.post = postMessage;
    host.record.send = sendMessage;
    open(0, &host.record, 0);

    if (command == "list") {
        char name[256];
        for (int32_t index = 0; enumerate(index, name, sizeof name) != 0; ++index) {
            std::printf("%s\n", name);
        }
    } else if (command == "apply") {
        preset(rest[0].c_str(), *tag);
    } else if (command == "manual") {
        manualCall(&manual->params(), 0);
    } else {
        setup(rest[0].c_str());
        preset(rest[0].c_str(), 0);
    }
    drain(host);
    close();
    ::dlclose(library);
    return 0;
}
