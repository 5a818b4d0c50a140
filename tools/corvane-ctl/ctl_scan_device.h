// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The device corvane-ctl scan sweeps: the TV tuner of the capture device chosen on the TV page, or the radio
// tuner chosen on the Radio page, opened as the program opens them. Apart from the list's side, so each
// holds one half of the command.

#include "channels/search_tuner.h"
#include "ctl_arguments.h"

#include <cstdio>
#include <filesystem>
#include <memory>

class Clock;
class CtlMessageBoxes;

class ScanDevice {
public:
    virtual ~ScanDevice() = default;
    virtual SearchTuner& tuner() = 0;
};

// The band's device as the program's pickers stored it; null when it cannot search, after the reason has
// been printed on err. The device's messages go to boxes.
std::unique_ptr<ScanDevice> OpenScanDevice(CtlArguments::Band band, const std::filesystem::path& registry,
                                           Clock& clock, CtlMessageBoxes& boxes, std::FILE* err);
