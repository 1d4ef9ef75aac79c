#pragma once
// The 2-D graphics copy the compositor uses for every frame: a plain, non-smoothed scaled
// copy of a rectangle of one bitmap into a rectangle of another (SRCCOPY); and the step from a
// canvas's units to its device pixels, shared by the compositor and the marks.

#include <QImage>
#include <QRect>

namespace platform {

// Copies srcRect of `source` into destRect of `dest`, scaling by nearest pixel centres.
// The destination rectangle is cut to `dest`; pixels keep the mapping of the uncut one.
// 32-bit bitmaps take a fast path that allocates nothing per call; anything else goes
// through QPainter.
void StretchBlt(QImage& dest, const QRect& destRect, const QImage& source, const QRect& srcRect);

// Copies srcRect of `source` to `dest` at `to`, unscaled, cut to both bitmaps. A 24-bit
// frame into a 32-bit holder, and 32-bit into 32-bit, take fast paths on this thread.
void BitBlt(QImage& dest, QPoint to, const QImage& source, const QRect& srcRect);

// A canvas's pixels may be denser than its units (a high-density screen): geometry is kept in
// units, pixel loops and painters work in pixels. The pixels of `units` on `canvas`, each edge
// rounded on its own, so that rectangles meeting in units meet in pixels.
QRect InPixels(const QRect& units, const QImage& canvas);

// The same pixels as `canvas`, sharing its memory, with no density of their own: a painter on
// it works in pixels.
QImage PixelView(QImage& canvas);

}  // namespace platform
