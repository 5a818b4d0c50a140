#pragma once
// corvane-ctl tune tv: tunes the TV tuner of the capture device as the channel list does and prints what the
// tuner then reports.

#include "ctl_arguments.h"

#include <cstdio>

class Clock;

// Prints "frequency HZ", "fine-tuning %+d" and "signal locked" or "signal none" to out, every message to
// err; returns the exit status. The tuner settles on clock.
int TuneTv(const CtlArguments& args, Clock& clock, std::FILE* out, std::FILE* err);
