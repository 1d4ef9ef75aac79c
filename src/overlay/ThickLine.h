#pragma once
// Solid lines of a given width written straight into a 32-bit or 24-bit image: the centre
// line is stepped along its major axis and widened across it (a square pen), clipped to the
// image. A full redraw draws hundreds of long, wide marks, where the general stroker of the
// painter costs many times a copy of the canvas.

#include <QColor>
#include <QImage>
#include <QPoint>

// Draws the line from a to b, both ends included. Returns false, drawing nothing, when the
// image format is not one it writes or a coordinate is too far out; the caller then paints
// the line the general way.
bool DrawThickLine(QImage& image, QPoint a, QPoint b, int width, const QColor& color);
