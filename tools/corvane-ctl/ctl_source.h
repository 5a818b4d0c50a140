// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the card shows before a command runs its graph: the TV tuner's frequency, tuned as the channel list
// tunes, and the crossbar input chosen by name.

#include <cstdint>
#include <cstdio>
#include <string>

#include "ctl_arguments.h"

class Clock;
class CtlMessageBoxes;
class TTunerTools;

// PrepareTvTuner, TuneFrequency and the channel list's wait. 0, or the exit status after the error.
int TuneCard(TTunerTools& tools, CtlMessageBoxes& boxes, Clock& clock, const std::string& device,
             std::int32_t hertz, std::FILE* err);

// Routes the crossbar to the input named exactly name. 0, or 1 after an error naming the inputs there are.
int ChooseInput(TTunerTools& tools, CtlMessageBoxes& boxes, const std::string& device,
                const std::string& name, std::FILE* err);

// --tune, then --input, as the command line asks. 0, or the exit status after the error.
int PrepareSource(TTunerTools& tools, CtlMessageBoxes& boxes, Clock& clock, const std::string& device,
                  const CtlArguments& args, std::FILE* err);
