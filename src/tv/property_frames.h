// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The settings pages an object publishes, as the TV page opens them: a modal frame on the object's own pages.
// The media engine provides them in the program; tests hand in their own.

#include "platform/media/video_window.h"

class PropertyFrames {
public:
    virtual ~PropertyFrames() = default;
    // Whether the object answers ISpecifyPropertyPages with at least one page.
    virtual bool Publishes(IUnknown* object) = 0;
    // A modal frame on the object's pages, owned by owner at (30, 30) and without caption; returns when the
    // user closes it. False when the object has no pages or the frame could not be opened.
    virtual bool Open(OAHWND owner, IUnknown* object) = 0;
};
