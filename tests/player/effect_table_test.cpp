// SPDX-License-Identifier: GPL-2.0-or-later
// The effect table's limits, with many effects installed. A program of its own: the effects it registers
// would crowd the lists of the other player tests.

#include "narrow_effect.h"
#include "player_test_support.h"

#include "platform/media/gst/effect_catalog.h"

#include <clocale>
#include <string>

namespace {

TEST(EffectTable, OnlyTheFirstHundredEffectsAreListed) {
    for (int i = 0; i < 120; ++i) {
        const std::string name = "corvanemany" + std::to_string(1000 + i);
        RegisterNarrowRateEffectAs(name.c_str(), ("Many " + std::to_string(i)).c_str());
    }
    ASSERT_GT(InstalledAudioEffects().size(), 100u);
    RecordingMessageBoxes boxes;
    VideoTargetRecord target;
    TPlayerTools tools(nullptr, &target, boxes);
    EXPECT_EQ(tools.EnumerateEffects(), TPlayerTools::MaxListedEffects);
    EXPECT_EQ(tools.effectEntry(99).classId, InstalledAudioEffects()[99].classId);
    EXPECT_EQ(tools.effectEntry(100).name[0], '\0');
    EXPECT_TRUE(boxes.shown().empty());
}

TEST(EffectTable, ANameThatCannotBeConvertedEndsTheListWithAMessage) {
    // Sorted first of all, so the rows before it are the installed effects whose names start lower.
    RegisterNarrowRateEffectAs("aaacorvaneaccent", "Écho du test");
    const auto installed = InstalledAudioEffects();
    ASSERT_EQ(installed.front().factoryName, "aaacorvaneaccent");
    RecordingMessageBoxes boxes;
    VideoTargetRecord target;
    TPlayerTools tools(nullptr, &target, boxes);
    // In the plain C locale a multibyte text holds ASCII only.
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "C");
    const int rows = tools.EnumerateEffects();
    std::setlocale(LC_CTYPE, previous.c_str());
    EXPECT_EQ(rows, 0);
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text,
              "wcstombs function encountered a wide character that could not be converted to a "
              "multibyte character.");
    EXPECT_EQ(boxes.shown()[0].caption, "Error enumerating DMOs");
    EXPECT_EQ(boxes.shown()[0].icon, MessageIcon::Error);

    // In a UTF-8 locale the same name is kept.
    if (std::setlocale(LC_CTYPE, "C.UTF-8")) {
        boxes.clear();
        EXPECT_GT(tools.EnumerateEffects(), 0);
        EXPECT_STREQ(tools.effectEntry(0).name, "Écho du test");
        std::setlocale(LC_CTYPE, previous.c_str());
    }
}

} // namespace
