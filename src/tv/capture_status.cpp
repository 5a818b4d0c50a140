// SPDX-License-Identifier: GPL-2.0-or-later
#include "capture_status.h"

#include "owned_media_type.h"
#include "platform/media/wave_format_tags.h"
#include "tuner_tools.h"

#include <QString>

#include <cstdio>

namespace {

constexpr int kVersionChars = 40;
constexpr int kDescriptionChars = 80;
constexpr std::size_t kSourceNameChars = 124;

std::string Local8Bit(const wchar_t* text) {
    return QString::fromWCharArray(text).toLocal8Bit().toStdString();
}

} // namespace

std::string CaptureSourceName(IAMVideoCompression* compression, const std::string& deviceName) {
    std::string name = deviceName;
    wchar_t version[kVersionChars] = {};
    wchar_t description[kDescriptionChars] = {};
    int versionLength = kVersionChars;
    int descriptionLength = kDescriptionChars;
    if (compression &&
        SUCCEEDED(compression->GetInfo(version, &versionLength, description, &descriptionLength, nullptr,
                                       nullptr, nullptr, nullptr)) &&
        version[0] != L'\0' && description[0] != L'\0') {
        name = Local8Bit(description) + " - " + Local8Bit(version);
    }
    if (name.size() > kSourceNameChars) {
        name.resize(kSourceNameChars);
    }
    return name;
}

std::string CaptureStatusLine(TTunerTools* tools, const std::string& deviceName) {
    if (!tools) {
        return kNoCaptureInfo;
    }
    const std::string name = CaptureSourceName(tools->videoCompression.get(), deviceName);
    const bool recording = tools->captureRunning;
    const int width = recording ? tools->captureWidth : tools->target->videoWidth;
    const int height = recording ? tools->captureHeight : tools->target->videoHeight;
    char text[kSourceNameChars + 64];
    std::snprintf(text, sizeof text, "%s: %s [%dx%d]", recording ? "Rec" : "View", name.c_str(), width,
                  height);
    return text;
}

std::string DescribeWaveFormat(const WAVEFORMATEX& format) {
    const unsigned khz = format.nSamplesPerSec / 1000;
    const unsigned hz = format.nSamplesPerSec % 1000;
    char channels[32];
    if (format.nChannels == 1) {
        std::snprintf(channels, sizeof channels, "Mono");
    } else if (format.nChannels == 2) {
        std::snprintf(channels, sizeof channels, "Stereo");
    } else {
        std::snprintf(channels, sizeof channels, "%u channels", static_cast<unsigned>(format.nChannels));
    }
    char text[96];
    if (format.wFormatTag == WAVE_FORMAT_PCM) {
        std::snprintf(text, sizeof text, "%u.%03u kHz, %u Bit, %s", khz, hz,
                      static_cast<unsigned>(format.wBitsPerSample), channels);
    } else {
        // A compressed stream is known by its name and bit rate rather than its sample size.
        const char* name = WaveFormatTagName(format.wFormatTag);
        char rate[32] = "";
        if (format.nAvgBytesPerSec > 0) {
            std::snprintf(rate, sizeof rate, "%u kBit/s, ", format.nAvgBytesPerSec * 8 / 1000);
        }
        std::snprintf(text, sizeof text, "%s%s%s%u.%03u kHz, %s", name ? name : "", name ? ", " : "", rate,
                      khz, hz, channels);
    }
    return text;
}

namespace {

// The filter's output pin: the encoder filters name theirs "Output", not "Out".
RefPtr<IPin> OutputPinOf(IBaseFilter* filter) {
    RefPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins.put())) || !pins) {
        return nullptr;
    }
    IPin* fetched = nullptr;
    while (pins->Next(1, &fetched, nullptr) == S_OK) {
        RefPtr<IPin> pin = RefPtr<IPin>::adopt(fetched);
        PIN_DIRECTION direction = PINDIR_INPUT;
        if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == PINDIR_OUTPUT) {
            return pin;
        }
    }
    return nullptr;
}

std::string FormatText(IAMStreamConfig* config) {
    OwnedMediaType format;
    if (!config || FAILED(config->GetFormat(&format.type)) || !format.type ||
        format.type->formattype != FORMAT_WaveFormatEx) {
        return kUnknownAudioFormat;
    }
    const WAVEFORMATEX* wave = WaveFormatOf(format.type);
    return wave ? DescribeWaveFormat(*wave) : kUnknownAudioFormat;
}

} // namespace

std::string AudioFormatText(IBaseFilter* audioCompressor, IAMStreamConfig* captureFormat) {
    if (audioCompressor) {
        const RefPtr<IPin> out = OutputPinOf(audioCompressor);
        return out ? FormatText(query<IAMStreamConfig>(out).get()) : kUnknownAudioFormat;
    }
    return captureFormat ? FormatText(captureFormat) : kNoAudioFormat;
}
