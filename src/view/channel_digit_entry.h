#pragma once
// Channels chosen by number in the video window: one or two digits, counted from 1 as users count. A second
// digit ends the number at once; after a single digit a pause of kPauseMs ends it.

#include <cstdint>
#include <optional>
#include <string>

class ChannelDigitEntry {
public:
    static constexpr std::uint32_t kPauseMs = 1500;
    static constexpr int kMostDigits = 2;

    // A digit (0 to 9) typed at now, in milliseconds of the program's clock. The number when this digit
    // ends it.
    std::optional<int> type(int digit, std::uint32_t now);
    // The number typed so far once kPauseMs have passed since its last digit; nothing otherwise.
    std::optional<int> pause(std::uint32_t now);

    bool typing() const { return digits_ > 0; }
    // The digits typed so far, for the on-screen display.
    std::string typed() const;

private:
    std::optional<int> finish();

    int value_ = 0;
    int digits_ = 0;
    std::uint32_t lastDigitAt_ = 0;
};
