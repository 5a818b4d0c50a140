// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What several fuzz targets share: a scratch folder of the process for inputs that are read from files, and
// splitting one input into several texts.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// A fresh folder for this process, removed when it ends.
inline const std::filesystem::path& ScratchFolder() {
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "corvane-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        std::atexit([] { std::filesystem::remove_all(ScratchFolder()); });
        return std::filesystem::path(pattern);
    }();
    return folder;
}

// Writes the bytes to name in the scratch folder, replacing what was there, and gives its path.
inline std::string WriteScratchFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path path = ScratchFolder() / name;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path.string();
}

// Removes everything in the scratch folder, so no input sees what an earlier one left.
inline void ClearScratchFolder() {
    for (const auto& entry : std::filesystem::directory_iterator(ScratchFolder())) {
        std::filesystem::remove_all(entry.path());
    }
}

// The input cut at each separator byte; a trailing separator adds no empty part.
inline std::vector<std::string> Split(const std::uint8_t* data, std::size_t size, char separator) {
    std::vector<std::string> parts;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        parts.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

} // namespace fuzz
