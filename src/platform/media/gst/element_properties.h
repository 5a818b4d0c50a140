// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Which properties of a GStreamer element are the user's settings, and those settings as text: what the
// generated settings page edits, what is stored of a compressor and what a command line may set. An effect
// and an encoder follow the same rules, so their pages and their stored values agree.

#include "platform/media/element_settings.h"

#include <gst/gst.h>

#include <string>
#include <vector>

// What the settings pages of an effect or an encoder edit: its element.
struct IElementProperties : IUnknown {
    static constexpr Guid IID = Guid::of("{0E7C2B55-6A6B-4F0B-8E51-9C1D2A3F4B60}");
    virtual GstElement* settingsElement() = 0;
};

// A setting whatever the element's state: readable and writable after construction, of a plain value type
// (no object, pointer or boxed value), and not one every element has ("name", "parent", "qos").
bool IsElementSetting(const GParamSpec* property);
// A setting the element takes now: those that apply only before it runs are not offered while it runs.
bool IsSettableNow(GstElement* element, const GParamSpec* property);

// The settings whose values differ from a new element of the same factory, serialised.
std::vector<ElementSetting> ChangedElementSettings(GstElement* element);
// Parses value for the setting name and sets it; false with the reason in why when the element has no such
// setting or the text is not one of its values.
bool ApplyElementSetting(GstElement* element, const std::string& name, const std::string& value,
                         std::string& why);
