// SPDX-License-Identifier: GPL-2.0-or-later
#include "channels/frequency_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

const QLocale kC = QLocale::c();
const QLocale kGerman(QLocale::German, QLocale::Germany);

TEST(FrequencyText, ShowsMegahertzWithTwoDecimalsInTheUsersNotation) {
    EXPECT_EQ(FormatFrequencyMHz(100000000, kC), "100.00");
    EXPECT_EQ(FormatFrequencyMHz(88150000, kC), "88.15");
    EXPECT_EQ(FormatFrequencyMHz(800000000, kC), "800.00");
    EXPECT_EQ(FormatFrequencyMHz(88149999, kC), "88.15"); // rounded, not cut
    EXPECT_EQ(FormatFrequencyMHz(100000000, kGerman), "100,00");
    EXPECT_EQ(FormatFrequencyMHz(std::numeric_limits<std::int32_t>::max(), kGerman), "2147,48");
}

TEST(FrequencyText, ReadsDecimalMegahertzToWholeHertz) {
    EXPECT_EQ(ParseFrequencyMHz("100.1", kC), 100100000);
    EXPECT_EQ(ParseFrequencyMHz(" 88.15 ", kC), 88150000);
    EXPECT_EQ(ParseFrequencyMHz("471.25", kC), 471250000);
    EXPECT_EQ(ParseFrequencyMHz("100.0000009", kC), 100000000); // truncated toward zero
    EXPECT_EQ(ParseFrequencyMHz("-0.0000019", kC), -1);
}

TEST(FrequencyText, OutOfRangeTextSaturatesAndNonNumbersAreRejected) {
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(ParseFrequencyMHz("2147.483647", kC), kMax);
    EXPECT_EQ(ParseFrequencyMHz("2147.483648", kC), kMax);
    EXPECT_EQ(ParseFrequencyMHz("3000", kC), kMax);
    EXPECT_EQ(ParseFrequencyMHz("4294.967396", kC), kMax); // would wrap to 100 Hz in 32 bits
    EXPECT_EQ(ParseFrequencyMHz("1e300", kC), kMax);
    EXPECT_EQ(ParseFrequencyMHz("-1e300", kC), kMin);
    for (const char* text : {"", "abc", "12abc", "inf", "nan", "1.2.3", "1,000", "100,5"}) {
        EXPECT_FALSE(ParseFrequencyMHz(QString::fromLatin1(text), kC)) << text;
    }
    // Only the user's decimal separator counts; the group separator is no part of a typed frequency.
    EXPECT_EQ(ParseFrequencyMHz("100,5", kGerman), 100500000);
    EXPECT_FALSE(ParseFrequencyMHz("1.000", kGerman));
    EXPECT_FALSE(ParseFrequencyMHz("100.5", kGerman));
}

} // namespace
