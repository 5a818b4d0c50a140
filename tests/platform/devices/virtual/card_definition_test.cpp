// SPDX-License-Identifier: GPL-2.0-or-later
// The virtual card's definition file: what it may say, and that a broken file never leaves the user
// without a card.

#include "platform/devices/virtual/card_definition.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

TEST(CardDefinition, ReadsEveryPartOfTheFile) {
    std::string error;
    const auto card = ParseCardDefinition(R"({
        "tv": [{"freq": 175250000, "name": "One", "lock": false, "audio": "dual"}, {"freq": 183250000, "name": "Two"}],
        "radio": [{"freq": 95800000, "name": "FM"}],
        "crossbars": 2,
        "procamp": {"hue": [-10, 10, 2, 0]},
        "faults": {"bind": false, "no_preview_pin": true, "lose_device_after_ms": 1500, "fail_sound_after_ms": 300}
    })",
                                          &error);
    ASSERT_TRUE(card) << error;
    ASSERT_EQ(card->tv.size(), 2u);
    EXPECT_EQ(card->tv[0].frequency, 175250000);
    EXPECT_FALSE(card->tv[0].lock);
    EXPECT_EQ(card->tv[0].audio, CarrierAudio::Dual);
    EXPECT_TRUE(card->tv[1].lock); // lock and audio have defaults
    EXPECT_EQ(card->tv[1].audio, CarrierAudio::Mono);
    EXPECT_EQ(card->radio.at(0).name, "FM");
    EXPECT_EQ(card->crossbars, 2);
    EXPECT_EQ(card->picture[2], (PictureRange{-10, 10, 2, 0}));
    EXPECT_EQ(card->picture[0], (PictureRange{0, 255, 1, 128})); // not overridden
    EXPECT_TRUE(card->faults.noPreviewPin);
    EXPECT_FALSE(card->faults.bind);
    EXPECT_EQ(card->faults.loseDeviceAfterMs, 1500);
    EXPECT_EQ(card->faults.failSoundAfterMs, 300);
}

TEST(CardDefinition, MalformedFilesAreRefusedWithAReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"{\"tv\": [", "parse"},
        {"[]", "object"},
        {R"({"tv": [{"name": "x"}]})", "freq"},
        {R"({"tv": [{"freq": 1, "name": "x", "audio": "surround"}]})", "audio"},
        {R"({"radio": [{"freq": 95800000}]})", "name"},
        {R"({"crossbars": 3})", "crossbars"},
        {R"({"procamp": {"brightness": [10, 0, 1, 5]}})", "brightness"},
        {R"({"procamp": {"gamma": [0, 1, 1, 0]}})", "gamma"},
        {R"({"faults": {"explode": true}})", "explode"},
        {R"({"faults": {"bind": 1}})", "bind"},
        {R"({"faults": {"lose_device_after_ms": -5}})", "lose_device_after_ms"},
    };
    for (const auto& [text, named] : cases) {
        std::string error;
        EXPECT_FALSE(ParseCardDefinition(text, &error)) << text;
        EXPECT_NE(error.find(named), std::string::npos) << text << " -> " << error;
    }
}

TEST(CardDefinition, ABrokenFileGivesAMessageAndTheBuiltInCard) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("card.json").toStdString();
    std::ofstream(path) << R"({"crossbars": "two"})";
    setenv("CORVANE_VIRTUAL_CARD", path.c_str(), 1);
    testing::internal::CaptureStderr();
    const CardDefinition card = LoadCardDefinition();
    const std::string message = testing::internal::GetCapturedStderr();
    unsetenv("CORVANE_VIRTUAL_CARD");
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_NE(message.find("crossbars"), std::string::npos) << message;
    EXPECT_EQ(card.tv.size(), BuiltInCardDefinition().tv.size());
    EXPECT_EQ(card.crossbars, 1);

    setenv("CORVANE_VIRTUAL_CARD", dir.filePath("missing.json").toLocal8Bit().constData(), 1);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(LoadCardDefinition().tv.empty());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot be read"), std::string::npos);
    unsetenv("CORVANE_VIRTUAL_CARD");
}

TEST(CardDefinition, AGoodFileReplacesTheBuiltInCard) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("card.json").toStdString();
    std::ofstream(path) << R"({"tv": [{"freq": 49750000, "name": "Only"}], "radio": []})";
    setenv("CORVANE_VIRTUAL_CARD", path.c_str(), 1);
    testing::internal::CaptureStderr();
    const CardDefinition card = LoadCardDefinition();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    unsetenv("CORVANE_VIRTUAL_CARD");
    ASSERT_EQ(card.tv.size(), 1u);
    EXPECT_EQ(card.tv[0].name, "Only");
    EXPECT_TRUE(card.radio.empty());
}
