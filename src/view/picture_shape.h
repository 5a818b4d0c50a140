// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The shape the picture is shown at. An analog frame of 720 x 576 is 4:3 with pixels wider than high, so
// showing it in square pixels squeezes it; the video window's shape menu says which one to use.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

enum class PictureShape { Auto, FourThree, SixteenNine, Square };

struct PictureShapeName {
    PictureShape shape;
    // How the settings store it.
    const char* key;
    // What the menu shows.
    const char* caption;
};

// In the menu's order.
std::span<const PictureShapeName> PictureShapeNames();
std::optional<PictureShape> PictureShapeOfKey(const std::string& key);
const char* PictureShapeKey(PictureShape shape);

// Line counts and widths of frames sampled from an analog picture (full frames and single fields): these are
// 4:3 whatever their width.
bool IsAnalogFrameSize(std::int32_t width, std::int32_t height);

// Width over height of a width x height picture shown at the shape. Auto takes the caps' pixel
// ratio when it is not 1:1 (parNumerator or parDenominator 0: none known), then 4:3 for analog sizes, then
// square pixels. 0 for an empty picture.
double DisplayRatioOf(PictureShape shape, std::int32_t width, std::int32_t height, std::int32_t parNumerator,
                      std::int32_t parDenominator);

// The width a picture of this height takes at a display ratio (rounded), at least 1; the width itself
// when the ratio is 0.
std::int32_t ShapedWidth(std::int32_t width, std::int32_t height, double displayRatio);
