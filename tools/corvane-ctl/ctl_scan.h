// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// corvane-ctl scan tv|radio: the program's frequency search on the devices chosen in its pickers, over the
// stored list, which is then saved as the program saves it. The TV list is searched through the capture
// device's tuner, the radio list through the radio tuner.

#include "ctl_arguments.h"
#include "platform/registry/registry_path.h"

#include <cstdio>
#include <filesystem>

class Clock;

// Prints "find HZ new|updated signal|no-signal NAME" per find and "updated N, new N, incorrect N" at the
// end to out, every message to err; returns the exit status. Steps settle on clock.
int ScanChannels(const CtlArguments& args, Clock& clock, std::FILE* out, std::FILE* err,
                 const std::filesystem::path& registry = DefaultRegistryPath());
