// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Choosing a picker's entry by the name given on the command line.

#include "components/dev_cmb_pickers.h"

struct SettingsTargets;

#include <cstdio>
#include <optional>
#include <string>

// Selects the entry named exactly name; false when the picker has none.
bool ChooseByName(DevicePickerCombo& picker, const std::string& name);

// The device the program's settings chose in picker (one of targets), or the one named on the command line;
// null after saying on err why there is none. what names the kind of device in the messages.
IMoniker* PickedDevice(const SettingsTargets& targets, DevicePickerCombo& picker,
                       const std::optional<std::string>& name, const char* what, std::FILE* err);

// The video capture device named on the command line, or else the one the program's settings choose; null
// after an error on err when there is none.
IMoniker* ChooseVideoDevice(TVideoCaptureDevCombo& video, const std::optional<std::string>& name,
                            std::FILE* err);
