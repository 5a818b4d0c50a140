// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the video window's "Deinterlace" and "Aspect" menus chose, kept in the settings: one deinterlacing
// choice for every picture, and a shape for each page that shows one.

#include "picture_shape.h"
#include "platform/media/deinterlace_methods.h"

#include <string>

struct VideoWindowChoices {
    std::string deinterlace = kDefaultDeinterlace;
    PictureShape tvAspect = PictureShape::Auto;
    PictureShape playerAspect = PictureShape::Auto;
};
