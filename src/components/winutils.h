// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Small window utilities the component set carries: formatted message boxes, a rotated font, banded gradient
// fills and the running system's version line.

#include "platform/win/message_boxes.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include <cstdint>

class QPainter;
class QWidget;

// Message box type flags, as the platform numbers them.
constexpr std::uint32_t MB_OK = 0x0;
constexpr std::uint32_t MB_OKCANCEL = 0x1;
constexpr std::uint32_t MB_YESNO = 0x4;
constexpr std::uint32_t MB_ICONHAND = 0x10;
constexpr std::uint32_t MB_ICONERROR = MB_ICONHAND;
constexpr std::uint32_t MB_ICONSTOP = MB_ICONHAND;
constexpr std::uint32_t MB_ICONQUESTION = 0x20;
constexpr std::uint32_t MB_ICONEXCLAMATION = 0x30;
constexpr std::uint32_t MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr std::uint32_t MB_ICONASTERISK = 0x40;
constexpr std::uint32_t MB_ICONINFORMATION = MB_ICONASTERISK;

// printf-style text into a 2000-byte buffer, shown in a box; returns the button chosen.
int QorMsg(MessageBoxes& boxes, QWidget* owner, std::uint32_t type, const char* caption, const char* format,
           ...) __attribute__((format(printf, 5, 6)));
// As QorMsg, followed by a line with the system's text for the error code (an errno value).
int QorErrMsg(MessageBoxes& boxes, QWidget* owner, int errorCode, std::uint32_t type, const char* caption,
              const char* format, ...) __attribute__((format(printf, 6, 7)));
// Shows the system's text for the calling thread's last error (errno) with the information icon.
void ShowLastError(MessageBoxes& boxes, const char* caption);

// A font description turned by an angle. Qt turns text with the painter, so the description carries what the
// painter needs; the fields follow the platform's logical font so callers can inspect them.
struct RotatedFont {
    QFont font;
    int height = 0;
    int escapement = 0;  // tenths of a degree
    int orientation = 0; // tenths of a degree
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charSet = 1;
    int pitch = 0; // 2 variable, 1 fixed, 0 unknown
    QString faceName;
};
RotatedFont CreateRotatedFont(const QFont& font, int angleDegrees);
// Draws text at the point, turned counter-clockwise by the font's escapement.
void DrawRotatedText(QPainter& painter, QPoint at, const QString& text, const RotatedFont& font);

enum TFillDirection { fdTopToBottom = 0, fdBottomToTop = 1, fdLeftToRight = 2, fdRightToLeft = 3 };
void GradientFillRect(QPainter& painter, const QRect& rect, QColor from, QColor to, TFillDirection direction,
                      int colors);

// The version fields the platform reports.
struct OsVersionInfo {
    std::uint32_t platformId = 0;
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
    std::uint32_t buildNumber = 0;
    QString servicePack;
};
// "<system> <platform> (v<major>.<minor, two digits> build <build, three digits> <service pack>)", trimmed.
QString FormatVersionLine(const QString& system, const QString& platformName, const OsVersionInfo& info);
// The platform's own naming: platform ids 0, 1 and 2 with their names.
QString FormatWindowsVersion(OsVersionInfo info);
// The running system as one line in the same form, e.g. "Linux Debian GNU/Linux 12 (v6.01 build 000
// -18-amd64)".
QString GetWindowsVersion();
