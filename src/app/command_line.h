// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The options the program answers on standard output without opening a window. Every other argument is a
// file for the playlist.

#include <cstdio>
#include <optional>

// The window title, and the answer to --version.
inline constexpr const char* kApplicationTitle = "Corvane 1.0.0.6";

// When the only argument is -h, --help or --version, prints the answer and gives the exit code; otherwise
// nothing, and the program starts.
std::optional<int> AnswerInformationOption(int argc, const char* const* argv, std::FILE* out);
