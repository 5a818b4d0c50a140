// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// corvane-ctl listen tv|radio MHZ [SECONDS]: tunes as `tune` does, prints its lines, and plays the card's
// sound on the desktop's output through the program's own card-sound renderer, until SECONDS have passed
// or Ctrl+C. The device locks apply as in the program.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

struct CtlListen {
    enum class Band { Tv, Radio };
    Band band = Band::Radio;
    std::int32_t frequency = 0;
    // Until Ctrl+C when not given.
    std::optional<double> seconds;
    // radio: the radio tuner; tv: the video capture device (default: the program's).
    std::optional<std::string> device;
    // tv: the crossbar input.
    std::optional<std::string> input;
};

// The arguments after "listen", or nothing with the reason in error.
std::optional<CtlListen> ParseCtlListen(const std::vector<std::string>& args, std::string& error);

// Runs the command in a running QApplication; returns the exit status.
int Listen(const CtlListen& listen, std::FILE* out, std::FILE* err);
