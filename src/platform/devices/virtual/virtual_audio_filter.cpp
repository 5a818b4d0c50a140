// SPDX-License-Identifier: GPL-2.0-or-later
#include "virtual_audio_filter.h"

#include "card_sources.h"

namespace {

constexpr guint kCaptureBuffers = 25; // a second of 40 ms buffers
constexpr int kWaveSine = 0;
constexpr double kToneVolume = 0.3;
// 40 ms buffers: the audio arrives in steps as fine as the video's frames.
constexpr int kSamplesPerBufferAt48k = 1920;

constexpr AudioFormat kCapabilities[] = {{44100, 2, 16}, {48000, 2, 16}, {22050, 1, 16}, {11025, 1, 8}};

} // namespace

VirtualAudioFilter::VirtualAudioFilter(std::shared_ptr<VirtualCard> card)
    : GstFilter(FilterRole::Source), card_(std::move(card)) {
    GstElement* binElement = gst_bin_new(nullptr);
    setBin(binElement);
    GstBin* bin = GST_BIN(binElement);
    // The sound comes from the card's own source element.
    RegisterCardSources();
    GstElement* sound = gst_element_factory_make(kCardSoundElement, nullptr);
    gst_bin_add(bin, sound);
    source_ = CardSourcePart(sound, "source");
    caps_ = CardSourcePart(sound, "caps");
    // The source holds its parts for as long as it lives.
    gst_object_unref(source_);
    gst_object_unref(caps_);
    // The tone is always a sine, silenced by its volume: audiotestsrc's "wave" may not change while it
    // streams, since the new wave's generator is chosen without a lock the streaming thread takes.
    g_object_set(source_, "wave", kWaveSine, "volume", kToneVolume, nullptr);
    GstPad* from = gst_element_get_static_pad(sound, "src");
    capture_ = std::make_unique<CaptureOutput>(bin, from, kCaptureBuffers);
    gst_object_unref(from);
    capture_->setStreamControlled(!card_->faults().noStreamControl);
    pin_ = &addPin(L"Capture", PINDIR_OUTPUT, PinKind::Audio, capture_->pad());
    pin_->setCategory(PIN_CATEGORY_CAPTURE);
    capture_->setPin(pin_);
    config_ = std::make_unique<PinStreamConfig>(*this, *pin_);

    GstPad* samples = gst_element_get_static_pad(source_, "src");
    loss_ = std::make_unique<DeviceLoss>(samples, *this, card_->faults().loseDeviceAfterMs);
    failure_ =
        std::make_unique<DeviceLoss>(samples, *this, card_->faults().failSoundAfterMs, LossKind::ReadError);
    gst_object_unref(samples);

    changeFormat(*pin_, *std::unique_ptr<AM_MEDIA_TYPE>(NewMediaType(format_)));
    playSound();
    subscription_ = card_->subscribe([this] { playSound(); });
}

VirtualAudioFilter::~VirtualAudioFilter() {
    card_->unsubscribe(subscription_);
    gst_element_set_state(element(), GST_STATE_NULL);
}

void* VirtualAudioFilter::queryOtherInterface(const Guid& iid) {
    return iid == ICaptureDevice::IID ? static_cast<ICaptureDevice*>(this) : nullptr;
}

void* VirtualAudioFilter::queryPinInterface(const GstPin& pin, const Guid& iid) {
    if (&pin != pin_) {
        return nullptr;
    }
    if (iid == IAMStreamConfig::IID) {
        return static_cast<IAMStreamConfig*>(config_.get());
    }
    if (iid == IAMStreamControl::IID && capture_->streamControlled()) {
        return static_cast<IAMStreamControl*>(capture_.get());
    }
    return iid == IAMDroppedFrames::IID ? static_cast<IAMDroppedFrames*>(capture_.get()) : nullptr;
}

void VirtualAudioFilter::playSound() {
    const SoundState sound = card_->sound();
    g_object_set(source_, "volume", sound.silent ? 0.0 : kToneVolume, nullptr);
    if (!sound.silent) {
        g_object_set(source_, "freq", sound.toneHz, nullptr);
    }
    played_ = sound;
}

HRESULT VirtualAudioFilter::currentFormat(const GstPin&, AM_MEDIA_TYPE** type) {
    *type = NewMediaType(format_);
    return S_OK;
}

HRESULT VirtualAudioFilter::changeFormat(const GstPin& pin, const AM_MEDIA_TYPE& type) {
    if (pin.peer() && GST_STATE(element()) == GST_STATE_PLAYING) {
        return VFW_E_WRONG_STATE;
    }
    std::optional<AudioFormat> format = AudioFormatOf(type);
    if (!format) {
        return VFW_E_INVALIDMEDIATYPE;
    }
    format_ = *format;
    g_object_set(source_, "samplesperbuffer",
                 static_cast<int>(std::int64_t(kSamplesPerBufferAt48k) * format_.samplesPerSec / 48000),
                 nullptr);
    GstCaps* caps = CapsOf(format_);
    g_object_set(caps_, "caps", caps, nullptr);
    gst_caps_unref(caps);
    return S_OK;
}

int VirtualAudioFilter::capabilityCount(const GstPin&) {
    return static_cast<int>(std::size(kCapabilities));
}

AM_MEDIA_TYPE* VirtualAudioFilter::capability(const GstPin&, int index) {
    return NewMediaType(kCapabilities[index]);
}
