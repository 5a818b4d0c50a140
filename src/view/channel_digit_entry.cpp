#include "channel_digit_entry.h"

std::optional<int> ChannelDigitEntry::type(int digit, std::uint32_t now) {
    if (digit < 0 || digit > 9) {
        return std::nullopt;
    }
    value_ = value_ * 10 + digit;
    ++digits_;
    lastDigitAt_ = now;
    return digits_ >= kMostDigits ? finish() : std::nullopt;
}

std::optional<int> ChannelDigitEntry::pause(std::uint32_t now) {
    // Unsigned difference: right across the clock's wrap as well.
    if (!typing() || now - lastDigitAt_ < kPauseMs) {
        return std::nullopt;
    }
    return finish();
}

std::string ChannelDigitEntry::typed() const {
    return typing() ? std::to_string(value_) : std::string();
}

std::optional<int> ChannelDigitEntry::finish() {
    const int number = value_;
    value_ = 0;
    digits_ = 0;
    return number;
}
