// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The card's sound on the desktop's speakers: most Linux TV cards and radios deliver their sound as an audio
// capture device rather than on a cable into the line input, so the program plays it itself. The renderer
// is a filter of the media engine; the pages mute it with their mixer presets.

#include "platform/media/gst/filter_interfaces.h"

// What the desktop's volume controls are told the stream is.
enum class CardSoundRole { Video, Music };

struct ICardSound : IUnknown {
    static constexpr Guid IID = Guid::of("{49721791-A0A7-4D03-8428-02D4C5EE2690}");

    // Silences the stream, or lets it sound again, without stopping it.
    virtual HRESULT SetMuted(bool muted) = 0;
    virtual bool muted() const = 0;
    // Whether any sound has reached the output since the graph was built: a live graph takes a varying
    // moment to start.
    virtual bool Sounding() const = 0;
};

// Name of the renderer filter in a graph.
inline constexpr const wchar_t* kCardSoundRendererName = L"Card Sound";
