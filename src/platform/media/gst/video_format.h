// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Stream formats of capture pins in the platform's terms (VIDEOINFOHEADER, WAVEFORMATEX) and as GStreamer
// caps.

#include "platform/media/capture_interfaces.h"

#include <gst/gst.h>

#include <memory>
#include <optional>

struct VideoFormat {
    LONG width = 352;
    // As given: negative for a top-down picture. The picture has |height| lines either way.
    LONG height = 288;
    // FOURCC of a YUV format, or BI_RGB with bitCount 24 or 32.
    DWORD compression = 0;
    WORD bitCount = 16;
    REFERENCE_TIME avgTimePerFrame = 400000;

    friend bool operator==(const VideoFormat&, const VideoFormat&) = default;
};

struct AudioFormat {
    DWORD samplesPerSec = 44100;
    WORD channels = 2;
    WORD bitsPerSample = 16;

    friend bool operator==(const AudioFormat&, const AudioFormat&) = default;
};

constexpr DWORD MakeFourCC(char a, char b, char c, char d) {
    return static_cast<DWORD>(static_cast<std::uint8_t>(a)) |
           static_cast<DWORD>(static_cast<std::uint8_t>(b)) << 8 |
           static_cast<DWORD>(static_cast<std::uint8_t>(c)) << 16 |
           static_cast<DWORD>(static_cast<std::uint8_t>(d)) << 24;
}
constexpr DWORD FourCC_YUY2 = MakeFourCC('Y', 'U', 'Y', '2');
constexpr DWORD FourCC_I420 = MakeFourCC('I', '4', '2', '0');

// The media type describing the format, allocated for the caller (DeleteMediaType).
AM_MEDIA_TYPE* NewMediaType(const VideoFormat& format);
AM_MEDIA_TYPE* NewMediaType(const AudioFormat& format);
// The format a media type asks for; nullopt when it is no format of that kind or one the engine cannot
// deliver (unknown pixel layout, a bit count that does not match it, no frame rate).
std::optional<VideoFormat> VideoFormatOf(const AM_MEDIA_TYPE& type);
std::optional<AudioFormat> AudioFormatOf(const AM_MEDIA_TYPE& type);
// Raw caps for the format (frame size |height|); the caller owns them.
GstCaps* CapsOf(const VideoFormat& format);
GstCaps* CapsOf(const AudioFormat& format);
// Bytes of one frame.
DWORD FrameBytes(const VideoFormat& format);
