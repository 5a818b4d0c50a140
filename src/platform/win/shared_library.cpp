// SPDX-License-Identifier: GPL-2.0-or-later
#include "shared_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <utility>

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), path_(std::move(other.path_)),
      error_(std::move(other.error_)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
    if (this != &other) {
        unload();
        handle_ = std::exchange(other.handle_, nullptr);
        path_ = std::move(other.path_);
        error_ = std::move(other.error_);
    }
    return *this;
}

SharedLibrary::~SharedLibrary() {
    unload();
}

std::string SharedLibrary::executableFolder() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) {
        return ".";
    }
    std::string exe(buffer, static_cast<std::size_t>(length));
    const auto slash = exe.rfind('/');
    return slash == std::string::npos ? std::string(".") : exe.substr(0, slash == 0 ? 1 : slash);
}

std::string SharedLibrary::resolveBesideExecutable(const std::string& path) {
    if (!path.empty() && path.front() == '/') {
        return path;
    }
    return executableFolder() + "/" + path;
}

bool SharedLibrary::load(const std::string& path) {
    unload();
    error_.clear();
    // An absolute path keeps dlopen from consulting the search path.
    path_ = resolveBesideExecutable(path);
    handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        error_ = why ? why : "unknown error";
        return false;
    }
    return true;
}

void SharedLibrary::unload() {
    if (handle_) {
        dlclose(handle_);
        handle_ = nullptr;
    }
}

void* SharedLibrary::symbol(const char* name) const {
    if (!handle_ || !name) {
        return nullptr;
    }
    dlerror();
    return dlsym(handle_, name);
}
