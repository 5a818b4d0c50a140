// SPDX-License-Identifier: GPL-2.0-or-later
#include "frequency_text.h"

#include <cmath>
#include <limits>

QString FormatFrequencyMHz(std::int32_t hz, const QLocale& locale) {
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(static_cast<double>(hz) * 0.000001, 'f', 2);
}

std::optional<std::int32_t> ParseFrequencyMHz(const QString& text, const QLocale& locale) {
    // Only the decimal separator is part of a number here: "1,000" or, in German, "1.000" is a typo rather
    // than a thousand megahertz, and leaves the frequency as it was.
    QLocale strict = locale;
    strict.setNumberOptions(strict.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    const double mhz = strict.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(mhz)) {
        return std::nullopt;
    }
    long double hz = static_cast<long double>(mhz) * 1000000.0L;
    // The text was decimal; a binary double sits just below many decimal values (100.1 is 100.09999...), so
    // settle the product on the nearest millihertz before truncating, as exact decimal arithmetic would.
    if (std::fabs(hz) < 1e15L) {
        hz = std::round(hz * 1000.0L) / 1000.0L;
    }
    hz = std::trunc(hz);
    constexpr long double kMin = std::numeric_limits<std::int32_t>::min();
    constexpr long double kMax = std::numeric_limits<std::int32_t>::max();
    if (hz <= kMin) {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (hz >= kMax) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(hz);
}
