// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// corvane-ctl devices: every device of the seven pickers, one per line as CATEGORY<TAB>INDEX<TAB>NAME.

#include "components/dev_cmb_base.h"

#include <cstdio>

// The picker kinds in the pickers' order, with the category names the command prints.
struct CtlCategory {
    const DevicePickerKind& kind;
    const char* name;
};
extern const CtlCategory kCtlCategories[7];

// Lists the devices through pickers made with factory; returns the exit status.
int ListDevices(std::FILE* out, const DeviceEnumFactory& factory = CreateSystemDeviceEnum);
