// SPDX-License-Identifier: GPL-2.0-or-later
// The shape rules of the video window's picture-shape menu, and the layout and zoom they give.
#include "view/picture_shape.h"

#include <gtest/gtest.h>

namespace {

constexpr double kFourThree = 4.0 / 3.0;
constexpr double kSixteenNine = 16.0 / 9.0;

TEST(PictureShape, AutoTakesTheStatedPixelShapeThenFourThreeForAnalogSizes) {
    // A stated pixel shape wins: a 16:9 broadcast stored at 720 x 576.
    EXPECT_DOUBLE_EQ(DisplayRatioOf(PictureShape::Auto, 720, 576, 64, 45), kSixteenNine);
    // 1:1 or none stated: analog frames and fields are 4:3 whatever their width.
    for (const auto& [width, height] :
         {std::pair{720, 576}, {704, 576}, {768, 576}, {720, 480}, {352, 288}, {384, 288}, {320, 240}}) {
        EXPECT_DOUBLE_EQ(DisplayRatioOf(PictureShape::Auto, width, height, 1, 1), kFourThree)
            << width << "x" << height;
        EXPECT_DOUBLE_EQ(DisplayRatioOf(PictureShape::Auto, width, height, 0, 0), kFourThree);
    }
    // Anything else keeps square pixels: a 16:9 file in square pixels stays 16:9.
    EXPECT_DOUBLE_EQ(DisplayRatioOf(PictureShape::Auto, 1024, 576, 1, 1), 1024.0 / 576);
    EXPECT_DOUBLE_EQ(DisplayRatioOf(PictureShape::Auto, 353, 289, 1, 1), 353.0 / 289);
}

TEST(PictureShape, FixedChoicesIgnoreTheStreamAndAnEmptyPictureHasNone) {
    EXPECT_DOUBLE_EQ(DisplayRatioOf(PictureShape::FourThree, 1280, 720, 1, 1), kFourThree);
    EXPECT_DOUBLE_EQ(DisplayRatioOf(PictureShape::SixteenNine, 720, 576, 1, 1), kSixteenNine);
    EXPECT_DOUBLE_EQ(DisplayRatioOf(PictureShape::Square, 720, 576, 64, 45), 720.0 / 576);
    EXPECT_EQ(DisplayRatioOf(PictureShape::Auto, 0, 576, 1, 1), 0.0);
    EXPECT_EQ(DisplayRatioOf(PictureShape::FourThree, 720, 0, 1, 1), 0.0);
}

TEST(PictureShape, ShapedWidthsAreWholePixels) {
    EXPECT_EQ(ShapedWidth(720, 576, kFourThree), 768);
    EXPECT_EQ(ShapedWidth(720, 576, kSixteenNine), 1024);
    EXPECT_EQ(ShapedWidth(352, 288, kFourThree), 384);
    EXPECT_EQ(ShapedWidth(720, 576, 0.0), 720);
    EXPECT_EQ(ShapedWidth(1, 1, 0.001), 1);
}

TEST(PictureShape, StoredKeysReadBackAndUnknownOnesAreRefused) {
    for (const PictureShapeName& name : PictureShapeNames()) {
        EXPECT_EQ(PictureShapeOfKey(PictureShapeKey(name.shape)), name.shape);
    }
    EXPECT_FALSE(PictureShapeOfKey("4:3 "));
    EXPECT_FALSE(PictureShapeOfKey(""));
}

} // namespace
