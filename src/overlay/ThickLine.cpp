#include "overlay/ThickLine.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

// Coordinates within this range keep the fixed-point stepping exact enough and free of overflow.
constexpr int kFar = 1 << 24;

template <typename Put>
void stepLine(int w, int h, QPoint a, QPoint b, int width, Put put) {
    const int lo = -(width - 1) / 2;
    const int hi = width / 2;
    const long long dx = b.x() - a.x();
    const long long dy = b.y() - a.y();
    if (std::llabs(dx) >= std::llabs(dy)) {
        if (a.x() > b.x()) std::swap(a, b);
        const long long len = b.x() - a.x();
        // y in 32.32 fixed point, rounded to the nearest pixel.
        const long long slope = len == 0 ? 0 : ((long long)(b.y() - a.y()) << 32) / len;
        const int x0 = std::max(a.x(), 0);
        const int x1 = std::min(b.x(), w - 1);
        long long fy = ((long long)a.y() << 32) + slope * (x0 - a.x()) + (1LL << 31);
        // Walk the centre line in horizontal runs and lay each run down on every row the
        // width covers: long row writes instead of a column of single pixels per step.
        int runStart = x0;
        int runY = int(fy >> 32);
        auto flush = [&](int xEnd) {
            const int y0 = std::max(runY + lo, 0);
            const int y1 = std::min(runY + hi, h - 1);
            for (int yy = y0; yy <= y1; ++yy) put(runStart, yy, xEnd - runStart + 1);
        };
        for (int x = x0; x <= x1; ++x, fy += slope) {
            const int y = int(fy >> 32);
            if (y != runY) {
                flush(x - 1);
                runStart = x;
                runY = y;
            }
        }
        if (x0 <= x1) flush(x1);
    } else {
        if (a.y() > b.y()) std::swap(a, b);
        const long long len = b.y() - a.y();
        const long long slope = ((long long)(b.x() - a.x()) << 32) / len;
        const int y0 = std::max(a.y(), 0);
        const int y1 = std::min(b.y(), h - 1);
        long long fx = ((long long)a.x() << 32) + slope * (y0 - a.y()) + (1LL << 31);
        for (int y = y0; y <= y1; ++y, fx += slope) {
            const int x = int(fx >> 32);
            const int xs = std::max(x + lo, 0);
            const int xe = std::min(x + hi, w - 1);
            if (xs <= xe) put(xs, y, xe - xs + 1);
        }
    }
}

}  // namespace

bool DrawThickLine(QImage& image, QPoint a, QPoint b, int width, const QColor& color) {
    for (int v : {a.x(), a.y(), b.x(), b.y()})
        if (v <= -kFar || v >= kFar) return false;
    width = std::max(width, 1);
    const int w = image.width();
    const int h = image.height();
    if (w <= 0 || h <= 0) return true;
    switch (image.format()) {
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
        case QImage::Format_ARGB32_Premultiplied: {
            const std::uint32_t px = 0xFF000000u | color.rgb();
            uchar* bits = image.bits();
            const qsizetype stride = image.bytesPerLine();
            stepLine(w, h, a, b, width, [&](int x, int y, int n) {
                auto* row = reinterpret_cast<std::uint32_t*>(bits + y * stride) + x;
                std::fill(row, row + n, px);
            });
            return true;
        }
        case QImage::Format_BGR888:
        case QImage::Format_RGB888: {
            const bool bgr = image.format() == QImage::Format_BGR888;
            const uchar c0 = uchar(bgr ? color.blue() : color.red());
            const uchar c1 = uchar(color.green());
            const uchar c2 = uchar(bgr ? color.red() : color.blue());
            uchar* bits = image.bits();
            const qsizetype stride = image.bytesPerLine();
            stepLine(w, h, a, b, width, [&](int x, int y, int n) {
                uchar* p = bits + y * stride + 3 * x;
                for (int i = 0; i < n; ++i, p += 3) {
                    p[0] = c0;
                    p[1] = c1;
                    p[2] = c2;
                }
            });
            return true;
        }
        default:
            return false;
    }
}
