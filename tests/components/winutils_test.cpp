// SPDX-License-Identifier: GPL-2.0-or-later
#include "components/winutils.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cerrno>

namespace {

QImage paintGradient(QSize size, QColor from, QColor to, TFillDirection direction, int colors) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    GradientFillRect(painter, QRect(QPoint(0, 0), size), from, to, direction, colors);
    return image;
}

int greyAt(const QImage& image, int x, int y) {
    const QColor c = image.pixelColor(x, y);
    EXPECT_TRUE(c.red() == c.green() && c.green() == c.blue()) << "pixel " << x << "," << y;
    return c.red();
}

} // namespace

TEST(GradientFillRect, ThreeBandsOfTenPixelsFromWhiteToBlack) {
    const QImage image = paintGradient({5, 30}, Qt::white, Qt::black, fdTopToBottom, 3);
    for (int y = 0; y < 30; ++y) {
        const int expected = y < 10 ? 255 : (y < 20 ? 127 : 0);
        EXPECT_EQ(greyAt(image, 2, y), expected) << "row " << y;
    }
}

TEST(GradientFillRect, MoreColoursThanPixelsGivesOnePixelBands) {
    const QImage image = paintGradient({3, 10}, Qt::black, Qt::white, fdTopToBottom, 256);
    for (int y = 0; y < 10; ++y) {
        // 10 bands: band i has 255 * i / 9, rounded half away from zero.
        const int expected = static_cast<int>(255.0 * y / 9 + 0.5);
        EXPECT_EQ(greyAt(image, 1, y), expected) << "row " << y;
    }
}

TEST(GradientFillRect, RemainderTakesTheEndColourAtTheFarEdge) {
    const QImage image = paintGradient({7, 2}, Qt::white, Qt::black, fdLeftToRight, 3);
    const int expected[7] = {255, 255, 127, 127, 0, 0, 0};
    for (int x = 0; x < 7; ++x) {
        EXPECT_EQ(greyAt(image, x, 0), expected[x]) << "column " << x;
    }
}

TEST(GradientFillRect, ReversedDirectionsSwapTheColours) {
    const QImage up = paintGradient({4, 30}, Qt::white, Qt::black, fdBottomToTop, 3);
    EXPECT_EQ(greyAt(up, 0, 0), 0);
    EXPECT_EQ(greyAt(up, 0, 29), 255);
    const QImage left = paintGradient({30, 4}, Qt::white, Qt::black, fdRightToLeft, 3);
    EXPECT_EQ(greyAt(left, 0, 0), 0);
    EXPECT_EQ(greyAt(left, 29, 0), 255);
}

TEST(GradientFillRect, FewerThanTwoColoursFillSolidAndEmptyRectsPaintNothing) {
    const QImage solid = paintGradient({6, 6}, Qt::red, Qt::blue, fdTopToBottom, 1);
    EXPECT_EQ(solid.pixelColor(5, 5), QColor(Qt::red));
    QImage untouched(4, 4, QImage::Format_RGB32);
    untouched.fill(Qt::magenta);
    QPainter painter(&untouched);
    GradientFillRect(painter, QRect(0, 0, 0, 4), Qt::red, Qt::blue, fdTopToBottom, 3);
    painter.end();
    EXPECT_EQ(untouched.pixelColor(0, 0), QColor(Qt::magenta));
}

TEST(VersionLine, FollowsThePlatformNaming) {
    EXPECT_EQ(FormatWindowsVersion({2, 5, 1, 2600, "Service Pack 2"}),
              "Windows NT (v5.01 build 2600 Service Pack 2)");
    EXPECT_EQ(FormatWindowsVersion({2, 5, 1, 2600, ""}), "Windows NT (v5.01 build 2600 )")
        << "only the ends of the whole line are trimmed";
    EXPECT_EQ(FormatWindowsVersion({1, 4, 10, 0x0A0A07CEu, " A "}), "Windows 98 (v4.10 build 1998  A )");
    EXPECT_EQ(FormatWindowsVersion({1, 4, 0, 950, ""}), "Windows 95 (v4.00 build 950 )");
    EXPECT_EQ(FormatWindowsVersion({0, 3, 11, 7, ""}), "Windows 32s (v3.11 build 007 )");
    EXPECT_EQ(FormatWindowsVersion({9, 1, 0, 1, "x"}), "Windows  (v1.00 build 001 x)");
}

TEST(VersionLine, DescribesTheRunningSystem) {
    const QString line = GetWindowsVersion();
    EXPECT_TRUE(line.startsWith(QLatin1String("Linux"))) << line.toStdString();
    EXPECT_TRUE(line.contains(QLatin1String("(v"))) << line.toStdString();
    EXPECT_EQ(line, line.trimmed());
}

TEST(MessageHelpers, FormatTheTextAndAppendTheSystemError) {
    RecordingMessageBoxes boxes;
    QorMsg(boxes, nullptr, MB_ICONERROR, "Caption", "%d files in %s", 3, "/tmp");
    QorErrMsg(boxes, nullptr, ENOENT, MB_ICONWARNING, "Open", "Can't open %s", "a.avi");
    errno = EACCES;
    ShowLastError(boxes, "Last");
    ASSERT_EQ(boxes.shown().size(), 3u);
    EXPECT_EQ(boxes.shown()[0].text, "3 files in /tmp");
    EXPECT_EQ(boxes.shown()[0].icon, MessageIcon::Error);
    EXPECT_EQ(boxes.shown()[1].text, "Can't open a.avi\nNo such file or directory");
    EXPECT_EQ(boxes.shown()[1].icon, MessageIcon::Warning);
    EXPECT_EQ(boxes.shown()[2].text, "Permission denied");
    EXPECT_EQ(boxes.shown()[2].caption, "Last");
    EXPECT_EQ(boxes.shown()[2].icon, MessageIcon::Information);
}

TEST(MessageHelpers, CutTextsAtTheBufferSize) {
    RecordingMessageBoxes boxes;
    const std::string longText(5000, 'x');
    QorMsg(boxes, nullptr, MB_OK, "c", "%s", longText.c_str());
    EXPECT_EQ(boxes.shown().at(0).text.size(), 1999);
}

TEST(RotatedFont, CarriesTheAngleAndTheFontsStyle) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(14);
    font.setBold(true);
    font.setItalic(true);
    const RotatedFont rotated = CreateRotatedFont(font, 90);
    EXPECT_EQ(rotated.escapement, 900);
    EXPECT_EQ(rotated.orientation, 900);
    EXPECT_EQ(rotated.weight, 700);
    EXPECT_TRUE(rotated.italic);
    EXPECT_FALSE(rotated.underline);
    EXPECT_EQ(rotated.height, 14);
    EXPECT_EQ(rotated.charSet, 1);
    EXPECT_LE(rotated.faceName.size(), 31);

    // Turned by 90 degrees, a wide text becomes tall.
    QImage image(60, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    DrawRotatedText(painter, QPoint(5, 190), QStringLiteral("MMMMMM"), rotated);
    painter.end();
    int top = image.height();
    int right = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) != QColor(Qt::white)) {
                top = std::min(top, y);
                right = std::max(right, x);
            }
        }
    }
    EXPECT_LT(top, 140) << "the text runs upwards";
    EXPECT_LT(right, 40);
}
