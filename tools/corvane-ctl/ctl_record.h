// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// corvane-ctl record: one recording through the program's own TTunerTools, from the devices and compressors
// the program's settings name unless the command line names others.

#include "ctl_arguments.h"

#include <cstdio>

// Records, printing the figures once a second to out and every message to err; returns the exit status.
// Ends early on SIGINT or SIGTERM with a complete file.
int RecordCapture(const CtlArguments& args, std::FILE* out, std::FILE* err);
