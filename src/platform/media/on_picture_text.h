#pragma once
// Painting over the picture in the renderer's window: the rectangle a picture of a given shape takes in an
// area, and lines of text in the style of a TV's on-screen display.

#include <QRect>
#include <QStringList>

class QPainter;

// The largest rectangle of width / height = aspect centred in area.
QRect FitToAspect(const QRect& area, double aspect);

// Large light lines with a dark outline in the top left corner, sized to the area's height so they read the
// same in a small window and in full screen.
void DrawOnPictureText(QPainter& painter, const QRect& area, const QStringList& lines);
