// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Settings-page controls of a video pin's format, read from and written through its IAMStreamConfig.

#include "device_control_pages.h"

// Frame size (among the pin's capabilities) and frame rate of a video pin. A change the pin refuses (such as
// while the graph runs) springs back.
std::vector<DeviceControlEntry> StreamFormatControls(IAMStreamConfig& config);
