// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Small helpers for building DeviceControlEntry lists from a device's interfaces.

#include "device_control_pages.h"

// What a LONG getter answers, 0 when it fails.
template <typename Getter> std::int32_t ReadLong(Getter getter) {
    LONG value = 0;
    return getter(&value) >= 0 ? value : 0;
}

inline DeviceControl MenuControl(std::uint32_t id, const char* name, std::vector<DeviceControlItem> items,
                                 bool readOnly = false) {
    DeviceControl control;
    control.id = id;
    control.kind = DeviceControl::Kind::Menu;
    control.name = name;
    control.items = std::move(items);
    control.readOnly = readOnly;
    return control;
}

inline DeviceControl SwitchControl(std::uint32_t id, const char* name, bool readOnly = false) {
    DeviceControl control;
    control.id = id;
    control.kind = DeviceControl::Kind::Boolean;
    control.name = name;
    control.maximum = 1;
    control.readOnly = readOnly;
    return control;
}

inline DeviceControl NumberControl(std::uint32_t id, const char* name, std::int32_t minimum,
                                   std::int32_t maximum, std::int32_t step, std::int32_t defaultValue,
                                   bool readOnly = false) {
    DeviceControl control;
    control.id = id;
    control.name = name;
    control.minimum = minimum;
    control.maximum = maximum;
    control.step = step;
    control.defaultValue = defaultValue;
    control.readOnly = readOnly;
    return control;
}
