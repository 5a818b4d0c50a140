// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// IAMStreamConfig of one pin of a virtual card filter: the filter keeps the format, this object gives the pin
// its interface (identity and reference count are the pin's).

#include "platform/media/gst/gst_filter.h"

class StreamFormats {
public:
    virtual ~StreamFormats() = default;
    virtual HRESULT currentFormat(const GstPin& pin, AM_MEDIA_TYPE** type) = 0;
    virtual HRESULT changeFormat(const GstPin& pin, const AM_MEDIA_TYPE& type) = 0;
    virtual int capabilityCount(const GstPin& pin) = 0;
    virtual AM_MEDIA_TYPE* capability(const GstPin& pin, int index) = 0;
};

class PinStreamConfig final : public IAMStreamConfig {
public:
    PinStreamConfig(StreamFormats& formats, GstPin& pin) : formats_(formats), pin_(pin) {}

    HRESULT QueryInterface(const Guid& iid, void** object) override {
        return pin_.QueryInterface(iid, object);
    }
    std::uint32_t AddRef() override { return pin_.AddRef(); }
    std::uint32_t Release() override { return pin_.Release(); }

    HRESULT GetFormat(AM_MEDIA_TYPE** type) override {
        if (!type) {
            return E_POINTER;
        }
        *type = nullptr;
        return formats_.currentFormat(pin_, type);
    }
    HRESULT SetFormat(AM_MEDIA_TYPE* type) override {
        return type ? formats_.changeFormat(pin_, *type) : E_POINTER;
    }
    HRESULT GetNumberOfCapabilities(int* count, int* size) override {
        if (!count || !size) {
            return E_POINTER;
        }
        *count = formats_.capabilityCount(pin_);
        *size = 0;
        return S_OK;
    }
    HRESULT GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE*) override {
        if (!type) {
            return E_POINTER;
        }
        if (index < 0 || index >= formats_.capabilityCount(pin_)) {
            return S_FALSE;
        }
        *type = formats_.capability(pin_, index);
        return S_OK;
    }

private:
    StreamFormats& formats_;
    GstPin& pin_;
};
