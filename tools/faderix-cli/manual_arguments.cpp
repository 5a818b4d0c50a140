// SPDX-License-Identifier: GPL-2.0-or-later
#include "manual_arguments.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace faderix_cli {

std::optional<int32_t> parseInteger(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = text.c_str() + (hex ? 2 : 0);
    // strtoll would skip leading white space, but such an argument does not read whole as a number.
    if (*digits == '\0' || std::isspace(static_cast<unsigned char>(*digits)) ||
        (hex && (*digits == '-' || *digits == '+'))) {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(digits, &end, hex ? 16 : 10);
    if (errno != 0 || end == nullptr || *end != '\0' || value < INT32_MIN ||
        value > static_cast<long long>(UINT32_MAX)) {
        return std::nullopt;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

std::optional<ManualArguments> ManualArguments::parse(const std::vector<std::string>& arguments,
                                                      std::string& error) {
    if (arguments.size() > 4) {
        error = "manual takes at most 4 arguments";
        return std::nullopt;
    }
    ManualArguments result;
    for (const std::string& argument : arguments) {
        std::string text = argument;
        std::optional<int32_t> number;
        if (argument.rfind("--text=", 0) == 0) {
            text = argument.substr(7);
        } else if (argument.rfind("--num=", 0) == 0) {
            number = parseInteger(argument.substr(6));
            if (!number) {
                error = "not a 32-bit integer: " + argument.substr(6);
                return std::nullopt;
            }
        } else {
            number = parseInteger(argument);
        }
        result.texts_.push_back(number ? std::string() : text);
        result.isText_.push_back(!number);
        result.numbers_.push_back(number.value_or(0));
    }
    result.pointAtTexts();
    return result;
}

ManualArguments& ManualArguments::operator=(const ManualArguments& other) {
    texts_ = other.texts_;
    isText_ = other.isText_;
    numbers_ = other.numbers_;
    pointAtTexts();
    return *this;
}

void ManualArguments::pointAtTexts() {
    params_ = ManualParams{};
    params_.count = static_cast<int32_t>(texts_.size());
    for (size_t i = 0; i < texts_.size(); ++i) {
        params_.kind[i] = isText_[i] ? FADERIX_PARAM_TEXT : 1;
        params_.value[i] = isText_[i] ? reinterpret_cast<intptr_t>(texts_[i].c_str()) : numbers_[i];
    }
}

} // namespace faderix_cli
