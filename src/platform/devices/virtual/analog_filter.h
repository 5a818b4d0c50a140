#pragma once
// A part of the virtual card that only switches or tunes signals (tuner, TV audio, crossbar): a filter of
// the engine whose pins are the card's analog wiring, with the card's device interface on it.

#include "platform/media/gst/gst_filter.h"

#include <string>

class AnalogFilter : public GstFilter {
protected:
    AnalogFilter() : GstFilter(FilterRole::Source) { setBin(gst_bin_new(nullptr)); }

    void addAnalogPin(const std::string& name, PIN_DIRECTION direction);
};
