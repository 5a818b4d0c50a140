#pragma once
// How much an interlaced picture combs: where something moved between its two fields, neighbouring lines
// (one from each field) differ more than lines two apart (both from the same field). The metric is the mean
// luma difference of adjacent lines less that of lines two apart, over the whole picture, floored at 0; a
// progressive picture or a well deinterlaced one scores near 0.

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

struct CombReading {
    double adjacent = 0; // mean |Y(x, y) - Y(x, y + 1)|
    double twoApart = 0; // mean |Y(x, y) - Y(x, y + 2)|
    double comb() const { return std::max(0.0, adjacent - twoApart); }
};

inline CombReading ReadComb(const QImage& picture) {
    const QImage gray = picture.convertToFormat(QImage::Format_Grayscale8);
    CombReading reading;
    if (gray.height() < 3) {
        return reading;
    }
    std::int64_t adjacent = 0;
    std::int64_t twoApart = 0;
    for (int y = 0; y + 2 < gray.height(); ++y) {
        const uchar* line = gray.constScanLine(y);
        const uchar* next = gray.constScanLine(y + 1);
        const uchar* after = gray.constScanLine(y + 2);
        for (int x = 0; x < gray.width(); ++x) {
            adjacent += std::abs(line[x] - next[x]);
            twoApart += std::abs(line[x] - after[x]);
        }
    }
    const double count = double(gray.width()) * (gray.height() - 2);
    reading.adjacent = adjacent / count;
    reading.twoApart = twoApart / count;
    return reading;
}
