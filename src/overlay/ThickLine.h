#pragma once
// Solid lines of a given width written straight into a 32-bit or 24-bit image: the centre
// line is stepped along its major axis and widened across it (a square pen), clipped to the
// image. A full redraw draws hundreds of long, wide marks, where the general stroker of the
// painter costs many times a copy of the canvas.

#include <QColor>
#include <QImage>
#include <QPoint>

#include <cstdint>

// One pen over one image: the format, the pixel value and the row layout are worked out once,
// so a curve drawn as hundreds of short chords pays for them once rather than per chord.
class ThickLine {
public:
    ThickLine(QImage& image, int width, const QColor& color);

    // Whether the image is one this writes (or empty, where there is nothing to write).
    bool Usable() const { return kind_ != Kind::None; }

    // Draws the line from a to b, both ends included. Returns false, drawing nothing, when the
    // image is not usable or a coordinate is too far out.
    bool Draw(QPoint a, QPoint b) const;

    // Draws the segments between consecutive points (xs[i], ys[i]), i < count. Returns false,
    // drawing nothing, when the image is not usable or any coordinate is too far out.
    bool DrawChain(const int* xs, const int* ys, int count) const;

    // Whether a coordinate lies in the range Draw accepts: within it the fixed-point stepping
    // stays exact enough and free of overflow.
    static constexpr bool InRange(int v) { return v > -kFar && v < kFar; }

private:
    static constexpr int kFar = 1 << 24;
    enum class Kind { None, Empty, Rgb32, Rgb24 };
    Kind kind_ = Kind::None;
    uchar* bits_ = nullptr;
    qsizetype stride_ = 0;
    int w_ = 0;
    int h_ = 0;
    int width_ = 1;
    std::uint32_t px_ = 0;
    uchar c0_ = 0, c1_ = 0, c2_ = 0;
};

// Draws the line from a to b, both ends included. Returns false, drawing nothing, when the
// image format is not one it writes or a coordinate is too far out; the caller then paints
// the line the general way.
bool DrawThickLine(QImage& image, QPoint a, QPoint b, int width, const QColor& color);
