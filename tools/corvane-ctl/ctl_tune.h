// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// corvane-ctl tune tv|radio: tunes the TV tuner of the capture device, or the radio tuner, as the channel
// list or the station list does and prints what the tuner then reports.

#include "ctl_arguments.h"

#include <cstdio>

class Clock;

// Prints "frequency HZ", "fine-tuning %+d" and "signal locked" or "signal none" to out, every message to
// err; returns the exit status. The tuner settles on clock.
int TuneTv(const CtlArguments& args, Clock& clock, std::FILE* out, std::FILE* err);

// Prints "frequency HZ" and "fine-tuning %+d" to out, every message to err; returns the exit status. The
// radio tuner chosen on the Radio page (or --device) is tuned in FM mode; it settles on clock.
int TuneRadio(const CtlArguments& args, Clock& clock, std::FILE* out, std::FILE* err);
