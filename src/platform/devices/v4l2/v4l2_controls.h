// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A node's own controls as settings-page entries: every control VIDIOC_QUERY_EXT_CTRL lists that fits the
// page's model (integers, switches, menus with their items from VIDIOC_QUERYMENU, buttons), read and set
// through VIDIOC_G_CTRL / S_CTRL. Disabled controls, class headings and 64-bit, text or compound controls are
// left out.

#include "platform/devices/device_control_pages.h"
#include "v4l2_device.h"

#include <memory>

std::vector<DeviceControlEntry> V4l2DeviceControls(const std::shared_ptr<V4l2Device>& device);
