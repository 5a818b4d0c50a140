// SPDX-License-Identifier: GPL-2.0-or-later
#include "device_lock.h"

#include "platform/com/ref_ptr.h"
#include "platform/devices/device_enum.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace {

bool IsPlain(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_';
}

// The holder's pid as written into the file; 0 when it cannot be read.
long ReadHolder(int fd) {
    char text[32] = {};
    const ssize_t length = ::pread(fd, text, sizeof text - 1, 0);
    return length > 0 ? std::strtol(text, nullptr, 10) : 0;
}

bool ReadDeviceProperty(IMoniker* moniker, const char* property, std::string* value) {
    RefPtr<IPropertyBag> bag;
    return SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IPropertyBag::IID,
                                            reinterpret_cast<void**>(bag.put()))) &&
           bag && SUCCEEDED(bag->Read(property, value));
}

} // namespace

DeviceLock::DeviceLock(DeviceLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), busyMessage_(std::move(other.busyMessage_)) {}

DeviceLock& DeviceLock::operator=(DeviceLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        busyMessage_ = std::move(other.busyMessage_);
    }
    return *this;
}

DeviceLock::~DeviceLock() {
    release();
}

std::string DeviceLock::lockFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) {
        return std::string(runtime) + "/corvane";
    }
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/corvane-" + std::to_string(::getuid());
}

std::string DeviceLock::lockPath(const std::string& name) {
    std::string file;
    file.reserve(name.size() + 5);
    for (char c : name) {
        file += IsPlain(c) ? c : '_';
    }
    return lockFolder() + "/" + file + ".lock";
}

bool DeviceLock::acquire(const std::string& key, const std::string& shownName) {
    release();
    busyMessage_.clear();
    const std::string folder = lockFolder();
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    const int fd = ::open(lockPath(key).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        busyMessage_ = "device busy: " + (shownName.empty() ? key : shownName) + " is in use by process " +
                       std::to_string(ReadHolder(fd));
        ::close(fd);
        return false;
    }
    // Without the pid written the lock still holds; another process would only name pid 0.
    const std::string pid = std::to_string(::getpid()) + "\n";
    [[maybe_unused]] const bool written =
        ::ftruncate(fd, 0) == 0 &&
        ::pwrite(fd, pid.data(), pid.size(), 0) == static_cast<ssize_t>(pid.size());
    fd_ = fd;
    return true;
}

void DeviceLock::release() {
    if (fd_ >= 0) {
        // Emptied before unlocking, so no later reader names a process that is gone.
        [[maybe_unused]] const int emptied = ::ftruncate(fd_, 0);
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
}

std::string DeviceFriendlyName(IMoniker* moniker) {
    std::string name;
    if (ReadDeviceProperty(moniker, "FriendlyName", &name)) {
        return name;
    }
    moniker->GetDisplayName(nullptr, nullptr, &name);
    return name;
}

std::string DeviceLockKey(IMoniker* moniker) {
    std::string path;
    return ReadDeviceProperty(moniker, "DevicePath", &path) ? path : std::string();
}
