// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The virtual TV card's tuner through the search's two device adapters, for the search's tests and
// benchmark, which see only the SearchTuner.

#include "channels/search_tuner.h"

#include <memory>
#include <string>
#include <vector>

class CardSearchDevice {
public:
    virtual ~CardSearchDevice() = default;
    virtual SearchTuner& tuner() = 0;
    // The texts of the error boxes the device has shown.
    virtual std::vector<std::string> shown() const = 0;
};

// Whether the card's tuner reports its fine-tuning offset, as most cards do, or not at all; or whether it
// refuses every tuning.
enum class CardAfc { Reported, None, RefusesTuning };

// The built-in card's TV tuner through TTunerTools, as the capture device is opened for the TV page.
std::unique_ptr<CardSearchDevice> MakeTvCardSearchDevice(CardAfc afc = CardAfc::Reported);
// Its radio tuner through TRadioTools; with tunerOnly neither its TV audio nor its crossbar is chosen.
std::unique_ptr<CardSearchDevice> MakeRadioCardSearchDevice(bool tunerOnly, CardAfc afc = CardAfc::Reported);
// TRadioTools without any device.
std::unique_ptr<CardSearchDevice> MakeAbsentRadioSearchDevice();
