// SPDX-License-Identifier: GPL-2.0-or-later
// Frequency text as typed into the list editors, in locales with either decimal separator.
#include "channels/frequency_text.h"

#include <QLocale>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany),
                                  QLocale(QLocale::French, QLocale::France)}) {
        const auto hz = ParseFrequencyMHz(text, locale);
        if (!hz) {
            continue;
        }
        // What is shown reads back as the same frequency to the 10 kHz it shows.
        const auto shown = ParseFrequencyMHz(FormatFrequencyMHz(*hz, locale), locale);
        if (!shown || std::llabs(static_cast<long long>(*shown) - *hz) > 5000) {
            std::abort();
        }
    }
    return 0;
}
