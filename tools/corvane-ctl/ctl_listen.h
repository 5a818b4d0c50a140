// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// corvane-ctl listen tv|radio MHZ [SECONDS]: tunes as `tune` does, prints its lines, and plays the card's
// sound on the desktop's output through the program's own card-sound renderer, until SECONDS have passed
// or Ctrl+C. The device locks apply as in the program.

#include <cstdio>

struct CtlArguments;

// Runs the command in a running QApplication; returns the exit status.
int Listen(const CtlArguments& args, std::FILE* out, std::FILE* err);
