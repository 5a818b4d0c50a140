// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The settings of an element behind a filter (a compressor) as named text values, so they can be stored and
// given on a command line without knowing the media framework: each value is text the framework parses back.

#include "platform/com/unknown.h"

#include <string>
#include <vector>

struct ElementSetting {
    std::string name;
    std::string value;
    bool operator==(const ElementSetting&) const = default;
};

struct IElementSettings : IUnknown {
    static constexpr Guid IID = Guid::of("{3F1B8E27-94C5-4D0A-B6E2-7A5C19D8E403}");

    // What the settings are stored under: the element's kind (its factory name), the same for every instance.
    virtual std::string settingsKey() = 0;
    // The settings whose values differ from those of a new element of the same kind, in property order.
    virtual std::vector<ElementSetting> changedSettings() = 0;
    // Sets one setting from its text. E_INVALIDARG when the element has no such setting, or the text is no
    // value of it (out of range included); why then says which, for the user.
    virtual HRESULT applySetting(const std::string& name, const std::string& value, std::string* why) = 0;
};
