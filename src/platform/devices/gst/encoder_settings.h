// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A compressor's settings: the page generated from its element's properties (ISpecifyPropertyPages and the
// element it edits) and those settings as text to store and to give back (IElementSettings). Part of the
// compressor's filter, which counts its references.

#include "platform/media/element_settings.h"
#include "platform/media/gst/dmo_interfaces.h"
#include "platform/media/gst/element_properties.h"

#include <gst/gst.h>

class EncoderSettings final : public ISpecifyPropertyPages,
                              public IElementProperties,
                              public IElementSettings {
public:
    EncoderSettings(GstElement* encoder, IUnknown& filter) : encoder_(encoder), filter_(filter) {}

    // The interface of this object that iid names, or null.
    void* find(const Guid& iid);

    HRESULT QueryInterface(const Guid& iid, void** object) override {
        return filter_.QueryInterface(iid, object);
    }
    std::uint32_t AddRef() override { return filter_.AddRef(); }
    std::uint32_t Release() override { return filter_.Release(); }

    HRESULT GetPages(CAUUID* pages) override;
    GstElement* settingsElement() override { return encoder_; }
    std::string settingsKey() override;
    std::vector<ElementSetting> changedSettings() override { return ChangedElementSettings(encoder_); }
    HRESULT applySetting(const std::string& name, const std::string& value, std::string* why) override;

private:
    GstElement* encoder_;
    IUnknown& filter_;
};
