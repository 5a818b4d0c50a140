// SPDX-License-Identifier: GPL-2.0-or-later
#include "analog_video_standard.h"

const std::array<VideoStandardRow, 20> AnalogVideoStandardTable = {{
    {"None", 0},           {"NTSC_M", 0x1},      {"NTSC_M_J", 0x2},     {"NTSC_433", 0x4},
    {"PAL_B", 0x10},       {"PAL_D", 0x20},      {"PAL_H", 0x80},       {"PAL_I", 0x100},
    {"PAL_M", 0x200},      {"PAL_N", 0x400},     {"PAL_60", 0x800},     {"SECAM_B", 0x1000},
    {"SECAM_D", 0x2000},   {"SECAM_G", 0x4000},  {"SECAM_H", 0x8000},   {"SECAM_K", 0x10000},
    {"SECAM_K1", 0x20000}, {"SECAM_L", 0x40000}, {"SECAM_L1", 0x80000}, {"PAL_N_COMBO", 0x100000},
}};

std::optional<int> AnalogVideoStandardRow(std::int32_t value) {
    for (std::size_t row = 0; row < AnalogVideoStandardTable.size(); ++row) {
        if (AnalogVideoStandardTable[row].value == value) {
            return static_cast<int>(row);
        }
    }
    return std::nullopt;
}
