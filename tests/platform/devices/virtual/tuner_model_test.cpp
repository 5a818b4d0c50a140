// SPDX-License-Identifier: GPL-2.0-or-later
// The virtual tuner's numbers: what is heard at the edges of the capture ranges, the offset's sign, ties,
// lock, and the bands.

#include "platform/devices/virtual/tuner_model.h"

#include <gtest/gtest.h>

namespace {

CardDefinition Card() {
    CardDefinition card;
    card.tv = {{175250000, "Locked", true, CarrierAudio::Mono},
               {177250000, "Above", true, CarrierAudio::Mono},
               {503250000, "Unlocked", false, CarrierAudio::Mono}};
    card.radio = {{95800000, "Station"}, {96100000, "Next"}};
    return card;
}

} // namespace

TEST(TunerModel, TvCarrierIsHeardExactlyWithinOneMegahertz) {
    const CardDefinition card = Card();
    const Reception below = Receive(card, TunerMode::Tv, 174250000);
    EXPECT_EQ(below.carrier, 0);
    EXPECT_EQ(below.pllOffset, 1000000); // positive below the carrier
    EXPECT_TRUE(below.horizontalLock);

    const Reception justOut = Receive(card, TunerMode::Tv, 174249999);
    EXPECT_FALSE(justOut.heard());
    EXPECT_EQ(justOut.pllOffset, 0);
    EXPECT_FALSE(justOut.horizontalLock);

    const Reception on = Receive(card, TunerMode::Tv, 175250000);
    EXPECT_EQ(on.carrier, 0);
    EXPECT_EQ(on.pllOffset, 0);

    const Reception above = Receive(card, TunerMode::Tv, 503250000 + 1000000);
    EXPECT_EQ(above.carrier, 2);
    EXPECT_EQ(above.pllOffset, -1000000); // negative above it
    EXPECT_FALSE(above.horizontalLock);   // heard, but that carrier does not lock
    EXPECT_FALSE(Receive(card, TunerMode::Tv, 503250000 + 1000001).heard());
}

TEST(TunerModel, NearestCarrierWinsAndATieGoesToTheLowerOne) {
    const CardDefinition card = Card();
    EXPECT_EQ(Receive(card, TunerMode::Tv, 176250000).carrier, 0); // exactly between: the lower
    EXPECT_EQ(Receive(card, TunerMode::Tv, 176250000).pllOffset, -1000000);
    EXPECT_EQ(Receive(card, TunerMode::Tv, 176250001).carrier, 1);
    EXPECT_EQ(Receive(card, TunerMode::Tv, 176250001).pllOffset, 999999);

    // The tie rule holds whatever the order in the list.
    CardDefinition reversed = card;
    std::swap(reversed.tv[0], reversed.tv[1]);
    EXPECT_EQ(reversed.tv[Receive(reversed, TunerMode::Tv, 176250000).carrier].name, "Locked");
}

TEST(TunerModel, FmHearsOnlyStationsWithin150Kilohertz) {
    const CardDefinition card = Card();
    EXPECT_EQ(Receive(card, TunerMode::Fm, 95650000).carrier, 0);
    EXPECT_EQ(Receive(card, TunerMode::Fm, 95650000).pllOffset, 150000);
    EXPECT_FALSE(Receive(card, TunerMode::Fm, 95649999).heard());
    EXPECT_EQ(Receive(card, TunerMode::Fm, 95950000).carrier, 0); // tie between 95.8 and 96.1
    EXPECT_EQ(Receive(card, TunerMode::Fm, 96250000).carrier, 1);
    EXPECT_FALSE(Receive(card, TunerMode::Fm, 96250001).heard());
    // Radio never locks a picture, and TV carriers are not heard in FM mode.
    EXPECT_FALSE(Receive(card, TunerMode::Fm, 95800000).horizontalLock);
    EXPECT_FALSE(Receive(card, TunerMode::Fm, 175250000).heard());
}

TEST(TunerModel, BandsIncludeTheirEnds) {
    EXPECT_TRUE(TunerAccepts(TunerMode::Tv, 40000000));
    EXPECT_FALSE(TunerAccepts(TunerMode::Tv, 39999999));
    EXPECT_TRUE(TunerAccepts(TunerMode::Tv, 870000000));
    EXPECT_FALSE(TunerAccepts(TunerMode::Tv, 870000001));
    EXPECT_TRUE(TunerAccepts(TunerMode::Fm, 87500000));
    EXPECT_FALSE(TunerAccepts(TunerMode::Fm, 87499999));
    EXPECT_TRUE(TunerAccepts(TunerMode::Fm, 108000000));
    EXPECT_FALSE(TunerAccepts(TunerMode::Fm, 108000001));
}
