// SPDX-License-Identifier: GPL-2.0-or-later
#include "encoder_output_format.h"

#include "platform/media/wave_format_tags.h"

#include <cstring>

namespace {

const WaveFormatTag* TagOf(const GstStructure* structure) {
    const char* media = gst_structure_get_name(structure);
    for (const WaveFormatTag& entry : kWaveFormatTags) {
        if (!g_str_equal(media, entry.caps)) {
            continue;
        }
        int value = 0;
        if (!entry.field || (gst_structure_get_int(structure, entry.field, &value) && value == entry.value)) {
            return &entry;
        }
    }
    return nullptr;
}

} // namespace

AM_MEDIA_TYPE* NewWaveMediaType(const GstCaps* caps) {
    if (!caps || gst_caps_get_size(caps) == 0) {
        return nullptr;
    }
    const GstStructure* structure = gst_caps_get_structure(caps, 0);
    const WaveFormatTag* tag = TagOf(structure);
    int rate = 0;
    int channels = 0;
    if (!tag || !gst_structure_get_int(structure, "rate", &rate) ||
        !gst_structure_get_int(structure, "channels", &channels) || rate <= 0 || channels <= 0) {
        return nullptr;
    }
    WAVEFORMATEX wave;
    wave.wFormatTag = tag->tag;
    wave.nChannels = static_cast<WORD>(channels);
    wave.nSamplesPerSec = static_cast<DWORD>(rate);
    if (tag->tag == WAVE_FORMAT_PCM) {
        const char* format = gst_structure_get_string(structure, "format");
        const std::string_view name = format ? format : "";
        wave.wBitsPerSample = name == "U8" ? 8 : name == "S24LE" ? 24 : name == "S32LE" ? 32 : 16;
        wave.nBlockAlign = static_cast<WORD>(channels * wave.wBitsPerSample / 8);
        wave.nAvgBytesPerSec = wave.nSamplesPerSec * wave.nBlockAlign;
    } else {
        // Encoders that state their rate put it into the caps; the others leave the label to say none.
        int bitrate = 0;
        if (gst_structure_get_int(structure, "bitrate", &bitrate) && bitrate > 0) {
            wave.nAvgBytesPerSec = static_cast<DWORD>(bitrate / 8);
        }
        wave.nBlockAlign = 1;
    }
    auto* type = new AM_MEDIA_TYPE;
    type->majortype = MEDIATYPE_Audio;
    type->subtype = tag->tag == WAVE_FORMAT_PCM ? MEDIASUBTYPE_PCM : Guid{};
    type->formattype = FORMAT_WaveFormatEx;
    type->formatBlock.resize(sizeof wave);
    std::memcpy(type->formatBlock.data(), &wave, sizeof wave);
    gchar* text = gst_caps_to_string(caps);
    type->format = text;
    g_free(text);
    return type;
}

HRESULT EncoderOutputFormat::GetFormat(AM_MEDIA_TYPE** type) {
    if (!type) {
        return E_POINTER;
    }
    GstPad* output = gst_element_get_static_pad(encoder_, "src");
    GstCaps* caps = output ? gst_pad_get_current_caps(output) : nullptr;
    if (output) {
        gst_object_unref(output);
    }
    if (!caps) {
        caps = expectedCaps();
    }
    *type = NewWaveMediaType(caps);
    if (caps) {
        gst_caps_unref(caps);
    }
    return *type ? S_OK : E_FAIL;
}

HRESULT EncoderOutputFormat::GetNumberOfCapabilities(int* count, int* size) {
    if (!count || !size) {
        return E_POINTER;
    }
    *count = 0;
    *size = 0;
    return S_OK;
}

HRESULT EncoderOutputFormat::GetStreamCaps(int, AM_MEDIA_TYPE** type, BYTE*) {
    if (!type) {
        return E_POINTER;
    }
    *type = nullptr;
    return S_FALSE;
}

AudioFormat EncoderOutputFormat::incomingSound() const {
    AudioFormat sound;
    GstPad* input = gst_element_get_static_pad(encoder_, "sink");
    GstCaps* caps = input ? gst_pad_get_current_caps(input) : nullptr;
    if (input) {
        gst_object_unref(input);
    }
    // Not streaming yet: the format of the capture pin the filter is connected to.
    RefPtr<IPin> filterInput;
    if (!caps && SUCCEEDED(pin_.filter().FindPin(L"Input", filterInput.put())) && filterInput) {
        if (const GstPin* peer = AsGstPin(filterInput.get())->peer()) {
            const std::string format = peer->currentFormat();
            caps = format.empty() ? nullptr : gst_caps_from_string(format.c_str());
        }
    }
    if (caps && !gst_caps_is_empty(caps)) {
        const GstStructure* structure = gst_caps_get_structure(caps, 0);
        int rate = 0;
        int channels = 0;
        if (gst_structure_get_int(structure, "rate", &rate) &&
            gst_structure_get_int(structure, "channels", &channels)) {
            sound.samplesPerSec = static_cast<DWORD>(rate);
            sound.channels = static_cast<WORD>(channels);
        }
    }
    if (caps) {
        gst_caps_unref(caps);
    }
    return sound;
}

GstCaps* EncoderOutputFormat::expectedCaps() const {
    GstPad* output = gst_element_get_static_pad(encoder_, "src");
    if (!output) {
        return nullptr;
    }
    GstCaps* caps = gst_pad_query_caps(output, nullptr);
    gst_object_unref(output);
    if (!caps || gst_caps_is_empty(caps) || gst_caps_is_any(caps)) {
        if (caps) {
            gst_caps_unref(caps);
        }
        return nullptr;
    }
    // The converter in front of the encoder gives it the incoming rate and channels where it takes them,
    // and the nearest it takes otherwise.
    const AudioFormat sound = incomingSound();
    caps = gst_caps_make_writable(caps);
    caps = gst_caps_truncate(caps);
    GstStructure* structure = gst_caps_get_structure(caps, 0);
    gst_structure_fixate_field_nearest_int(structure, "rate", static_cast<int>(sound.samplesPerSec));
    gst_structure_fixate_field_nearest_int(structure, "channels", sound.channels);
    return gst_caps_fixate(caps);
}
