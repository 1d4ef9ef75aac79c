#include "platform/Graphics2D.h"

#include "platform/VectorClones.h"

#include <QPainter>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

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

#if defined(__x86_64__) && defined(__GNUC__)
bool hasAvx2() {
    static const bool yes = __builtin_cpu_supports("avx2");
    return yes;
}
bool hasSsse3() {
    static const bool yes = __builtin_cpu_supports("ssse3");
    return yes;
}

// Enlarging (or 1:1): eight neighbouring target pixels come from at most eight neighbouring
// source pixels, so one load and one lane permutation make eight pixels.
__attribute__((target("avx2"))) void gatherRowEnlarging(std::uint32_t* d, const std::uint32_t* s,
                                                        const int* col, int n, int sourceWidth) {
    int x = 0;
    for (; x + 8 <= n; x += 8) {
        const int base = col[x];
        if (base + 8 > sourceWidth) break;  // the load must stay inside the row
        const __m256i lanes = _mm256_sub_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(col + x)),
                                               _mm256_set1_epi32(base));
        const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + base));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + x), _mm256_permutevar8x32_epi32(pixels, lanes));
    }
    for (; x < n; ++x) d[x] = s[col[x]];
}

// Four pixels per 16-byte load: one byte shuffle spreads blue, green, red into words.
__attribute__((target("ssse3"))) void bgrToRgb32Shuffle(std::uint32_t* d, const uchar* s, int n) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    int x = 0;
    for (; x + 6 <= n; x += 4) {  // 16 bytes read, at most 18 left in the row
        const __m128i bgr = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 3 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x),
                         _mm_or_si128(_mm_shuffle_epi8(bgr, spread), opaque));
    }
    bgrToRgb32(d + x, s + 3 * x, n - x);
}
#endif

}  // namespace

void StretchBlt(QImage& dest, const QRect& destRect, const QImage& source, const QRect& srcRect) {
    if (destRect.isEmpty() || srcRect.isEmpty() || dest.isNull() || source.isNull()) return;
    const QRect shown = destRect & dest.rect();
    if (shown.isEmpty()) return;
    if (!is32(dest.format()) || dest.format() != source.format() || !source.rect().contains(srcRect)) {
        QPainter painter(&dest);
        // The rectangles are in pixels, whatever the picture's density.
        painter.scale(1 / dest.devicePixelRatio(), 1 / dest.devicePixelRatio());
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
#if defined(__x86_64__) && defined(__GNUC__)
        } else if (sw < dw && hasAvx2()) {
            gatherRowEnlarging(d, s, col, n, source.width());
#endif
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
#if defined(__x86_64__) && defined(__GNUC__)
        if (hasSsse3()) {
            bgrToRgb32Shuffle(d, s + 3 * from.x(), n);
            continue;
        }
#endif
        bgrToRgb32(d, s + 3 * from.x(), n);
    }
}

QRect InPixels(const QRect& units, const QImage& canvas) {
    const qreal ratio = canvas.devicePixelRatio();
    if (ratio == 1) return units;
    return QRect(QPoint(qRound(units.x() * ratio), qRound(units.y() * ratio)),
                 QPoint(qRound((units.x() + units.width()) * ratio) - 1,
                        qRound((units.y() + units.height()) * ratio) - 1));
}

QImage PixelView(QImage& canvas) {
    return QImage(canvas.bits(), canvas.width(), canvas.height(), canvas.bytesPerLine(), canvas.format());
}

}  // namespace platform
