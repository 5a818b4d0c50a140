// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The one record through which the graphs, the pages and the video window share the picture.

#include "picture_shape.h"
#include "platform/com/ref_ptr.h"
#include "platform/media/video_window.h"

#include <cstdint>

class QWidget;

struct VideoTargetRecord {
    std::int32_t placeLeft = 0;
    std::int32_t placeTop = 0;
    std::int32_t clientWidth = 0;
    std::int32_t clientHeight = 0;
    std::int32_t videoWidth = 0;
    std::int32_t videoHeight = 0;
    // The active graph's video window; null when no video is attached.
    RefPtr<IVideoWindow> window;
    // The video window form, given to renderers as their owner and message drain.
    OAHWND owner = nullptr;
    bool panorama = false;
    // The shape the picture is laid out and zoomed at (the video window's "Aspect" for the page shown).
    PictureShape aspect = PictureShape::Square;
};

extern VideoTargetRecord VideoTarget;

// Where the video window stood when a page was left: left, top, client width, client height.
struct VideoPlacement {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t clientWidth = 0;
    std::int32_t clientHeight = 0;
};

// Makes the active graph's video window a child of the form and shows it; E_FAIL when there is none.
HRESULT AttachVideo(QWidget* form);
// Takes the video away from the form and releases it.
void DetachVideo();
// Places the picture inside the form's client area, keeping its proportions or in Panorama mode.
void LayoutVideo();
// Width over height of the attached picture as shown at the target's aspect; 0 without a picture size.
double ShownVideoAspect();
// The width the attached picture takes at its shown height (the native height): the native width in square
// pixels, 768 for a 720 x 576 frame at 4:3.
std::int32_t ShownVideoWidth();
// Centres the video window and the main window side by side, the main window on the right.
void PlaceBesideMainWindow(QWidget* form, QWidget* mainWindow);

// The layout rule alone: where a picture of vw x vh goes in a client area of cw x ch.
struct VideoRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const VideoRect&, const VideoRect&) = default;
};
// False when either size is empty, in which case the layout is left as it was.
bool ComputeVideoLayout(std::int32_t cw, std::int32_t ch, std::int32_t vw, std::int32_t vh, bool panorama,
                        VideoRect& out);
