// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The texts the "Capture" sheet and the page's status bar show about the source: the status line (what is
// viewed or recorded, and its size) and the audio compressor's output format.

#include <string>

struct IAMStreamConfig;
struct IAMVideoCompression;
struct IBaseFilter;
struct WAVEFORMATEX;
class TTunerTools;

inline constexpr const char* kNoCaptureInfo = "Info: N/A";
inline constexpr const char* kNoAudioFormat = "N/A";
inline constexpr const char* kUnknownAudioFormat = "Can't get audio format";

// "Description - Version" of a compressor that describes itself, otherwise the capture device's name; at
// most 124 characters.
std::string CaptureSourceName(IAMVideoCompression* compression, const std::string& deviceName);
// "Rec: NAME [WxH]" while recording, "View: NAME [WxH]" otherwise; "Info: N/A" without a tuner object.
std::string CaptureStatusLine(TTunerTools* tools, const std::string& deviceName);
// The sound format that is recorded, in words: the audio compressor's output format, else the capture pin's
// format (captureFormat, null without sound); "N/A" with neither.
std::string AudioFormatText(IBaseFilter* audioCompressor, IAMStreamConfig* captureFormat);
// "44.100 kHz, 16 Bit, Stereo"; "MPEG Layer-3, 128 kBit/s, 44.100 kHz, Stereo" (the rate when known)
std::string DescribeWaveFormat(const WAVEFORMATEX& format);
