// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// corvane-ctl snapshot: one frame of the program's preview, through its own TTunerTools, as a PNG file.

#include "ctl_arguments.h"

#include <cstdio>

class Clock;

// Runs the preview, lets kSnapshotSettleFrames frames pass (the picture settles after a tuning), writes the
// next one and prints "snapshot FILE WxH" to out; every message goes to err. Returns the exit status. Gives
// up after kSnapshotTimeoutMs without those frames.
int TakeSnapshot(const CtlArguments& args, Clock& clock, std::FILE* out, std::FILE* err);

constexpr int kSnapshotSettleFrames = 5;
constexpr int kSnapshotTimeoutMs = 10000;
