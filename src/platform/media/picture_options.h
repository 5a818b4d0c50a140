#pragma once
// What the program's video window asks of a renderer beyond the platform's video window: how an interlaced
// picture is deinterlaced, what the stream says about the shape of its pixels, the shape the picture is shown
// at in full screen, and the lines of text drawn over it (never part of the picture itself).

#include "platform/com/unknown.h"

#include <QStringList>

#include <cstdint>

struct IVideoPictureOptions : IUnknown {
    static constexpr Guid IID = Guid::of("{6C0D2F51-3B8E-4C1A-9E37-2A5D7B14F0C3}");

    // "off" or one of DeinterlaceMethods(); E_INVALIDARG for anything else. Applies to progressive pictures
    // not at all: only caps that say the picture is interlaced are deinterlaced.
    virtual HRESULT put_Deinterlace(const char* choice) = 0;
    // The pixel aspect ratio of the stream's caps; VFW_E_NOT_CONNECTED before the first frame.
    virtual HRESULT GetPixelAspectRatio(std::int32_t* numerator, std::int32_t* denominator) = 0;
    // Width over height of the picture as shown; in full screen the picture is fitted at it with black bars.
    // 0 stretches it over the screen.
    virtual HRESULT put_DisplayAspect(double aspect) = 0;
    // Text drawn over the picture in the window and in full screen; an empty list draws nothing.
    virtual HRESULT put_OverlayText(const QStringList& lines) = 0;
};
