// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The filter that hosts one audio effect in a graph, as audioconvert ! EFFECT ! audioconvert: bare effects
// often refuse the stream's sample format, the converters take whatever the effect can work with.

#include "com_factory.h"
#include "dmo_interfaces.h"
#include "effect_catalog.h"
#include "element_properties.h"
#include "gst_filter.h"

class DmoWrapperFilter final : public GstFilter,
                               public IDMOWrapperFilter,
                               public ISpecifyPropertyPages,
                               public IElementProperties {
public:
    DmoWrapperFilter();

    HRESULT QueryInterface(const Guid& iid, void** object) override {
        return GstFilter::QueryInterface(iid, object);
    }
    std::uint32_t AddRef() override { return GstFilter::AddRef(); }
    std::uint32_t Release() override { return GstFilter::Release(); }

    HRESULT Init(const Guid& classId, const Guid& category) override;
    HRESULT GetPages(CAUUID* pages) override;
    GstElement* settingsElement() override { return effect_; }

private:
    void* queryOtherInterface(const Guid& iid) override;

    GstElement* effect_ = nullptr;
};

// An effect on its own, outside any graph: what its settings pages show before a file is loaded.
class StandaloneEffect final : public ComObject<ISpecifyPropertyPages, IElementProperties> {
public:
    // Takes the floating reference of the element.
    explicit StandaloneEffect(GstElement* element);

    HRESULT GetPages(CAUUID* pages) override;
    GstElement* settingsElement() override { return element_; }

private:
    ~StandaloneEffect() override;
    GstElement* element_;
};

// The one settings page every effect has.
HRESULT GetEffectPages(CAUUID* pages);
