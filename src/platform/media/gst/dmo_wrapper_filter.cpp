// SPDX-License-Identifier: GPL-2.0-or-later
#include "dmo_wrapper_filter.h"

DmoWrapperFilter::DmoWrapperFilter() : GstFilter(FilterRole::Effect) {}

void* DmoWrapperFilter::queryOtherInterface(const Guid& iid) {
    if (iid == IDMOWrapperFilter::IID) {
        return static_cast<IDMOWrapperFilter*>(this);
    }
    if (iid == ISpecifyPropertyPages::IID) {
        return static_cast<ISpecifyPropertyPages*>(this);
    }
    if (iid == IElementProperties::IID) {
        return static_cast<IElementProperties*>(this);
    }
    return nullptr;
}

HRESULT DmoWrapperFilter::Init(const Guid& classId, const Guid& category) {
    if (category != DMOCATEGORY_AUDIO_EFFECT) {
        return E_INVALIDARG;
    }
    if (element()) {
        return VFW_E_WRONG_STATE;
    }
    GstElement* effect = MakeEffectElement(classId);
    if (!effect) {
        return REGDB_E_CLASSNOTREG;
    }
    GstElement* inConvert = gst_element_factory_make("audioconvert", nullptr);
    GstElement* outConvert = gst_element_factory_make("audioconvert", nullptr);
    GstElement* bin = gst_bin_new(nullptr);
    gst_bin_add_many(GST_BIN(bin), inConvert, effect, outConvert, nullptr);
    if (!gst_element_link_many(inConvert, effect, outConvert, nullptr)) {
        gst_object_unref(gst_object_ref_sink(bin));
        return VFW_E_NO_ACCEPTABLE_TYPES;
    }
    effect_ = effect;
    setBin(bin);
    GstPad* input = gst_element_get_static_pad(inConvert, "sink");
    GstPad* output = gst_element_get_static_pad(outConvert, "src");
    addPin(L"in0", PINDIR_INPUT, PinKind::Audio, input);
    addPin(L"out0", PINDIR_OUTPUT, PinKind::Audio, output);
    gst_object_unref(input);
    gst_object_unref(output);
    return S_OK;
}

HRESULT GetEffectPages(CAUUID* pages) {
    return ListOnePage(pages, CLSID_EffectPropertiesPage);
}

HRESULT DmoWrapperFilter::GetPages(CAUUID* pages) {
    return effect_ ? GetEffectPages(pages) : E_UNEXPECTED;
}

StandaloneEffect::StandaloneEffect(GstElement* element)
    : element_(GST_ELEMENT(gst_object_ref_sink(element))) {}

StandaloneEffect::~StandaloneEffect() {
    gst_object_unref(element_);
}

HRESULT StandaloneEffect::GetPages(CAUUID* pages) {
    return GetEffectPages(pages);
}
