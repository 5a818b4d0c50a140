// SPDX-License-Identifier: GPL-2.0-or-later
#include "video_format.h"

#include <cstdlib>
#include <cstring>
#include <numeric>

namespace {

constexpr REFERENCE_TIME kUnitsPerSecond = 10000000;

const char* GstFormatName(const VideoFormat& format) {
    if (format.compression == FourCC_YUY2 && format.bitCount == 16) {
        return "YUY2";
    }
    if (format.compression == FourCC_I420 && format.bitCount == 12) {
        return "I420";
    }
    if (format.compression == BI_RGB && format.bitCount == 24) {
        return "BGR";
    }
    if (format.compression == BI_RGB && format.bitCount == 32) {
        return "BGRx";
    }
    return nullptr;
}

const Guid& SubtypeOf(const VideoFormat& format) {
    if (format.compression == FourCC_I420) {
        return MEDIASUBTYPE_I420;
    }
    return format.compression == BI_RGB ? MEDIASUBTYPE_RGB24 : MEDIASUBTYPE_YUY2;
}

} // namespace

DWORD FrameBytes(const VideoFormat& format) {
    const DWORD pixels = static_cast<DWORD>(format.width) * static_cast<DWORD>(std::abs(format.height));
    return pixels * format.bitCount / 8;
}

AM_MEDIA_TYPE* NewMediaType(const VideoFormat& format) {
    auto* type = new AM_MEDIA_TYPE;
    type->majortype = MEDIATYPE_Video;
    type->subtype = SubtypeOf(format);
    type->formattype = FORMAT_VideoInfo;
    type->formatBlock.resize(sizeof(VIDEOINFOHEADER));
    VIDEOINFOHEADER& header = *VideoInfoOf(type);
    header = VIDEOINFOHEADER{};
    header.AvgTimePerFrame = format.avgTimePerFrame;
    header.bmiHeader.biWidth = format.width;
    header.bmiHeader.biHeight = format.height;
    header.bmiHeader.biBitCount = format.bitCount;
    header.bmiHeader.biCompression = format.compression;
    header.bmiHeader.biSizeImage = FrameBytes(format);
    if (format.avgTimePerFrame > 0) {
        header.dwBitRate = static_cast<DWORD>(std::uint64_t(FrameBytes(format)) * 8 * kUnitsPerSecond /
                                              format.avgTimePerFrame);
    }
    if (GstCaps* caps = CapsOf(format)) {
        gchar* text = gst_caps_to_string(caps);
        type->format = text;
        g_free(text);
        gst_caps_unref(caps);
    }
    return type;
}

AM_MEDIA_TYPE* NewMediaType(const AudioFormat& format) {
    auto* type = new AM_MEDIA_TYPE;
    type->majortype = MEDIATYPE_Audio;
    type->subtype = MEDIASUBTYPE_PCM;
    type->formattype = FORMAT_WaveFormatEx;
    type->formatBlock.resize(sizeof(WAVEFORMATEX));
    WAVEFORMATEX wave;
    wave.wFormatTag = WAVE_FORMAT_PCM;
    wave.nChannels = format.channels;
    wave.nSamplesPerSec = format.samplesPerSec;
    wave.wBitsPerSample = format.bitsPerSample;
    wave.nBlockAlign = static_cast<WORD>(format.channels * format.bitsPerSample / 8);
    wave.nAvgBytesPerSec = format.samplesPerSec * wave.nBlockAlign;
    std::memcpy(type->formatBlock.data(), &wave, sizeof(wave));
    if (GstCaps* caps = CapsOf(format)) {
        gchar* text = gst_caps_to_string(caps);
        type->format = text;
        g_free(text);
        gst_caps_unref(caps);
    }
    return type;
}

std::optional<VideoFormat> VideoFormatOf(const AM_MEDIA_TYPE& type) {
    const VIDEOINFOHEADER* header = VideoInfoOf(&type);
    if (type.majortype != MEDIATYPE_Video || !header) {
        return std::nullopt;
    }
    VideoFormat format;
    format.width = header->bmiHeader.biWidth;
    format.height = header->bmiHeader.biHeight;
    format.compression = header->bmiHeader.biCompression;
    format.bitCount = header->bmiHeader.biBitCount;
    format.avgTimePerFrame = header->AvgTimePerFrame;
    if (!GstFormatName(format) || format.width <= 0 || format.height == 0 || format.avgTimePerFrame <= 0) {
        return std::nullopt;
    }
    return format;
}

std::optional<AudioFormat> AudioFormatOf(const AM_MEDIA_TYPE& type) {
    const WAVEFORMATEX* wave = WaveFormatOf(&type);
    if (type.majortype != MEDIATYPE_Audio || !wave || wave->wFormatTag != WAVE_FORMAT_PCM) {
        return std::nullopt;
    }
    AudioFormat format{wave->nSamplesPerSec, wave->nChannels, wave->wBitsPerSample};
    const bool bitsKnown = format.bitsPerSample == 8 || format.bitsPerSample == 16;
    if (!bitsKnown || format.channels < 1 || format.channels > 2 || format.samplesPerSec < 8000 ||
        format.samplesPerSec > 96000) {
        return std::nullopt;
    }
    return format;
}

GstCaps* CapsOf(const VideoFormat& format) {
    const char* name = GstFormatName(format);
    if (!name || format.avgTimePerFrame <= 0) {
        return nullptr;
    }
    // The frame rate as an exact fraction of the frame time: 400000 units is 25/1.
    const REFERENCE_TIME divisor = std::gcd(kUnitsPerSecond, format.avgTimePerFrame);
    return gst_caps_new_simple(
        "video/x-raw", "format", G_TYPE_STRING, name, "width", G_TYPE_INT, static_cast<int>(format.width),
        "height", G_TYPE_INT, static_cast<int>(std::abs(format.height)), "framerate", GST_TYPE_FRACTION,
        static_cast<int>(kUnitsPerSecond / divisor), static_cast<int>(format.avgTimePerFrame / divisor),
        "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr);
}

GstCaps* CapsOf(const AudioFormat& format) {
    return gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING,
                               format.bitsPerSample == 8 ? "U8" : "S16LE", "layout", G_TYPE_STRING,
                               "interleaved", "rate", G_TYPE_INT, static_cast<int>(format.samplesPerSec),
                               "channels", G_TYPE_INT, static_cast<int>(format.channels), nullptr);
}
