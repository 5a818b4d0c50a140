// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The texts the "Capture" sheet and the page's status bar show about the source: the status line (what is
// viewed or recorded, and its size) and the audio compressor's output format.

#include <string>

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
// The output format of the audio compressor's "Out" pin in words; "N/A" without a compressor.
std::string AudioFormatText(IBaseFilter* audioCompressor);
// "44.100 kHz, 16 Bit, Stereo"
std::string DescribeWaveFormat(const WAVEFORMATEX& format);
