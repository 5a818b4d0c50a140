// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Reading and writing a kernel-streaming property structure as a caller hands it to IKsPropertySet: the whole
// structure in data, or only the part past its KSPROPERTY header in instance.

#include "tv_device_interfaces.h"

#include <cstring>

template <typename T>
bool ReadProperty(void* instance, DWORD instanceLength, void* data, DWORD dataLength, T* out) {
    if (data && dataLength >= sizeof(T)) {
        std::memcpy(out, data, sizeof(T));
        return true;
    }
    if (instance && instanceLength >= InstanceSizeOf<T>()) {
        std::memcpy(InstanceDataOf(*out), instance, InstanceSizeOf<T>());
        return true;
    }
    return false;
}

template <typename T> HRESULT WriteProperty(const T& value, void* data, DWORD dataLength, DWORD* returned) {
    if (!data) {
        return E_POINTER;
    }
    if (dataLength < sizeof(T)) {
        return E_UNEXPECTED;
    }
    std::memcpy(data, &value, sizeof(T));
    if (returned) {
        *returned = sizeof(T);
    }
    return S_OK;
}
