// SPDX-License-Identifier: GPL-2.0-or-later
#include "source_sound_formats.h"

#include "encoder_output_format.h"

#include <array>
#include <cstring>

namespace {

constexpr std::array<int, 7> kUsualRates = {8000, 11025, 16000, 22050, 32000, 44100, 48000};
// Those avimux writes as PCM, the common one first.
constexpr std::array<const char*, 4> kPcmFormats = {"S16LE", "S24LE", "S32LE", "U8"};

GstCaps* SoundCaps(const char* format, int rate, int channels) {
    return gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, format, "layout", G_TYPE_STRING,
                               "interleaved", "rate", G_TYPE_INT, rate, "channels", G_TYPE_INT, channels,
                               nullptr);
}

bool SameWave(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b) {
    const WAVEFORMATEX* left = WaveFormatOf(&a);
    const WAVEFORMATEX* right = WaveFormatOf(&b);
    return left && right && left->wFormatTag == right->wFormatTag && left->nChannels == right->nChannels &&
           left->nSamplesPerSec == right->nSamplesPerSec && left->wBitsPerSample == right->wBitsPerSample;
}

} // namespace

SourceSoundFormats::SourceSoundFormats(GstBin* bin, GstPad* source)
    : source_(GST_PAD(gst_object_ref(source))), filter_(gst_element_factory_make("capsfilter", nullptr)) {
    gst_bin_add(bin, filter_);
}

SourceSoundFormats::~SourceSoundFormats() {
    for (GstCaps* caps : offered_) {
        gst_caps_unref(caps);
    }
    gst_object_unref(source_);
}

const std::vector<GstCaps*>& SourceSoundFormats::offered() {
    if (listed_) {
        return offered_;
    }
    listed_ = true;
    GstCaps* caps = gst_pad_query_caps(source_, nullptr);
    for (const char* format : kPcmFormats) {
        for (const int rate : kUsualRates) {
            for (const int channels : {1, 2}) {
                GstCaps* one = SoundCaps(format, rate, channels);
                if (caps && gst_caps_can_intersect(caps, one)) {
                    offered_.push_back(one);
                } else {
                    gst_caps_unref(one);
                }
            }
        }
    }
    if (caps) {
        gst_caps_unref(caps);
    }
    return offered_;
}

GstCaps* SourceSoundFormats::expectedCaps() const {
    GstCaps* chosen = nullptr;
    g_object_get(filter_, "caps", &chosen, nullptr);
    if (chosen && gst_caps_is_fixed(chosen)) {
        return chosen;
    }
    if (chosen) {
        gst_caps_unref(chosen);
    }
    GstPad* output = gst_element_get_static_pad(filter_, "src");
    GstCaps* streaming = gst_pad_get_current_caps(output);
    gst_object_unref(output);
    if (streaming) {
        return streaming;
    }
    // As an audio source fixates: 16 bit where it can, the rate and channels nearest 44.1 kHz stereo.
    GstCaps* caps = gst_pad_query_caps(source_, nullptr);
    GstCaps* preferred = SoundCaps("S16LE", 44100, 2);
    gst_structure_remove_fields(gst_caps_get_structure(preferred, 0), "rate", "channels", nullptr);
    GstCaps* narrowed = gst_caps_intersect(caps, preferred);
    gst_caps_unref(preferred);
    if (gst_caps_is_empty(narrowed)) {
        gst_caps_unref(narrowed);
    } else {
        gst_caps_unref(caps);
        caps = narrowed;
    }
    if (gst_caps_is_empty(caps) || gst_caps_is_any(caps)) {
        gst_caps_unref(caps);
        return nullptr;
    }
    caps = gst_caps_truncate(caps);
    caps = gst_caps_make_writable(caps);
    GstStructure* structure = gst_caps_get_structure(caps, 0);
    gst_structure_fixate_field_nearest_int(structure, "rate", 44100);
    gst_structure_fixate_field_nearest_int(structure, "channels", 2);
    return gst_caps_fixate(caps);
}

HRESULT SourceSoundFormats::currentFormat(const GstPin&, AM_MEDIA_TYPE** type) {
    GstCaps* caps = expectedCaps();
    *type = NewWaveMediaType(caps);
    if (caps) {
        gst_caps_unref(caps);
    }
    return *type ? S_OK : E_FAIL;
}

HRESULT SourceSoundFormats::changeFormat(const GstPin& pin, const AM_MEDIA_TYPE& type) {
    if (pin.peer() && GST_STATE(filter_) == GST_STATE_PLAYING) {
        return VFW_E_WRONG_STATE;
    }
    for (GstCaps* caps : offered()) {
        const std::unique_ptr<AM_MEDIA_TYPE, void (*)(AM_MEDIA_TYPE*)> listed(NewWaveMediaType(caps),
                                                                              DeleteMediaType);
        if (type.majortype == MEDIATYPE_Audio && listed && SameWave(*listed, type)) {
            g_object_set(filter_, "caps", caps, nullptr);
            return S_OK;
        }
    }
    return VFW_E_INVALIDMEDIATYPE;
}

int SourceSoundFormats::capabilityCount(const GstPin&) {
    return static_cast<int>(offered().size());
}

AM_MEDIA_TYPE* SourceSoundFormats::capability(const GstPin&, int index) {
    return NewWaveMediaType(offered().at(static_cast<std::size_t>(index)));
}
