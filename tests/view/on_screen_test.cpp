// Channel digits and the on-screen display, on the virtual clock.
#include "view/channel_digit_entry.h"
#include "view/on_screen_display.h"

#include <gtest/gtest.h>

namespace {

TEST(ChannelDigitEntry, OneDigitEndsAfterThePauseTwoDigitsAtOnce) {
    ChannelDigitEntry entry;
    EXPECT_FALSE(entry.type(7, 1000));
    EXPECT_TRUE(entry.typing());
    EXPECT_FALSE(entry.pause(1000 + ChannelDigitEntry::kPauseMs - 1));
    EXPECT_EQ(entry.pause(1000 + ChannelDigitEntry::kPauseMs), 7);
    EXPECT_FALSE(entry.typing());
    EXPECT_FALSE(entry.pause(9000)) << "a number ends once";

    EXPECT_FALSE(entry.type(1, 10000));
    EXPECT_EQ(entry.typed(), "1");
    // The second digit comes within the pause and ends the number without waiting.
    EXPECT_EQ(entry.type(2, 10000 + ChannelDigitEntry::kPauseMs - 1), 12);
    EXPECT_FALSE(entry.typing());
    // Leading zero: "0" then "5" is channel 5.
    EXPECT_FALSE(entry.type(0, 20000));
    EXPECT_EQ(entry.type(5, 20100), 5);
}

TEST(ChannelDigitEntry, ThePauseCountsAcrossTheClocksWrap) {
    ChannelDigitEntry entry;
    const std::uint32_t nearWrap = 0xFFFFFF00u;
    entry.type(3, nearWrap);
    EXPECT_FALSE(entry.pause(nearWrap + 1000));
    EXPECT_EQ(entry.pause(nearWrap + ChannelDigitEntry::kPauseMs), 3);
}

TEST(OnScreenDisplay, AChannelShowsForTwoSecondsWithNoSignalAddedBelowIt) {
    OnScreenDisplay display;
    EXPECT_TRUE(display.lines(0).isEmpty());
    display.showChannel(3, QStringLiteral("Test One"), 5000);
    EXPECT_EQ(display.lines(5000), QStringList{QStringLiteral("3  Test One")});
    display.showSignal(true, 5400);
    EXPECT_EQ(display.lines(5400).size(), 1) << "a locked picture adds nothing";
    display.showSignal(false, 5900);
    display.showSignal(false, 6000);
    EXPECT_EQ(display.lines(6000),
              (QStringList{QStringLiteral("3  Test One"), QStringLiteral("[no signal]")}));
    // The answer does not make it stay longer.
    EXPECT_EQ(display.lines(5000 + OnScreenDisplay::kShownMs - 1).size(), 2);
    EXPECT_TRUE(display.lines(5000 + OnScreenDisplay::kShownMs).isEmpty());
    display.showSignal(false, 7500);
    EXPECT_TRUE(display.lines(7500).isEmpty()) << "no signal with no channel shown";
}

TEST(OnScreenDisplay, TheLastThingShownReplacesTheOneBefore) {
    OnScreenDisplay display;
    display.showChannel(1, QStringLiteral("One"), 0);
    display.showVolume(75, 1500);
    EXPECT_EQ(display.lines(3000), QStringList{QStringLiteral("Volume 75%")});
    display.showSignal(false, 3000);
    EXPECT_EQ(display.lines(3000).size(), 1) << "no signal belongs below a channel only";
    EXPECT_TRUE(display.lines(3500).isEmpty());
}

} // namespace
