// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the virtual TV card receives and how it is built: its TV carriers and radio stations, its crossbars,
// its picture ranges and the faults it is told to show. Read from the JSON file named by
// CORVANE_VIRTUAL_CARD, or the built-in card of the same form.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class CarrierAudio { Mono, Stereo, Dual };

struct TvCarrier {
    std::int64_t frequency = 0; // Hz
    std::string name;
    bool lock = true;
    CarrierAudio audio = CarrierAudio::Mono;
};

struct RadioCarrier {
    std::int64_t frequency = 0; // Hz
    std::string name;
};

struct PictureRange {
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
    std::int32_t step = 1;
    std::int32_t defaultValue = 0;

    friend bool operator==(const PictureRange&, const PictureRange&) = default;
};

struct CardFaults {
    bool bind = false;
    bool addFilter = false;
    bool getFormat = false;
    bool setFormat = false;
    bool setProperty = false;
    bool renderPreview = false;
    bool noStreamControl = false;
    bool noPreviewPin = false;
    std::optional<std::int64_t> loseDeviceAfterMs;
    // The sound device fails as an unplugged ALSA device does: a read error, and its stream stops.
    std::optional<std::int64_t> failSoundAfterMs;
};

struct CardDefinition {
    std::vector<TvCarrier> tv;
    std::vector<RadioCarrier> radio;
    int crossbars = 1;
    // Whether the tuner reports its fine-tuning offset. Many real cards report none ("afc": false), and the
    // search then finds carriers by their signal.
    bool afc = true;
    // Brightness, contrast, hue, saturation: the picture property numbers.
    std::array<PictureRange, 4> picture{
        PictureRange{0, 255, 1, 128},
        PictureRange{0, 127, 1, 64},
        PictureRange{-128, 127, 1, 0},
        PictureRange{0, 127, 1, 64},
    };
    CardFaults faults;
};

// The card every machine has when no file names another: a few channels and stations across the bands.
CardDefinition BuiltInCardDefinition();

// The definition in JSON text; nullopt with a message naming what is wrong when the text is malformed.
std::optional<CardDefinition> ParseCardDefinition(const std::string& text, std::string* error);

// The card named by CORVANE_VIRTUAL_CARD, or the built-in one. A file that cannot be read or is malformed
// gives a message on standard error and the built-in card.
CardDefinition LoadCardDefinition();
