// SPDX-License-Identifier: GPL-2.0-or-later
// The virtual TV card's definition file: the input is parsed, and a card that parses is tuned through both
// bands around each of its carriers, as the search and the picture do.
#include "platform/devices/virtual/card_definition.h"
#include "platform/devices/virtual/tuner_model.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

void TuneAround(const CardDefinition& card, TunerMode mode, std::int64_t lowest, std::int64_t highest,
                std::int64_t carrier) {
    // Frequencies the tuner accepts only: a definition may name any carrier, the tuner tunes in its band.
    const std::int64_t centre = std::clamp(carrier, lowest, highest);
    for (const std::int64_t offset :
         {-1000001LL, -1000000LL, -150000LL, -1LL, 0LL, 1LL, 150000LL, 1000000LL}) {
        const std::int64_t frequency = std::clamp(centre + offset, lowest, highest);
        if (TunerAccepts(mode, frequency)) {
            const Reception reception = Receive(card, mode, frequency);
            const auto& carriers = mode == TunerMode::Tv ? card.tv.size() : card.radio.size();
            if (reception.carrier >= static_cast<int>(carriers)) {
                __builtin_trap();
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto card = ParseCardDefinition(text, &error);
    if (!card) {
        // A refusal must say what is wrong.
        if (error.empty()) {
            __builtin_trap();
        }
        return 0;
    }
    for (const TvCarrier& carrier : card->tv) {
        TuneAround(*card, TunerMode::Tv, 40000000, 870000000, carrier.frequency);
    }
    for (const RadioCarrier& carrier : card->radio) {
        TuneAround(*card, TunerMode::Fm, 87500000, 108000000, carrier.frequency);
    }
    return 0;
}
