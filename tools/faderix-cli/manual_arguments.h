// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "faderix.h"

#include <optional>
#include <string>
#include <vector>

namespace faderix_cli {

// The parameters of one "manual" command, owning the texts that the ManualParams record points to.
class ManualArguments {
public:
    // An argument that reads whole as a decimal or "0x" hexadecimal 32-bit integer is a number, any other a
    // text; "--text=V" and "--num=V" force the kind. Nothing on a bad "--num" value or more than 4 arguments.
    static std::optional<ManualArguments> parse(const std::vector<std::string>& arguments,
                                                std::string& error);

    const ManualParams& params() const { return params_; }

    ManualArguments(const ManualArguments& other) { *this = other; }
    ManualArguments& operator=(const ManualArguments& other);

private:
    ManualArguments() = default;
    void pointAtTexts();

    std::vector<std::string> texts_;
    std::vector<bool> isText_;
    std::vector<int32_t> numbers_;
    ManualParams params_{};
};

// A whole decimal or "0x" hexadecimal integer that fits 32 bits (signed or unsigned).
std::optional<int32_t> parseInteger(const std::string& text);

} // namespace faderix_cli
