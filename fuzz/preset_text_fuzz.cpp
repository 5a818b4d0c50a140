// SPDX-License-Identifier: GPL-2.0-or-later
// Text preset files: the INI form, with whatever counts, sections, names and numbers they hold.
#include "preset_reading.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A file whose first four bytes count 1 to 9 items is read as binary; that is the other target's input.
    if (size >= 4 && data[1] == 0 && data[2] == 0 && data[3] == 0 && data[0] >= 1 &&
        data[0] <= faderix::kMaxBinaryItems) {
        return -1;
    }
    fuzz::ReadApplyAndResave(data, size);
    return 0;
}
