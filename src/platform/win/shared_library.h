// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Loading a shared library shipped beside the program. Relative paths are resolved against the folder of the
// running executable only, never the current directory or the library search path, so a stray file elsewhere
// cannot be loaded in its place.

#include <string>

class SharedLibrary {
public:
    SharedLibrary() = default;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;
    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    ~SharedLibrary();

    // Loads the library; a relative path is taken from the executable's folder. False on failure, with
    // errorText() saying why.
    bool load(const std::string& path);
    void unload();
    bool isLoaded() const { return handle_ != nullptr; }

    // The exported symbol, or null when the library does not export it.
    void* symbol(const char* name) const;
    template <typename Function> Function function(const char* name) const {
        return reinterpret_cast<Function>(symbol(name));
    }

    const std::string& errorText() const { return error_; }
    const std::string& loadedPath() const { return path_; }

    // The folder holding the running executable, without a trailing slash.
    static std::string executableFolder();
    static std::string resolveBesideExecutable(const std::string& path);

private:
    void* handle_ = nullptr;
    std::string path_;
    std::string error_;
};
