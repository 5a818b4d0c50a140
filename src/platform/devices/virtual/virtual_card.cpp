// SPDX-License-Identifier: GPL-2.0-or-later
#include "virtual_card.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr std::int32_t kVideoTuner = 1;
constexpr std::int32_t kVideoComposite = 2;
constexpr std::int32_t kVideoSVideo = 3;
constexpr std::int32_t kVideoDecoder = 12;
constexpr std::int32_t kAudioTuner = 0x1000;
constexpr std::int32_t kAudioLine = 0x1001;
constexpr std::int32_t kAudioDecoder = 0x1009;
constexpr std::int32_t kFirstAudioType = 0x1000;

constexpr std::int32_t kMono = 0x01;
constexpr std::int32_t kStereo = 0x02;
constexpr std::int32_t kLangA = 0x10;
constexpr std::int32_t kLangB = 0x20;
constexpr std::int32_t kHardwareAudioModes = kMono | kStereo | kLangA | kLangB;

// Every AnalogVideoStandard bit the decoder knows.
constexpr std::int32_t kKnownStandards = 0x1FFFF7;

// Tones: one per carrier, apart enough to tell by ear; the second language a fifth above.
constexpr double kTvToneBase = 330.0;
constexpr double kRadioToneBase = 523.25;
constexpr double kToneStep = 55.0;
constexpr double kSecondLanguageFactor = 1.5;

// A heard carrier that is not locked on: colourless and dim.
constexpr double kFaintContrast = 0.35;
constexpr double kFaintBrightness = -0.15;

CrossbarLayout FullCrossbar() {
    return {{{"Video Tuner", kVideoTuner, 3},
             {"Video Composite", kVideoComposite, 4},
             {"Video SVideo", kVideoSVideo, 4},
             {"Audio Tuner", kAudioTuner, 0},
             {"Audio Line", kAudioLine, 1}},
            {{"Video Decoder", kVideoDecoder, 1}, {"Audio Decoder", kAudioDecoder, 0}}};
}

// The crossbar at the decoder of a card with two: its tuner inputs come from the other crossbar.
CrossbarLayout NearCrossbar() {
    return {{{"Video Tuner", kVideoTuner, 2},
             {"Video Composite", kVideoComposite, 3},
             {"Audio Tuner", kAudioTuner, 0},
             {"Audio Line", kAudioLine, 1}},
            {{"Video Decoder", kVideoDecoder, 1}, {"Audio Decoder", kAudioDecoder, 0}}};
}

int FirstInputOfType(const CrossbarLayout& layout, std::int32_t type) {
    for (std::size_t i = 0; i < layout.inputs.size(); ++i) {
        if (layout.inputs[i].physicalType == type) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

double Clamp(double value, double low, double high) {
    return std::min(high, std::max(low, value));
}

} // namespace

VirtualCard::VirtualCard(CardDefinition definition) : definition_(std::move(definition)) {
    if (definition_.crossbars == 2) {
        layouts_ = {NearCrossbar(), FullCrossbar()};
    } else {
        layouts_ = {FullCrossbar()};
    }
    for (const CrossbarLayout& layout : layouts_) {
        // The tuner feeds the decoder, picture and sound, until routed otherwise.
        routes_.push_back({FirstInputOfType(layout, kVideoTuner), FirstInputOfType(layout, kAudioTuner)});
    }
    for (std::size_t i = 0; i < picture_.size(); ++i) {
        picture_[i] = definition_.picture[i].defaultValue;
    }
}

TunerMode VirtualCard::mode() const {
    std::lock_guard lock(mutex_);
    return mode_;
}

void VirtualCard::setMode(TunerMode mode) {
    {
        std::lock_guard lock(mutex_);
        mode_ = mode;
    }
    changed();
}

bool VirtualCard::setFrequency(std::int64_t hertz) {
    {
        std::lock_guard lock(mutex_);
        if (!TunerAccepts(mode_, hertz)) {
            return false;
        }
        frequency_ = hertz;
    }
    changed();
    return true;
}

std::int64_t VirtualCard::frequency() const {
    std::lock_guard lock(mutex_);
    return frequency_;
}

Reception VirtualCard::reception() const {
    std::lock_guard lock(mutex_);
    return Receive(definition_, mode_, frequency_);
}

bool VirtualCard::canRoute(int crossbar, int output, int input) const {
    if (crossbar < 0 || crossbar >= crossbarCount()) {
        return false;
    }
    const CrossbarLayout& layout = layouts_[crossbar];
    if (output < 0 || output >= static_cast<int>(layout.outputs.size()) || input < 0 ||
        input >= static_cast<int>(layout.inputs.size())) {
        return false;
    }
    const bool videoOut = layout.outputs[output].physicalType < kFirstAudioType;
    const bool videoIn = layout.inputs[input].physicalType < kFirstAudioType;
    return videoOut == videoIn;
}

bool VirtualCard::route(int crossbar, int output, int input) {
    if (!canRoute(crossbar, output, input)) {
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        routes_[crossbar][output] = input;
    }
    changed();
    return true;
}

int VirtualCard::routedTo(int crossbar, int output) const {
    std::lock_guard lock(mutex_);
    if (crossbar < 0 || crossbar >= crossbarCount() || output < 0 ||
        output >= static_cast<int>(routes_[crossbar].size())) {
        return -1;
    }
    return routes_[crossbar][output];
}

std::int32_t VirtualCard::pictureValue(int property) const {
    std::lock_guard lock(mutex_);
    return property >= 0 && property < 4 ? picture_[property] : 0;
}

bool VirtualCard::setPictureValue(int property, std::int32_t value) {
    if (property < 0 || property >= 4) {
        return false;
    }
    const PictureRange& range = definition_.picture[property];
    if (value < range.minimum || value > range.maximum) {
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        picture_[property] = value;
    }
    changed();
    return true;
}

std::int32_t VirtualCard::videoStandard() const {
    std::lock_guard lock(mutex_);
    return standard_;
}

bool VirtualCard::setVideoStandard(std::int32_t standard) {
    if (standard == 0 || (standard & ~kKnownStandards) != 0) {
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        standard_ = standard;
    }
    changed();
    return true;
}

VirtualCard::Feed VirtualCard::feed(bool video) const {
    // Caller holds the mutex.
    const int output = video ? 0 : 1;
    int crossbar = 0;
    int input = routes_[0][output];
    const int fromOtherCrossbar = video ? 0 : 2;
    if (layouts_.size() == 2 && input == fromOtherCrossbar) {
        crossbar = 1;
        input = routes_[1][output];
    }
    if (input < 0) {
        return {Source::Line, {}};
    }
    const CrossbarPinLayout& pin = layouts_[crossbar].inputs[input];
    if (pin.physicalType == kVideoTuner || pin.physicalType == kAudioTuner) {
        return {Source::Tuner, pin.name};
    }
    return {video ? Source::Bars : Source::Line, pin.name};
}

bool VirtualCard::horizontalLocked() const {
    std::lock_guard lock(mutex_);
    const Feed video = feed(true);
    if (video.source == Source::Bars) {
        return true;
    }
    return mode_ == TunerMode::Tv && Receive(definition_, mode_, frequency_).horizontalLock;
}

std::int32_t VirtualCard::availableAudioModes() const {
    std::lock_guard lock(mutex_);
    const Reception heard = Receive(definition_, mode_, frequency_);
    if (mode_ != TunerMode::Tv || !heard.heard()) {
        return kMono;
    }
    switch (definition_.tv[heard.carrier].audio) {
    case CarrierAudio::Stereo:
        return kMono | kStereo;
    case CarrierAudio::Dual:
        return kLangA | kLangB;
    default:
        return kMono;
    }
}

std::int32_t VirtualCard::audioMode() const {
    std::lock_guard lock(mutex_);
    return audioMode_;
}

bool VirtualCard::setAudioMode(std::int32_t mode) {
    if (mode == 0 || (mode & ~kHardwareAudioModes) != 0) {
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        audioMode_ = mode;
    }
    changed();
    return true;
}

PictureState VirtualCard::picture() const {
    std::lock_guard lock(mutex_);
    PictureState state;
    const Feed video = feed(true);
    if (video.source == Source::Bars) {
        state.kind = PictureState::Kind::ColourBars;
        state.label = video.name;
    } else if (mode_ == TunerMode::Tv) {
        const Reception heard = Receive(definition_, mode_, frequency_);
        if (heard.heard()) {
            const bool clear = heard.horizontalLock && std::abs(heard.pllOffset) <= kClearPictureRange;
            state.kind = clear ? PictureState::Kind::Channel : PictureState::Kind::FaintChannel;
            state.label = definition_.tv[heard.carrier].name;
        }
    }
    // Each value moves the picture away from neutral by its distance from the device's default, relative to
    // the range's width (brightness, hue) or as a factor of the default (contrast, saturation).
    auto offset = [&](int property) {
        const PictureRange& range = definition_.picture[property];
        const double half = std::max(1, range.maximum - range.minimum) / 2.0;
        return Clamp((picture_[property] - range.defaultValue) / half, -1.0, 1.0);
    };
    auto factor = [&](int property) {
        const PictureRange& range = definition_.picture[property];
        return range.defaultValue > 0 ? Clamp(double(picture_[property]) / range.defaultValue, 0.0, 2.0)
                                      : 1.0;
    };
    state.brightness = offset(0);
    state.contrast = factor(1);
    state.hue = offset(2);
    state.saturation = factor(3);
    if (state.kind == PictureState::Kind::FaintChannel) {
        state.contrast *= kFaintContrast;
        state.brightness = Clamp(state.brightness + kFaintBrightness, -1.0, 1.0);
        state.saturation = 0.0;
    }
    return state;
}

SoundState VirtualCard::sound() const {
    std::lock_guard lock(mutex_);
    SoundState state;
    if (feed(false).source != Source::Tuner) {
        return state;
    }
    const Reception heard = Receive(definition_, mode_, frequency_);
    if (!heard.heard()) {
        return state;
    }
    state.silent = false;
    const double base = mode_ == TunerMode::Tv ? kTvToneBase : kRadioToneBase;
    state.toneHz = base + kToneStep * heard.carrier;
    const bool dual = mode_ == TunerMode::Tv && definition_.tv[heard.carrier].audio == CarrierAudio::Dual;
    if (dual && audioMode_ == kLangB) {
        state.toneHz *= kSecondLanguageFactor;
    }
    return state;
}

int VirtualCard::subscribe(std::function<void()> changed) {
    std::lock_guard lock(mutex_);
    listeners_.emplace(nextSubscription_, std::move(changed));
    return nextSubscription_++;
}

void VirtualCard::unsubscribe(int subscription) {
    std::lock_guard lock(mutex_);
    listeners_.erase(subscription);
}

void VirtualCard::changed() {
    std::vector<std::function<void()>> listeners;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [id, listener] : listeners_) {
            listeners.push_back(listener);
        }
    }
    for (const auto& listener : listeners) {
        listener();
    }
}

std::shared_ptr<VirtualCard> TheVirtualCard() {
    static std::mutex mutex;
    static std::shared_ptr<VirtualCard> card;
    std::lock_guard lock(mutex);
    if (!card) {
        card = std::make_shared<VirtualCard>(LoadCardDefinition());
    }
    return card;
}
