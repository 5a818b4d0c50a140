#pragma once
// The shape the picture is shown at. An analog frame of 720 x 576 is 4:3 with pixels wider than high, so
// showing it in square pixels squeezes it; the video window's "Aspect" choice says which shape to use.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

enum class PictureAspect { Auto, FourThree, SixteenNine, Square };

struct PictureAspectName {
    PictureAspect aspect;
    // How the settings store it.
    const char* key;
    // What the menu shows.
    const char* caption;
};

// In the menu's order.
std::span<const PictureAspectName> PictureAspectNames();
std::optional<PictureAspect> PictureAspectOfKey(const std::string& key);
const char* PictureAspectKey(PictureAspect aspect);

// Line counts and widths of frames sampled from an analog picture (full frames and single fields): these are
// 4:3 whatever their width.
bool IsAnalogFrameSize(std::int32_t width, std::int32_t height);

// Width over height of a width x height picture shown at the aspect. Auto takes the caps' pixel aspect
// ratio when it is not 1:1 (parNumerator or parDenominator 0: none known), then 4:3 for analog sizes, then
// square pixels. 0 for an empty picture.
double DisplayAspectOf(PictureAspect aspect, std::int32_t width, std::int32_t height,
                       std::int32_t parNumerator, std::int32_t parDenominator);

// The width a picture of this height takes at a display aspect (rounded), at least 1; the width itself
// when the aspect is 0.
std::int32_t ShapedWidth(std::int32_t width, std::int32_t height, double displayAspect);
