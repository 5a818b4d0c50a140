// SPDX-License-Identifier: GPL-2.0-or-later
#include "tuner_model.h"

#include <cstdlib>

namespace {

template <typename Carrier>
int Nearest(const std::vector<Carrier>& carriers, std::int64_t frequency, std::int64_t range) {
    int best = -1;
    for (std::size_t i = 0; i < carriers.size(); ++i) {
        const std::int64_t distance = std::llabs(carriers[i].frequency - frequency);
        if (distance > range) {
            continue;
        }
        if (best < 0) {
            best = static_cast<int>(i);
            continue;
        }
        const std::int64_t bestDistance = std::llabs(carriers[best].frequency - frequency);
        const bool nearer = distance < bestDistance;
        const bool lowerOnTie = distance == bestDistance && carriers[i].frequency < carriers[best].frequency;
        if (nearer || lowerOnTie) {
            best = static_cast<int>(i);
        }
    }
    return best;
}

} // namespace

Reception Receive(const CardDefinition& card, TunerMode mode, std::int64_t frequency) {
    Reception reception;
    if (mode == TunerMode::Tv) {
        reception.carrier = Nearest(card.tv, frequency, kTvCaptureRange);
        if (reception.heard()) {
            const TvCarrier& carrier = card.tv[reception.carrier];
            reception.pllOffset = card.afc ? static_cast<std::int32_t>(carrier.frequency - frequency) : 0;
            reception.horizontalLock = carrier.lock;
        }
    } else {
        reception.carrier = Nearest(card.radio, frequency, kFmCaptureRange);
        if (reception.heard()) {
            reception.pllOffset =
                card.afc ? static_cast<std::int32_t>(card.radio[reception.carrier].frequency - frequency) : 0;
        }
    }
    return reception;
}

bool TunerAccepts(TunerMode mode, std::int64_t frequency) {
    if (mode == TunerMode::Tv) {
        return frequency >= 40000000 && frequency <= 870000000;
    }
    return frequency >= 87500000 && frequency <= 108000000;
}
