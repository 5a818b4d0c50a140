// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A part of the virtual card that only switches or tunes signals (tuner, TV audio, crossbar): a filter of
// the engine whose pins are the card's analog wiring, with the card's device interface on it.

#include "platform/media/gst/gst_filter.h"

#include <string>

// The getter's answer: value into out, E_POINTER without somewhere to put it.
template <typename T, typename V> HRESULT Answer(T* out, V value) {
    if (!out) {
        return E_POINTER;
    }
    *out = static_cast<T>(value);
    return S_OK;
}

class AnalogFilter : public GstFilter {
protected:
    AnalogFilter() : GstFilter(FilterRole::Source) { setBin(gst_bin_new(nullptr)); }

    void addAnalogPin(const std::string& name, PIN_DIRECTION direction);
};
