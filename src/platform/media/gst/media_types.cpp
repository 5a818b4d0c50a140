// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/media/capture_interfaces.h"

VIDEOINFOHEADER* VideoInfoOf(AM_MEDIA_TYPE* type) {
    if (!type || type->formattype != FORMAT_VideoInfo || type->formatBlock.size() < sizeof(VIDEOINFOHEADER)) {
        return nullptr;
    }
    return reinterpret_cast<VIDEOINFOHEADER*>(type->formatBlock.data());
}

const VIDEOINFOHEADER* VideoInfoOf(const AM_MEDIA_TYPE* type) {
    return VideoInfoOf(const_cast<AM_MEDIA_TYPE*>(type));
}

const WAVEFORMATEX* WaveFormatOf(const AM_MEDIA_TYPE* type) {
    if (!type || type->formattype != FORMAT_WaveFormatEx || type->formatBlock.size() < sizeof(WAVEFORMATEX)) {
        return nullptr;
    }
    return reinterpret_cast<const WAVEFORMATEX*>(type->formatBlock.data());
}

void DeleteMediaType(AM_MEDIA_TYPE* type) {
    delete type;
}
