// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include <optional>
#include <string>

namespace faderix {

struct AtomicWriteOptions {
    bool makeFolders = false; // create missing parent folders
    bool durable = true;      // flush to disk before the rename, so even a power cut leaves old or new
};

// Writes `contents` to a temporary file beside `path` and renames it over `path`, so a reader or a
// crash never sees a half-written file. A symbolic link is written through to its target, and the target
// keeps its permissions (and its owner where that may be set). False when nothing could be written, with
// errno saying why.
bool writeFileAtomically(const std::string& path, const std::string& contents,
                         AtomicWriteOptions options = {});

// The whole file, or nothing when it cannot be read.
std::optional<std::string> readWholeFile(const std::string& path);

// An advisory lock (flock) held for the life of the object, on a lock file of its own: the file it guards
// is replaced by rename, which a lock on the file itself would not survive. Several processes that take it
// around a read, change and write of the guarded file never lose one another's changes. When the lock
// file cannot be made (a read-only folder) the work goes on unguarded; its write fails there anyway.
class FileLock {
public:
    explicit FileLock(const std::string& lockPath);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace faderix
