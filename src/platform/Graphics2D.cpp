#include "platform/Graphics2D.h"

#include "platform/VectorClones.h"

#include <QPainter>

#include <cstdint>
#include <cstring>
#include <vector>

namespace platform {
namespace {

bool is32(QImage::Format f) {
    return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
           f == QImage::Format_ARGB32_Premultiplied;
}

// Source index of destination pixel d (0-based inside a rectangle of `dn` pixels) for a
// source run of `sn` pixels: the source pixel under the destination pixel's centre.
inline int sourceIndex(long long d, int sn, int dn) {
    return int(((2 * d + 1) * sn) / (2LL * dn));
}

// Blue, green, red bytes into opaque 0xAARRGGBB words.
VARKELO_VECTOR_CLONES void bgrToRgb32(std::uint32_t* d, const uchar* s, int n) {
    for (int x = 0; x < n; ++x)
        d[x] = 0xFF000000u | std::uint32_t(s[3 * x + 2]) << 16 | std::uint32_t(s[3 * x + 1]) << 8 | s[3 * x];
}

VARKELO_VECTOR_CLONES void gatherRow(std::uint32_t* d, const std::uint32_t* s, const int* col, int n) {
    for (int x = 0; x < n; ++x) d[x] = s[col[x]];
}

}  // namespace

void StretchBlt(QImage& dest, const QRect& destRect, const QImage& source, const QRect& srcRect) {
    if (destRect.isEmpty() || srcRect.isEmpty() || dest.isNull() || source.isNull()) return;
    const QRect shown = destRect & dest.rect();
    if (shown.isEmpty()) return;
    if (!is32(dest.format()) || dest.format() != source.format() || !source.rect().contains(srcRect)) {
        QPainter painter(&dest);
        painter.drawImage(destRect, source, srcRect);
        return;
    }
    const int dw = destRect.width(), dh = destRect.height();
    const int sw = srcRect.width(), sh = srcRect.height();

    // The column table is kept between calls: it only grows, so a steady paint allocates nothing.
    static thread_local std::vector<int> columns;
    if (columns.size() < size_t(shown.width())) columns.resize(size_t(shown.width()));
    for (int x = 0; x < shown.width(); ++x)
        columns[size_t(x)] = srcRect.x() + sourceIndex(shown.x() - destRect.x() + x, sw, dw);
    const int* col = columns.data();
    const int n = shown.width();

    uchar* const destBits = dest.bits();
    const qsizetype destStride = dest.bytesPerLine();
    const uchar* const srcBits = source.constBits();
    const qsizetype srcStride = source.bytesPerLine();
    int previousSourceRow = -1;
    const std::uint32_t* previousRow = nullptr;
    for (int y = shown.top(); y <= shown.bottom(); ++y) {
        auto* d = reinterpret_cast<std::uint32_t*>(destBits + y * destStride) + shown.x();
        const int sy = srcRect.y() + sourceIndex(y - destRect.y(), sh, dh);
        if (sy == previousSourceRow) {
            // An enlarged picture repeats source rows: copy the row already scaled.
            std::memcpy(d, previousRow, size_t(n) * 4);
            continue;
        }
        const auto* s = reinterpret_cast<const std::uint32_t*>(srcBits + sy * srcStride);
        if (sw == dw) {
            std::memcpy(d, s + col[0], size_t(n) * 4);
        } else {
            gatherRow(d, s, col, n);
        }
        previousSourceRow = sy;
        previousRow = d;
    }
}

void BitBlt(QImage& dest, QPoint to, const QImage& source, const QRect& srcRect) {
    if (dest.isNull() || source.isNull()) return;
    QRect from = srcRect & source.rect();
    to += from.topLeft() - srcRect.topLeft();
    const QRect target = QRect(to, from.size()) & dest.rect();
    from = QRect(from.topLeft() + (target.topLeft() - to), target.size());
    if (target.isEmpty()) return;
    const bool fromBgr = source.format() == QImage::Format_BGR888;
    if (!is32(dest.format()) || !(fromBgr || source.format() == dest.format())) {
        QPainter painter(&dest);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(target.topLeft(), source, from);
        return;
    }
    uchar* const destBits = dest.bits();
    const int n = target.width();
    for (int y = 0; y < target.height(); ++y) {
        auto* d =
            reinterpret_cast<std::uint32_t*>(destBits + (target.y() + y) * dest.bytesPerLine()) + target.x();
        const uchar* s = source.constScanLine(from.y() + y);
        if (!fromBgr) {
            std::memcpy(d, s + 4 * from.x(), size_t(n) * 4);
            continue;
        }
        bgrToRgb32(d, s + 3 * from.x(), n);
    }
}

}  // namespace platform
