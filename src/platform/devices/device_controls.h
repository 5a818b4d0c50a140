// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A device's controls as a settings page sees them: numbers with a range and a step, switches, lists of named
// choices and buttons, each known by a number the device gives it. A device answers IDeviceControls and
// names CLSID_DeviceControlsPage among its pages; the property frame draws the page from the controls, so a
// device with new controls needs no new page. The model follows what drivers report of their controls (a
// V4L2 driver's extended controls map onto it one to one, menus included).

#include "platform/com/unknown.h"

#include <cstdint>
#include <string>
#include <vector>

struct DeviceControlItem {
    std::int32_t value = 0; // what SetValue takes to choose the item
    std::string name;
};

struct DeviceControl {
    enum class Kind { Integer, Boolean, Menu, Button };

    std::uint32_t id = 0;
    Kind kind = Kind::Integer;
    std::string name;
    // Integer: the range and the step; Boolean: 0 and 1; Menu and Button: unused but for defaultValue.
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
    std::int32_t step = 1;
    std::int32_t defaultValue = 0;
    std::vector<DeviceControlItem> items; // Menu: the choices in the device's order
    bool readOnly = false;                // shown, never set (a status the device reports)
};

struct IDeviceControls : IUnknown {
    static constexpr Guid IID = Guid::of("{8E0C6B52-3A7D-4D1B-9F65-2C7A4E19D0B3}");

    // The controls now: ranges and choices may depend on other controls (a tuner's band on its mode).
    virtual std::vector<DeviceControl> controls() = 0;
    // E_PROP_ID_UNSUPPORTED for an id the device does not have; a button has no value.
    virtual HRESULT GetValue(std::uint32_t id, std::int32_t* value) = 0;
    // Sets the value (a button is pressed, its value ignored). E_INVALIDARG for a value outside the range or
    // not among the choices, or one the device refuses; E_ACCESSDENIED for a read-only control.
    virtual HRESULT SetValue(std::uint32_t id, std::int32_t value) = 0;
};

// The settings page drawn from an object's IDeviceControls.
inline constexpr Guid CLSID_DeviceControlsPage = Guid::of("{3F9A1C74-6B2E-4E58-8D03-71B5C9E2A6F1}");
