#pragma once

#include <optional>
#include <string>

namespace faderix {

// Writes `contents` to a temporary file beside `path` and renames it over `path`, so a reader or a
// crash never sees a half-written file. Creates missing parent folders when `makeFolders` is set.
bool writeFileAtomically(const std::string& path, const std::string& contents, bool makeFolders = false);

// The whole file, or nothing when it cannot be read.
std::optional<std::string> readWholeFile(const std::string& path);

} // namespace faderix
