// SPDX-License-Identifier: GPL-2.0-or-later
// ActionPreset through the plug-in's C interface, as a host calls it: a four-item preset against the
// virtual mixer, after the preset's first load (so the file is read once and then served from memory).
#include "faderix.h"

#include <benchmark/benchmark.h>

#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

const char* const kFourItemPreset =
    "[Setup]\r\nCount=4\r\n"
    "[Item1]\r\nMixer=0\r\nID=0\r\nAction=5\r\nChecked=1\r\nName=0.Master.Volume\r\n"
    "[Item2]\r\nMixer=0\r\nID=0\r\nAction=2\r\nChecked=0\r\nName=0.Master.Mute\r\n"
    "[Item3]\r\nMixer=0\r\nID=0\r\nAction=8\r\nChecked=0\r\nName=0.Wave.Volume\r\n"
    "[Item4]\r\nMixer=0\r\nID=0\r\nAction=4\r\nChecked=0\r\n"
    "Name=1.Recording.Recording Source\r\n";

int32_t countPost(FaderixHost* host, uint32_t, uintptr_t, intptr_t) {
    ++*static_cast<int64_t*>(host->context);
    return 1;
}

class LoadedPlugin {
public:
    LoadedPlugin() {
        std::string pattern = (std::filesystem::temp_directory_path() / "faderix-bench-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data());
        std::filesystem::copy_file(FADERIX_PLUGIN_PATH, folder_ + "/Faderix.so");
        std::ofstream(folder_ + "/Bench.cfg") << kFourItemPreset;
        ::setenv("FADERIX_BACKEND", "virtual", 1);
        ::unsetenv("FADERIX_VIRTUAL_MIXER");
        ::setenv("FADERIX_MIXER_STATE", (folder_ + "/state.json").c_str(), 1);
        library_ = ::dlopen((folder_ + "/Faderix.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library_ == nullptr) {
            throw std::runtime_error(::dlerror());
        }
        open = reinterpret_cast<FaderixOpenFn>(::dlsym(library_, "Open"));
        close = reinterpret_cast<FaderixCloseFn>(::dlsym(library_, "Close"));
        preset = reinterpret_cast<FaderixActionPresetFn>(::dlsym(library_, "ActionPreset"));
    }
    ~LoadedPlugin() {
        ::dlclose(library_);
        std::filesystem::remove_all(folder_);
    }

    FaderixOpenFn open = nullptr;
    FaderixCloseFn close = nullptr;
    FaderixActionPresetFn preset = nullptr;

private:
    std::string folder_;
    void* library_ = nullptr;
};

void BM_ActionPresetFourItemsVirtualMixer(benchmark::State& state) {
    LoadedPlugin plugin;
    int64_t posted = 0;
    FaderixHost host{sizeof(FaderixHost), &posted, &countPost, nullptr, 0};
    plugin.open(0, &host, 0);
    plugin.preset("Bench", 0); // the first load reads and resolves the file
    for (auto _ : state) {
        benchmark::DoNotOptimize(plugin.preset("Bench", 0));
    }
    plugin.close();
    if (posted != static_cast<int64_t>(state.iterations()) + 1) {
        state.SkipWithError("a result message went missing");
    }
}
BENCHMARK(BM_ActionPresetFourItemsVirtualMixer)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
