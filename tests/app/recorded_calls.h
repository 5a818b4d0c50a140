// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the recording stand-in plug-in was called with, read through the library the program loaded.

#include <dlfcn.h>

#include <string>

// The calls the recording plug-in saw since the last time they were taken.
inline std::string TakeRecordedCalls() {
    void* handle = dlopen(RECORDING_PLUGIN, RTLD_NOW | RTLD_NOLOAD);
    if (!handle) {
        return "<not loaded>";
    }
    auto calls = reinterpret_cast<const char* (*)()>(dlsym(handle, "RecordedCalls"));
    auto clear = reinterpret_cast<void (*)()>(dlsym(handle, "ClearRecordedCalls"));
    std::string result = calls ? calls() : "<no log>";
    if (clear) {
        clear();
    }
    dlclose(handle);
    return result;
}
