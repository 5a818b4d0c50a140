// SPDX-License-Identifier: LGPL-2.1-or-later
#include "atomic_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace faderix {

namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

void makeFolderTree(const std::string& folder) {
    for (size_t pos = 1; pos <= folder.size(); ++pos) {
        if (pos == folder.size() || folder[pos] == '/') {
            ::mkdir(folder.substr(0, pos).c_str(), 0755);
        }
    }
}

bool writeAll(int fd, const std::string& contents) {
    size_t done = 0;
    while (done < contents.size()) {
        const ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// The file that a write of `path` replaces: a symbolic link is followed to its target, so renaming over it
// keeps the link (a user's presets kept elsewhere, a shared state file) instead of replacing it by a copy.
std::string linkTarget(const std::string& path) {
    constexpr int kMaxHops = 40;
    std::string current = path;
    for (int hop = 0; hop < kMaxHops; ++hop) {
        char target[PATH_MAX];
        const ssize_t length = ::readlink(current.c_str(), target, sizeof target);
        if (length < 0 || static_cast<size_t>(length) >= sizeof target) {
            return current;
        }
        const std::string next(target, static_cast<size_t>(length));
        current = next.front() == '/' ? next : folderOf(current) + "/" + next;
    }
    return current;
}

// New files are readable by everyone, as files made by the profile functions are; a replaced file keeps
// the mode (and, where permitted, the owner) its owner gave it.
void takeOverAttributes(int fd, const std::string& target) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) != 0) {
        ::fchmod(fd, 0644);
        return;
    }
    [[maybe_unused]] const int owned = ::fchown(fd, existing.st_uid, existing.st_gid);
    ::fchmod(fd, existing.st_mode & 07777);
}

} // namespace

bool writeFileAtomically(const std::string& path, const std::string& contents, AtomicWriteOptions options) {
    const std::string target = linkTarget(path);
    if (options.makeFolders) {
        makeFolderTree(folderOf(target));
    }
    std::string temporary = target + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return false;
    }
    takeOverAttributes(fd, target);
    const bool written = writeAll(fd, contents) && (!options.durable || ::fsync(fd) == 0);
    int failure = written ? 0 : (errno != 0 ? errno : EIO);
    if (::close(fd) != 0 && failure == 0) {
        failure = errno != 0 ? errno : EIO;
    }
    if (failure == 0 && std::rename(temporary.c_str(), target.c_str()) != 0) {
        failure = errno;
    }
    if (failure != 0) {
        std::remove(temporary.c_str());
        errno = failure;
        return false;
    }
    return true;
}

std::optional<std::string> readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

FileLock::FileLock(const std::string& lockPath) {
    makeFolderTree(folderOf(lockPath));
    fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        return;
    }
    int result = 0;
    while ((result = ::flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (result != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

FileLock::~FileLock() {
    if (fd_ >= 0) {
        // Closing the last descriptor releases the lock.
        ::close(fd_);
    }
}

} // namespace faderix
