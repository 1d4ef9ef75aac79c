#include "overlay/ThickLine.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

// The centre line of a segment walked along its major axis: `from` .. `to` on that axis,
// cut to the image, with the other coordinate in 32.32 fixed point (rounded to the nearest
// pixel) at `from`, advancing by `slope` a step. Both rasterisers below walk alike, so the
// 24-bit and 32-bit pictures get the same pixels.
struct Walk {
    bool xMajor = true;
    int from = 0;
    int to = -1;
    long long minor = 0;
    long long slope = 0;
    int minorLow = 0;  // the centre's range on the other axis
    int minorHigh = 0;
};

Walk walkOf(QPoint a, QPoint b, int w, int h) {
    Walk k;
    k.xMajor = std::llabs((long long)b.x() - a.x()) >= std::llabs((long long)b.y() - a.y());
    auto major = [&](QPoint p) { return k.xMajor ? p.x() : p.y(); };
    auto minor = [&](QPoint p) { return k.xMajor ? p.y() : p.x(); };
    if (major(a) > major(b)) std::swap(a, b);
    const long long len = major(b) - major(a);
    k.slope = len == 0 ? 0 : ((long long)(minor(b) - minor(a)) << 32) / len;
    k.from = std::max(major(a), 0);
    k.to = std::min(major(b), (k.xMajor ? w : h) - 1);
    k.minor = ((long long)minor(a) << 32) + k.slope * (k.from - major(a)) + (1LL << 31);
    k.minorLow = std::min(minor(a), minor(b));
    k.minorHigh = std::max(minor(a), minor(b));
    return k;
}

template <typename Put>
void stepLine(int w, int h, QPoint a, QPoint b, int width, Put put) {
    const int lo = -(width - 1) / 2;
    const int hi = width / 2;
    const Walk k = walkOf(a, b, w, h);
    long long f = k.minor;
    if (k.xMajor) {
        // Walk the centre line in horizontal runs and lay each run down on every row the
        // width covers: long row writes instead of a column of single pixels per step.
        int runStart = k.from;
        int runY = int(f >> 32);
        auto flush = [&](int xEnd) {
            const int y0 = std::max(runY + lo, 0);
            const int y1 = std::min(runY + hi, h - 1);
            for (int yy = y0; yy <= y1; ++yy) put(runStart, yy, xEnd - runStart + 1);
        };
        for (int x = k.from; x <= k.to; ++x, f += k.slope) {
            const int y = int(f >> 32);
            if (y != runY) {
                flush(x - 1);
                runStart = x;
                runY = y;
            }
        }
        if (k.from <= k.to) flush(k.to);
    } else {
        for (int y = k.from; y <= k.to; ++y, f += k.slope) {
            const int x = int(f >> 32);
            const int xs = std::max(x + lo, 0);
            const int xe = std::min(x + hi, w - 1);
            if (xs <= xe) put(xs, y, xe - xs + 1);
        }
    }
}

// The pixels of one step across the line: W of them, or width when W is 0.
template <int W>
inline void across(std::uint32_t* p, qsizetype step, int width, std::uint32_t px) {
    if constexpr (W > 0) {
#pragma GCC unroll 8
        for (int k = 0; k < W; ++k) p[k * step] = px;
    } else {
        for (int k = 0; k < width; ++k) p[k * step] = px;
    }
}

// The 32-bit case, the same pixels as stepLine, written one step at a time: each step stores
// its few pixels across the line, with no runs to track (the run changes of an arbitrary slope
// defeat branch prediction). A line whose widened span stays inside the image skips the
// clipping of each pixel.
template <int W>
void stepLine32(std::uint32_t* bits, qsizetype stride, int w, int h, QPoint a, QPoint b, int width,
                std::uint32_t px) {
    const int lo = -(width - 1) / 2;
    const int hi = width / 2;
    const Walk k = walkOf(a, b, w, h);
    long long f = k.minor;
    // Whether the widened centre stays inside the image between the end points.
    const bool inside = k.minorLow + lo >= 0 && k.minorHigh + hi <= (k.xMajor ? h : w) - 1;
    if (k.xMajor) {
        if (inside) {
            for (int x = k.from; x <= k.to; ++x, f += k.slope)
                across<W>(bits + (int(f >> 32) + lo) * stride + x, stride, width, px);
        } else {
            for (int x = k.from; x <= k.to; ++x, f += k.slope) {
                const int y = int(f >> 32);
                const int ye = std::min(y + hi, h - 1);
                for (int yy = std::max(y + lo, 0); yy <= ye; ++yy) bits[yy * stride + x] = px;
            }
        }
    } else {
        if (inside) {
            for (int y = k.from; y <= k.to; ++y, f += k.slope)
                across<W>(bits + y * stride + int(f >> 32) + lo, 1, width, px);
        } else {
            for (int y = k.from; y <= k.to; ++y, f += k.slope) {
                const int x = int(f >> 32);
                const int xs = std::max(x + lo, 0);
                const int xe = std::min(x + hi, w - 1);
                if (xs <= xe) std::fill(bits + y * stride + xs, bits + y * stride + xe + 1, px);
            }
        }
    }
}

// The segments between consecutive points, one width for them all.
template <int W>
void chain32(std::uint32_t* bits, qsizetype stride, int w, int h, const int* xs, const int* ys, int count,
             int width, std::uint32_t px) {
    for (int i = 1; i < count; ++i)
        stepLine32<W>(bits, stride, w, h, QPoint(xs[i - 1], ys[i - 1]), QPoint(xs[i], ys[i]), width, px);
}

}  // namespace

ThickLine::ThickLine(QImage& image, int width, const QColor& color) : width_(std::max(width, 1)) {
    w_ = image.width();
    h_ = image.height();
    if (w_ <= 0 || h_ <= 0) {
        kind_ = Kind::Empty;
        return;
    }
    switch (image.format()) {
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
        case QImage::Format_ARGB32_Premultiplied:
            kind_ = Kind::Rgb32;
            px_ = 0xFF000000u | color.rgb();
            break;
        case QImage::Format_BGR888:
        case QImage::Format_RGB888: {
            kind_ = Kind::Rgb24;
            const bool bgr = image.format() == QImage::Format_BGR888;
            c0_ = uchar(bgr ? color.blue() : color.red());
            c1_ = uchar(color.green());
            c2_ = uchar(bgr ? color.red() : color.blue());
            break;
        }
        default:
            return;
    }
    bits_ = image.bits();
    stride_ = image.bytesPerLine();
}

bool ThickLine::Draw(QPoint a, QPoint b) const {
    const int xs[2] = {a.x(), b.x()};
    const int ys[2] = {a.y(), b.y()};
    return DrawChain(xs, ys, 2);
}

bool ThickLine::DrawChain(const int* xs, const int* ys, int count) const {
    for (int i = 0; i < count; ++i)
        if (!InRange(xs[i]) || !InRange(ys[i])) return false;
    switch (kind_) {
        case Kind::Empty:
            return true;
        case Kind::Rgb32: {
            auto* bits = reinterpret_cast<std::uint32_t*>(bits_);
            const qsizetype stride = stride_ / 4;
            switch (width_) {
                case 1:
                    chain32<1>(bits, stride, w_, h_, xs, ys, count, width_, px_);
                    break;
                case 2:
                    chain32<2>(bits, stride, w_, h_, xs, ys, count, width_, px_);
                    break;
                case 3:
                    chain32<3>(bits, stride, w_, h_, xs, ys, count, width_, px_);
                    break;
                case 4:
                    chain32<4>(bits, stride, w_, h_, xs, ys, count, width_, px_);
                    break;
                case 5:
                    chain32<5>(bits, stride, w_, h_, xs, ys, count, width_, px_);
                    break;
                default:
                    chain32<0>(bits, stride, w_, h_, xs, ys, count, width_, px_);
                    break;
            }
            return true;
        }
        case Kind::Rgb24: {
            uchar* const bits = bits_;
            const qsizetype stride = stride_;
            const uchar c0 = c0_, c1 = c1_, c2 = c2_;
            for (int i = 1; i < count; ++i)
                stepLine(w_, h_, QPoint(xs[i - 1], ys[i - 1]), QPoint(xs[i], ys[i]), width_,
                         [=](int x, int y, int n) {
                             uchar* p = bits + y * stride + 3 * x;
                             for (int k = 0; k < n; ++k, p += 3) {
                                 p[0] = c0;
                                 p[1] = c1;
                                 p[2] = c2;
                             }
                         });
            return true;
        }
        case Kind::None:
            break;
    }
    return false;
}

bool DrawThickLine(QImage& image, QPoint a, QPoint b, int width, const QColor& color) {
    for (int v : {a.x(), a.y(), b.x(), b.y()})
        if (!ThickLine::InRange(v)) return false;
    return ThickLine(image, width, color).Draw(a, b);
}
