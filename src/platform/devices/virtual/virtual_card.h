// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The virtual TV card's hardware state, shared by every object made for it (capture filter, tuner, crossbars,
// TV audio, audio capture), as a driver's objects share one card: tuning, routing, picture values, video
// standard and sound mode. Each change tells the card's picture and sound sources what to show now.

#include "card_definition.h"
#include "tuner_model.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct CrossbarPinLayout {
    std::string name;
    std::int32_t physicalType = 0;
    std::int32_t related = -1;
};

struct CrossbarLayout {
    std::vector<CrossbarPinLayout> inputs;
    std::vector<CrossbarPinLayout> outputs;
};

// What the picture shows.
struct PictureState {
    enum class Kind { Noise, Channel, FaintChannel, ColourBars };
    Kind kind = Kind::Noise;
    std::string label; // the channel's or the input's name
    // Picture amplifier settings as videobalance values.
    double brightness = 0.0;
    double contrast = 1.0;
    double hue = 0.0;
    double saturation = 1.0;

    friend bool operator==(const PictureState&, const PictureState&) = default;
};

// What the sound carries: a tone, or silence.
struct SoundState {
    bool silent = true;
    double toneHz = 0.0;

    friend bool operator==(const SoundState&, const SoundState&) = default;
};

class VirtualCard {
public:
    explicit VirtualCard(CardDefinition definition);

    const CardDefinition& definition() const { return definition_; }
    const CardFaults& faults() const { return definition_.faults; }

    // Tuner. Frequencies outside the mode's band are refused with false.
    TunerMode mode() const;
    void setMode(TunerMode mode);
    bool setFrequency(std::int64_t hertz);
    std::int64_t frequency() const;
    Reception reception() const;

    // Crossbars: 0 is the one in front of the decoder, 1 the one in front of it (when the card has two).
    int crossbarCount() const { return static_cast<int>(layouts_.size()); }
    const CrossbarLayout& crossbar(int index) const { return layouts_[index]; }
    bool canRoute(int crossbar, int output, int input) const;
    bool route(int crossbar, int output, int input);
    int routedTo(int crossbar, int output) const;

    // Picture amplifier, by picture property number (0 brightness .. 3 saturation).
    std::int32_t pictureValue(int property) const;
    bool setPictureValue(int property, std::int32_t value);

    // Decoder.
    std::int32_t videoStandard() const;
    bool setVideoStandard(std::int32_t standard);
    bool horizontalLocked() const;

    // TV sound: the modes the heard carrier offers, and the one chosen.
    std::int32_t availableAudioModes() const;
    std::int32_t audioMode() const;
    bool setAudioMode(std::int32_t mode);

    PictureState picture() const;
    SoundState sound() const;

    // Called after every change, on the thread that made it.
    int subscribe(std::function<void()> changed);
    void unsubscribe(int subscription);

private:
    enum class Source { Tuner, Line, Bars };
    struct Feed {
        Source source = Source::Tuner;
        std::string name;
    };
    // Follows the routes from the decoder's output of that type back to a connector.
    Feed feed(bool video) const;
    void changed();

    const CardDefinition definition_;
    std::vector<CrossbarLayout> layouts_;
    mutable std::mutex mutex_;
    TunerMode mode_ = TunerMode::Tv;
    std::int64_t frequency_ = 0;
    std::vector<std::vector<int>> routes_; // per crossbar, per output: the input
    std::array<std::int32_t, 4> picture_{};
    std::int32_t standard_ = 0x10; // PAL B
    std::int32_t audioMode_ = 0x01;
    std::map<int, std::function<void()>> listeners_;
    int nextSubscription_ = 1;
};

// The card of this process, made from LoadCardDefinition() on first use: every enumeration of the devices
// finds the same card, as it finds the same hardware.
std::shared_ptr<VirtualCard> TheVirtualCard();
