// SPDX-License-Identifier: GPL-2.0-or-later
#include "capture_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

namespace fs = std::filesystem;

fs::path KeptCaptureName(const fs::path& path, std::time_t written) {
    std::tm local{};
    localtime_r(&written, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "-%Y%m%d-%H%M%S", &local);
    const fs::path folder = path.parent_path();
    const std::string stem = path.stem().string() + stamp;
    const std::string extension = path.extension().string();
    fs::path kept = folder / (stem + extension);
    std::error_code ignored;
    for (int n = 1; fs::exists(fs::symlink_status(kept, ignored)); ++n) {
        kept = folder / (stem + "-" + std::to_string(n) + extension);
    }
    return kept;
}

std::error_code KeepPreviousCapture(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return errno == ENOENT ? std::error_code() : std::error_code(errno, std::generic_category());
    }
    // Only a recording (or a link to one) is moved aside; a device such as /dev/null named as the output is
    // written to, never renamed.
    if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) {
        return {};
    }
    std::error_code error;
    fs::rename(path, KeptCaptureName(path, info.st_mtime), error);
    return error;
}

namespace {

std::uint32_t Le32(const unsigned char* bytes) {
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
           std::uint32_t(bytes[3]) << 24;
}

// Whether the chunks of the list from begin to end hold "movi" followed by "idx1".
bool IndexFollowsMovi(std::FILE* file, long begin, long end) {
    bool movi = false;
    unsigned char head[12];
    for (long at = begin; at + 8 <= end;) {
        if (std::fseek(file, at, SEEK_SET) != 0 || std::fread(head, 1, 12, file) < 8) {
            return false;
        }
        const std::uint32_t size = Le32(head + 4);
        if (std::memcmp(head, "LIST", 4) == 0 && std::memcmp(head + 8, "movi", 4) == 0) {
            movi = true;
        } else if (std::memcmp(head, "idx1", 4) == 0 && movi) {
            return true;
        }
        at += 8 + static_cast<long>(size) + static_cast<long>(size & 1);
    }
    return false;
}

} // namespace

bool IsFinishedRecording(const fs::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        return true;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
        return false;
    }
    const auto fileSize = static_cast<std::uint64_t>(info.st_size);
    std::uint64_t at = 0;
    for (bool first = true; at + 12 <= fileSize; first = false) {
        unsigned char head[12];
        if (fseeko(file.get(), static_cast<off_t>(at), SEEK_SET) != 0 ||
            std::fread(head, 1, 12, file.get()) != 12 || std::memcmp(head, "RIFF", 4) != 0 ||
            std::memcmp(head + 8, first ? "AVI " : "AVIX", 4) != 0) {
            return false;
        }
        const std::uint64_t riffSize = Le32(head + 4);
        if (first && !IndexFollowsMovi(file.get(), 12, static_cast<long>(std::min(fileSize, 8 + riffSize)))) {
            return false;
        }
        at += 8 + riffSize;
    }
    return at == fileSize && at > 0;
}
