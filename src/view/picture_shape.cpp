// SPDX-License-Identifier: GPL-2.0-or-later
#include "picture_shape.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr std::array kNames = {
    PictureShapeName{PictureShape::Auto, "auto", "Auto"},
    PictureShapeName{PictureShape::FourThree, "4:3", "4:3"},
    PictureShapeName{PictureShape::SixteenNine, "16:9", "16:9"},
    PictureShapeName{PictureShape::Square, "square", "Square pixels"},
};

struct AnalogSizes {
    std::int32_t lines;
    std::array<std::int32_t, 7> widths;
};
// Frames of 576 and 480 lines at the usual sampling rates (BT.601's 720 and 704, square-pixel 768 and 640,
// the reduced 480, 528 and 544 of SVCD and DVB) and single fields of 288 and 240 lines at half of those.
constexpr std::array kAnalogSizes = {
    AnalogSizes{576, {480, 528, 544, 640, 704, 720, 768}},
    AnalogSizes{480, {480, 528, 544, 640, 704, 720, 720}},
    AnalogSizes{288, {240, 320, 352, 360, 384, 384, 384}},
    AnalogSizes{240, {240, 320, 352, 360, 360, 360, 360}},
};

constexpr double kFourThree = 4.0 / 3.0;
constexpr double kSixteenNine = 16.0 / 9.0;

} // namespace

std::span<const PictureShapeName> PictureShapeNames() {
    return kNames;
}

std::optional<PictureShape> PictureShapeOfKey(const std::string& key) {
    for (const PictureShapeName& name : kNames) {
        if (key == name.key) {
            return name.shape;
        }
    }
    return std::nullopt;
}

const char* PictureShapeKey(PictureShape shape) {
    for (const PictureShapeName& name : kNames) {
        if (shape == name.shape) {
            return name.key;
        }
    }
    return kNames.front().key;
}

bool IsAnalogFrameSize(std::int32_t width, std::int32_t height) {
    return std::any_of(kAnalogSizes.begin(), kAnalogSizes.end(), [&](const AnalogSizes& sizes) {
        return sizes.lines == height &&
               std::find(sizes.widths.begin(), sizes.widths.end(), width) != sizes.widths.end();
    });
}

double DisplayRatioOf(PictureShape shape, std::int32_t width, std::int32_t height, std::int32_t parNumerator,
                      std::int32_t parDenominator) {
    if (width < 1 || height < 1) {
        return 0.0;
    }
    const double square = static_cast<double>(width) / height;
    switch (shape) {
    case PictureShape::FourThree:
        return kFourThree;
    case PictureShape::SixteenNine:
        return kSixteenNine;
    case PictureShape::Square:
        return square;
    case PictureShape::Auto:
        break;
    }
    if (parNumerator > 0 && parDenominator > 0 && parNumerator != parDenominator) {
        return square * parNumerator / parDenominator;
    }
    return IsAnalogFrameSize(width, height) ? kFourThree : square;
}

std::int32_t ShapedWidth(std::int32_t width, std::int32_t height, double displayRatio) {
    if (displayRatio <= 0 || height < 1) {
        return width;
    }
    return std::max<std::int32_t>(1, static_cast<std::int32_t>(std::lround(height * displayRatio)));
}
