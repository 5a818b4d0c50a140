// SPDX-License-Identifier: GPL-2.0-or-later
#include "winutils.h"

#include "platform/com/hresult.h"

#include <QFile>
#include <QFontInfo>
#include <QPainter>
#include <QRegularExpression>

#include <sys/utsname.h>

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace {

constexpr std::size_t kFormatBufferSize = 2000;

MessageIcon iconOf(std::uint32_t type) {
    switch (type & 0xF0u) {
    case MB_ICONHAND:
        return MessageIcon::Error;
    case MB_ICONQUESTION:
        return MessageIcon::Question;
    case MB_ICONEXCLAMATION:
        return MessageIcon::Warning;
    case MB_ICONASTERISK:
        return MessageIcon::Information;
    default:
        return MessageIcon::None;
    }
}

MessageButtons buttonsOf(std::uint32_t type) {
    switch (type & 0x0Fu) {
    case MB_OKCANCEL:
        return MessageButtons::OkCancel;
    case MB_YESNO:
        return MessageButtons::YesNo;
    default:
        return MessageButtons::Ok;
    }
}

int showBox(MessageBoxes& boxes, QWidget* owner, std::uint32_t type, const char* caption,
            const QString& text) {
    return static_cast<int>(boxes.show(owner, text, QString::fromLocal8Bit(caption ? caption : ""),
                                       iconOf(type), buttonsOf(type)));
}

QString systemErrorText(int errorCode) {
    return QString::fromStdString(FormatMessage(HResultFromErrno(errorCode)));
}

// Rounds a * b / c to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c) {
    if (c == 0) {
        return -1;
    }
    const double exact = static_cast<double>(a) * b / c;
    return static_cast<int>(exact < 0 ? std::ceil(exact - 0.5) : std::floor(exact + 0.5));
}

} // namespace

int QorMsg(MessageBoxes& boxes, QWidget* owner, std::uint32_t type, const char* caption, const char* format,
           ...) {
    static char buffer[kFormatBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format ? format : "", args);
    va_end(args);
    return showBox(boxes, owner, type, caption, QString::fromLocal8Bit(buffer));
}

int QorErrMsg(MessageBoxes& boxes, QWidget* owner, int errorCode, std::uint32_t type, const char* caption,
              const char* format, ...) {
    static char buffer[kFormatBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format ? format : "", args);
    va_end(args);
    const QString text = QString::fromLocal8Bit(buffer) + QLatin1Char('\n') + systemErrorText(errorCode);
    return showBox(boxes, owner, type, caption, text);
}

void ShowLastError(MessageBoxes& boxes, const char* caption) {
    const int error = errno;
    showBox(boxes, nullptr, MB_ICONINFORMATION, caption, systemErrorText(error));
}

RotatedFont CreateRotatedFont(const QFont& font, int angleDegrees) {
    RotatedFont rotated;
    rotated.font = font;
    rotated.height = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    rotated.escapement = angleDegrees * 10;
    rotated.orientation = angleDegrees * 10;
    rotated.weight = font.bold() ? 700 : 400;
    rotated.italic = font.italic();
    rotated.underline = font.underline();
    rotated.strikeOut = font.strikeOut();
    rotated.charSet = 1;
    rotated.faceName = font.family().left(31);
    rotated.pitch = QFontInfo(font).fixedPitch() ? 1 : 2;
    return rotated;
}

void DrawRotatedText(QPainter& painter, QPoint at, const QString& text, const RotatedFont& font) {
    painter.save();
    painter.setFont(font.font);
    painter.translate(at);
    // Escapement turns counter-clockwise on screen; Qt's rotation is clockwise.
    painter.rotate(-font.escapement / 10.0);
    painter.drawText(QPoint(0, painter.fontMetrics().ascent()), text);
    painter.restore();
}

void GradientFillRect(QPainter& painter, const QRect& rect, QColor from, QColor to, TFillDirection direction,
                      int colors) {
    if (rect.isEmpty()) {
        return;
    }
    if (colors < 2) {
        painter.fillRect(rect, from);
        return;
    }
    const bool vertical = direction == fdTopToBottom || direction == fdBottomToTop;
    const QColor start = (direction == fdTopToBottom || direction == fdLeftToRight) ? from : to;
    const QColor end = (direction == fdTopToBottom || direction == fdLeftToRight) ? to : from;
    const int extent = vertical ? rect.height() : rect.width();
    const int n = std::max(2, std::min(colors, extent));
    const int band = extent / n;
    if (band > 0) {
        for (int i = 0; i < n; ++i) {
            const QColor color(start.red() + MulDiv(i, end.red() - start.red(), n - 1),
                               start.green() + MulDiv(i, end.green() - start.green(), n - 1),
                               start.blue() + MulDiv(i, end.blue() - start.blue(), n - 1));
            const QRect bandRect = vertical ? QRect(rect.left(), rect.top() + i * band, rect.width(), band)
                                            : QRect(rect.left() + i * band, rect.top(), band, rect.height());
            painter.fillRect(bandRect, color);
        }
    }
    const int remainder = extent % n;
    if (remainder > 0) {
        const QRect rest = vertical
                               ? QRect(rect.left(), rect.bottom() + 1 - remainder, rect.width(), remainder)
                               : QRect(rect.right() + 1 - remainder, rect.top(), remainder, rect.height());
        painter.fillRect(rest, end);
    }
}

QString FormatVersionLine(const QString& system, const QString& platformName, const OsVersionInfo& info) {
    char line[512];
    const QByteArray name = platformName.toLocal8Bit();
    const QByteArray pack = info.servicePack.toLocal8Bit();
    std::snprintf(line, sizeof line, "%s %s (v%u.%.2u build %.3u %s)", system.toLocal8Bit().constData(),
                  name.constData(), info.majorVersion, info.minorVersion, info.buildNumber, pack.constData());
    return QString::fromLocal8Bit(line).trimmed();
}

QString FormatWindowsVersion(OsVersionInfo info) {
    QString platform;
    switch (info.platformId) {
    case 0:
        platform = QStringLiteral("32s");
        break;
    case 1:
        info.buildNumber &= 0xFFFFu;
        platform = (info.majorVersion > 4 || (info.majorVersion == 4 && info.minorVersion >= 10))
                       ? QStringLiteral("98")
                       : QStringLiteral("95");
        break;
    case 2:
        platform = QStringLiteral("NT");
        break;
    default:
        break;
    }
    return FormatVersionLine(QStringLiteral("Windows"), platform, info);
}

namespace {

QString distributionName() {
    QFile osRelease(QStringLiteral("/etc/os-release"));
    if (!osRelease.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return {};
    }
    QString name;
    QString version;
    while (!osRelease.atEnd()) {
        const QString line = QString::fromUtf8(osRelease.readLine()).trimmed();
        const auto unquote = [](QString value) { return value.remove(QLatin1Char('"')); };
        if (line.startsWith(QLatin1String("NAME="))) {
            name = unquote(line.mid(5));
        } else if (line.startsWith(QLatin1String("VERSION_ID="))) {
            version = unquote(line.mid(11));
        }
    }
    return version.isEmpty() ? name : name + QLatin1Char(' ') + version;
}

} // namespace

QString GetWindowsVersion() {
    utsname system{};
    if (uname(&system) != 0) {
        return QStringLiteral("Linux");
    }
    // "6.1.0-18-amd64": major, minor and patch level, then the distribution's own build text.
    const QString release = QString::fromLocal8Bit(system.release);
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^(\\d+)\\.(\\d+)(?:\\.(\\d+))?(.*)$")).match(release);
    OsVersionInfo info;
    if (match.hasMatch()) {
        info.majorVersion = match.captured(1).toUInt();
        info.minorVersion = match.captured(2).toUInt();
        info.buildNumber = match.captured(3).toUInt();
        info.servicePack = match.captured(4);
    } else {
        info.servicePack = release;
    }
    return FormatVersionLine(QString::fromLocal8Bit(system.sysname), distributionName(), info);
}
