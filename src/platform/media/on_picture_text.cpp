#include "on_picture_text.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {
// Text height as a share of the picture's height, and the smallest size still readable.
constexpr double kTextShare = 1.0 / 12;
constexpr int kSmallestPixels = 12;
} // namespace

QRect FitToAspect(const QRect& area, double aspect) {
    if (aspect <= 0 || area.isEmpty()) {
        return area;
    }
    int width = area.width();
    int height = static_cast<int>(std::lround(width / aspect));
    if (height > area.height()) {
        height = area.height();
        width = static_cast<int>(std::lround(height * aspect));
    }
    return {area.left() + (area.width() - width) / 2, area.top() + (area.height() - height) / 2, width,
            height};
}

void DrawOnPictureText(QPainter& painter, const QRect& area, const QStringList& lines) {
    if (lines.isEmpty() || area.isEmpty()) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(std::max(kSmallestPixels, static_cast<int>(area.height() * kTextShare)));
    const QFontMetrics metrics(font);
    const int margin = metrics.height() / 2;
    QPainterPath path;
    int baseline = area.top() + margin + metrics.ascent();
    for (const QString& line : lines) {
        path.addText(area.left() + margin, baseline, font, line);
        baseline += metrics.lineSpacing();
    }
    painter.setPen(
        QPen(Qt::black, std::max(2.0, font.pixelSize() / 8.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(0x7C, 0xFC, 0x5A));
    painter.drawPath(path);
    painter.restore();
}
