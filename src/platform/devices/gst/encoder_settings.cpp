// SPDX-License-Identifier: GPL-2.0-or-later
#include "encoder_settings.h"

void* EncoderSettings::find(const Guid& iid) {
    if (iid == ISpecifyPropertyPages::IID) {
        return static_cast<ISpecifyPropertyPages*>(this);
    }
    if (iid == IElementProperties::IID) {
        return static_cast<IElementProperties*>(this);
    }
    if (iid == IElementSettings::IID) {
        return static_cast<IElementSettings*>(this);
    }
    return nullptr;
}

HRESULT EncoderSettings::GetPages(CAUUID* pages) {
    return ListOnePage(pages, CLSID_CompressorPropertiesPage);
}

std::string EncoderSettings::settingsKey() {
    GstElementFactory* factory = gst_element_get_factory(encoder_);
    return factory ? GST_OBJECT_NAME(factory) : "";
}

HRESULT EncoderSettings::applySetting(const std::string& name, const std::string& value, std::string* why) {
    std::string reason;
    if (ApplyElementSetting(encoder_, name, value, reason)) {
        return S_OK;
    }
    if (why) {
        *why = reason;
    }
    return E_INVALIDARG;
}
