// SPDX-License-Identifier: GPL-2.0-or-later
#include "smart_tee_filter.h"

const wchar_t* const SmartTeeName = L"Smart Tee";

namespace {

constexpr guint kCaptureFrames = 25; // a second: the multiplexer interleaves about half a second ahead
constexpr guint kPreviewFrames = 2;

} // namespace

SmartTeeFilter::SmartTeeFilter(PinKind kind) : GstFilter(FilterRole::Decoder) {
    GstElement* bin = gst_bin_new(nullptr);
    setBin(bin);
    GstElement* tee = gst_element_factory_make("tee", nullptr);
    g_object_set(tee, "allow-not-linked", TRUE, nullptr);
    gst_bin_add(GST_BIN(bin), tee);
    GstPad* input = gst_element_get_static_pad(tee, "sink");
    addPin(L"Input", PINDIR_INPUT, kind, input);
    gst_object_unref(input);

    auto branch = [&](std::unique_ptr<CaptureOutput>& output, const wchar_t* name, const Guid& category,
                      guint frames) {
        GstPad* source = gst_element_request_pad_simple(tee, "src_%u");
        output = std::make_unique<CaptureOutput>(GST_BIN(bin), source, frames);
        gst_object_unref(source);
        output->setStreamControlled(false);
        GstPin& pin = addPin(name, PINDIR_OUTPUT, kind, output->pad());
        pin.setCategory(category);
        output->setPin(&pin);
    };
    branch(capture_, L"Capture", PIN_CATEGORY_CAPTURE, kCaptureFrames);
    branch(preview_, L"Preview", PIN_CATEGORY_PREVIEW, kPreviewFrames);
}

SmartTeeFilter::~SmartTeeFilter() {
    // The outputs' probes must not run once the outputs are gone.
    gst_element_set_state(element(), GST_STATE_NULL);
}

void* SmartTeeFilter::queryPinInterface(const GstPin& pin, const Guid& iid) {
    CaptureOutput* output = pin.category() == PIN_CATEGORY_PREVIEW ? preview_.get() : capture_.get();
    if (pin.direction() == PINDIR_OUTPUT && iid == IAMDroppedFrames::IID) {
        return static_cast<IAMDroppedFrames*>(output);
    }
    return nullptr;
}
