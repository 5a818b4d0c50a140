// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A media type handed out by IAMStreamConfig::GetFormat, freed when it goes out of scope.

#include "platform/media/capture_interfaces.h"

struct OwnedMediaType {
    OwnedMediaType() = default;
    OwnedMediaType(const OwnedMediaType&) = delete;
    OwnedMediaType& operator=(const OwnedMediaType&) = delete;
    ~OwnedMediaType() {
        if (type) {
            DeleteMediaType(type);
        }
    }
    AM_MEDIA_TYPE* type = nullptr;
};
