// SPDX-License-Identifier: GPL-2.0-or-later
#include "capture_file.h"

#include <sys/stat.h>

#include <cerrno>

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
