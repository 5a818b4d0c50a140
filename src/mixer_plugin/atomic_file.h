#pragma once

#include <optional>
#include <string>

namespace faderix {

struct AtomicWriteOptions {
    bool makeFolders = false; // create missing parent folders
    bool durable = true;      // flush to disk before the rename, so even a power cut leaves old or new
};

// Writes `contents` to a temporary file beside `path` and renames it over `path`, so a reader or a
// crash never sees a half-written file.
bool writeFileAtomically(const std::string& path, const std::string& contents,
                         AtomicWriteOptions options = {});

// The whole file, or nothing when it cannot be read.
std::optional<std::string> readWholeFile(const std::string& path);

} // namespace faderix
