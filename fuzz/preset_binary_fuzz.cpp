// SPDX-License-Identifier: GPL-2.0-or-later
// Binary preset files: a count of 1 to 9 items, then 140-byte records, as long or as short as they come.
#include "preset_reading.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte picks the count, so every input takes the binary path.
    if (size == 0) {
        return -1;
    }
    std::vector<std::uint8_t> file = {static_cast<std::uint8_t>(data[0] % faderix::kMaxBinaryItems + 1), 0, 0,
                                      0};
    file.insert(file.end(), data + 1, data + size);
    fuzz::ReadApplyAndResave(file.data(), file.size());
    return 0;
}
