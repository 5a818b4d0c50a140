// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include <array>
#include <cstdint>

namespace faderix {

// Captions by action code, as the setup dialog offers them and presets store the codes. "Set 75%",
// "Set 50%" and "Set 25%" stand twice on purpose: the two codes of each pair compute differently.
inline constexpr std::array<const char*, 30> kVolumeActions = {
    "<no action>", "Up 6% (1/16)", "Down 6% (1/16)", "Set 100%",         "Set 75%", "Set 50%",
    "Set 25%",     "Set 0%",       "Up 1.5% (1/64)", "Down 1.5% (1/64)", "Set 95%", "Set 90%",
    "Set 85%",     "Set 80%",      "Set 75%",        "Set 70%",          "Set 65%", "Set 60%",
    "Set 55%",     "Set 50%",      "Set 45%",        "Set 40%",          "Set 35%", "Set 30%",
    "Set 25%",     "Set 20%",      "Set 15%",        "Set 10%",          "Set 5%",  "Get current value only"};

inline constexpr std::array<const char*, 5> kSwitchActions = {"<no action>", "Check", "Uncheck", "Toggle",
                                                              "Get current value only"};

inline constexpr std::array<const char*, 2> kSourceActions = {"<no action>", "Select source"};

namespace volume_action {
constexpr uint16_t kUpSixteenth = 1;
constexpr uint16_t kDownSixteenth = 2;
constexpr uint16_t kFull = 3;
constexpr uint16_t kThreeQuarters = 4;
constexpr uint16_t kHalf = 5;
constexpr uint16_t kQuarter = 6;
constexpr uint16_t kZero = 7;
constexpr uint16_t kUpSixtyFourth = 8;
constexpr uint16_t kDownSixtyFourth = 9;
constexpr uint16_t kFirstPercent = 10; // 95 %, then 5 % less per code down to 28 (5 %)
constexpr uint16_t kLastPercent = 28;
constexpr uint16_t kReadOnly = 29;
} // namespace volume_action

namespace switch_action {
constexpr uint16_t kCheck = 1;
constexpr uint16_t kUncheck = 2;
constexpr uint16_t kToggle = 3;
constexpr uint16_t kReadOnly = 4;
} // namespace switch_action

} // namespace faderix
