// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// corvane-ctl tune tv|radio: tunes the TV tuner of the capture device, or the radio tuner, as the channel
// list or the station list does and prints what the tuner then reports.

#include "ctl_arguments.h"

#include <cstdint>
#include <cstdio>
#include <string>

class Clock;
class CtlMessageBoxes;
class TRadioTools;
class TTunerTools;

// Prints "frequency HZ", "fine-tuning %+d" and "signal locked" or "signal none" to out, every message to
// err; returns the exit status. The tuner settles on clock.
int TuneTv(const CtlArguments& args, Clock& clock, std::FILE* out, std::FILE* err);

// Prints "frequency HZ" and "fine-tuning %+d" to out, every message to err; returns the exit status. The
// radio tuner chosen on the Radio page (or --device) is tuned in FM mode; it settles on clock.
int TuneRadio(const CtlArguments& args, Clock& clock, std::FILE* out, std::FILE* err);

// The steps of both that listen shares, on a device already opened (named device in messages): tune hertz
// and print what the tuner reports, as above.
int TuneTvAndReport(TTunerTools& tools, CtlMessageBoxes& boxes, Clock& clock, const std::string& device,
                    std::int32_t hertz, std::FILE* out, std::FILE* err);
int TuneRadioAndReport(TRadioTools& radio, CtlMessageBoxes& boxes, Clock& clock, const std::string& device,
                       std::int32_t hertz, std::FILE* out, std::FILE* err);
