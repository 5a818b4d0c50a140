// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One process at a time per device that cannot be shared: the program and corvane-ctl both take a lock file
// per V4L2 node or ALSA hw: card in $XDG_RUNTIME_DIR/corvane/ before they make the device's filter, keyed by
// the device's path ("/dev/video0", "hw:1"). The lock is an flock on the file, so it goes away with the
// process however that ends; the file itself keeps the holder's process id for the message. Devices without
// a path (the virtual card, which each process has its own of, and sound-server sources) take no lock.

#include <string>
#include <sys/types.h>

struct IMoniker;

class DeviceLock {
public:
    DeviceLock() = default;
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;
    DeviceLock(DeviceLock&& other) noexcept;
    DeviceLock& operator=(DeviceLock&& other) noexcept;
    ~DeviceLock();

    // Takes the lock of the device whose key is key. False when another holder has it (busyMessage() says
    // who, naming the device as shownName, or key when that is empty) or the lock file cannot be made; a
    // lock already held by this object is released first.
    bool acquire(const std::string& key, const std::string& shownName = {});
    void release();
    bool held() const { return fd_ >= 0; }

    // "device busy: NAME is in use by process PID" after a refused acquire; empty otherwise.
    const std::string& busyMessage() const { return busyMessage_; }

    // The folder of the lock files: $XDG_RUNTIME_DIR/corvane, or corvane-UID in the temporary folder
    // where the session has no runtime folder.
    static std::string lockFolder();
    // The lock file of a device: its name with every character that is not a letter, a digit, '.', '-' or
    // '_' written as '_', and ".lock".
    static std::string lockPath(const std::string& name);

private:
    int fd_ = -1;
    std::string busyMessage_;
};

// The friendly name of a device, or its display name when it has none: how a busy message names it.
std::string DeviceFriendlyName(IMoniker* moniker);
// What the device's lock is keyed by: its "DevicePath" property; empty for a device that takes no lock.
std::string DeviceLockKey(IMoniker* moniker);
