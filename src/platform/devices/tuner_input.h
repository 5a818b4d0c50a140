// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a tuner with one antenna input keeps for its user beyond the hardware: the country code and whether
// the input is cable or antenna; and which tuner properties it answers. The virtual card's tuner and the V4L2
// tuner answer IAMTVTuner's input calls and IKsPropertySet::QuerySupported with it.

#include "tv_device_interfaces.h"

class TunerInput {
public:
    HRESULT putCountryCode(LONG country) {
        if (country <= 0) {
            return E_INVALIDARG;
        }
        country_ = country;
        return S_OK;
    }
    HRESULT getCountryCode(LONG* country) const { return Give(country, country_); }
    static HRESULT numInputConnections(LONG* count) { return Give(count, 1); }
    HRESULT putInputType(LONG index, LONG type) {
        if (index != 0 || (type != TunerInputCable && type != TunerInputAntenna)) {
            return E_INVALIDARG;
        }
        inputType_ = type;
        return S_OK;
    }
    HRESULT getInputType(LONG index, LONG* type) const {
        if (!type) {
            return E_POINTER;
        }
        return index == 0 ? Give(type, inputType_) : E_INVALIDARG;
    }
    static HRESULT putConnectInput(LONG index) { return index == 0 ? S_OK : E_INVALIDARG; }
    static HRESULT getConnectInput(LONG* index) { return Give(index, 0); }

    // Mode and frequency are set and read, the status only read.
    static HRESULT propertySupport(const Guid& set, DWORD id, DWORD* support) {
        if (set != PROPSETID_TUNER) {
            return E_PROP_SET_UNSUPPORTED;
        }
        DWORD what = 0;
        if (id == KSPROPERTY_TUNER_MODE || id == KSPROPERTY_TUNER_FREQUENCY) {
            what = KSPROPERTY_SUPPORT_GET | KSPROPERTY_SUPPORT_SET;
        } else if (id == KSPROPERTY_TUNER_STATUS) {
            what = KSPROPERTY_SUPPORT_GET;
        } else {
            return E_PROP_ID_UNSUPPORTED;
        }
        if (support) {
            *support = what;
        }
        return S_OK;
    }

private:
    static HRESULT Give(LONG* out, LONG value) {
        if (!out) {
            return E_POINTER;
        }
        *out = value;
        return S_OK;
    }

    LONG country_ = 1;
    LONG inputType_ = TunerInputCable;
};
