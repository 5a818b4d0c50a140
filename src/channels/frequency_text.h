// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Frequencies as the user reads and types them: MHz with two decimals and the user's decimal separator.

#include <QLocale>
#include <QString>

#include <cstdint>
#include <optional>

// 100000000 -> "100.00".
QString FormatFrequencyMHz(std::int32_t hz, const QLocale& locale);

// "100.1" -> 100100000: the number of MHz times 1,000,000, truncated toward zero to whole hertz. Values
// beyond the 32-bit range end at its limits, so a typed 3000 MHz clamps to the band's top rather than
// wrapping to a low frequency. Nothing when the text is not a finite number.
std::optional<std::int32_t> ParseFrequencyMHz(const QString& text, const QLocale& locale);
