#include "platform/ImageEffects.h"

#include "platform/VectorClones.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace platform {
namespace {

int bytesPerPixel(QImage::Format format) {
    switch (format) {
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
        case QImage::Format_ARGB32_Premultiplied:
            return 4;
        case QImage::Format_BGR888:
        case QImage::Format_RGB888:
            return 3;
        default:
            return 0;
    }
}

void mirrorRow(uchar* row, int width, int bpp) {
    if (bpp == 4) {
        auto* px = reinterpret_cast<std::uint32_t*>(row);
        std::reverse(px, px + width);
        return;
    }
    for (int l = 0, r = width - 1; l < r; ++l, --r)
        for (int k = 0; k < 3; ++k) std::swap(row[3 * l + k], row[3 * r + k]);
}

// d + (s - d) * a / 255, rounded: every byte alike (the alpha byte of 32-bit pixels mixes
// two opaque values, so it stays opaque). v / 255 is (v + 1 + (v >> 8)) >> 8, exact for
// v < 65536: 16-bit lanes and no division.
VARKELO_VECTOR_CLONES void blendBytes(uchar* d, const uchar* s, int n, int a) {
    for (int i = 0; i < n; ++i) {
        const std::uint16_t v = std::uint16_t(d[i] * (255 - a) + s[i] * a + 127);
        d[i] = uchar((v + 1 + (v >> 8)) >> 8);
    }
}

}  // namespace

// Brightness then inversion of `n` channel bytes, as saturating byte arithmetic that the
// compiler turns into vector code (a table lookup per byte would stay scalar).
VARKELO_VECTOR_CLONES void adjustBytes(uchar* p, int n, int amount, uchar invertMask) {
    if (amount >= 0) {
        const auto a = uchar(amount);
        for (int i = 0; i < n; ++i) {
            const uchar t = uchar(p[i] + a);
            p[i] = uchar((t < p[i] ? uchar(255) : t) ^ invertMask);
        }
    } else {
        const auto b = uchar(-amount);
        for (int i = 0; i < n; ++i) {
            const uchar t = uchar(p[i] - b);
            p[i] = uchar((t > p[i] ? uchar(0) : t) ^ invertMask);
        }
    }
}

int FoxBrightness(QImage& image, int amount, int /*reserved*/, int flags) {
    const int bpp = bytesPerPixel(image.format());
    if (image.isNull() || bpp == 0) return 0;
    amount = std::clamp(amount, -255, 255);
    const bool invert = flags & kEffectInvert;
    const bool mirror = flags & kEffectMirror;
    if (amount == 0 && !invert && !mirror) return 1;

    const int width = image.width();
    const int height = image.height();
    const qsizetype stride = image.bytesPerLine();
    uchar* const bits = image.bits();  // one detach, not one per row
    const uchar invertMask = invert ? 0xFF : 0x00;
    for (int y = 0; y < height; ++y) {
        uchar* row = bits + y * stride;
        if (amount != 0 || invert) {
            if (bpp == 3) {
                adjustBytes(row, 3 * width, amount, invertMask);
            } else {
                // Every byte alike, then the alpha bytes put back as they were.
                auto* px = reinterpret_cast<std::uint32_t*>(row);
                if (image.format() == QImage::Format_RGB32) {
                    adjustBytes(row, 4 * width, amount, invertMask);
                    for (int x = 0; x < width; ++x) px[x] |= 0xFF000000u;
                } else {
                    for (int x = 0; x < width; ++x) {
                        const std::uint32_t alpha = px[x] & 0xFF000000u;
                        adjustBytes(row + 4 * x, 3, amount, invertMask);
                        px[x] = (px[x] & 0x00FFFFFFu) | alpha;
                    }
                }
            }
        }
        if (mirror) mirrorRow(row, width, bpp);
    }
    return 1;
}

int FoxAlphaBlend(QImage& dest, int destX, int destY, int width, int height, const QImage& source, int srcX,
                  int srcY, int alpha, int /*colour*/, int /*flags*/) {
    const int bpp = bytesPerPixel(dest.format());
    if (dest.isNull() || source.isNull() || bpp == 0 || source.format() != dest.format()) return 0;
    // Cut the rectangle to both bitmaps.
    if (destX < 0) {
        width += destX;
        srcX -= destX;
        destX = 0;
    }
    if (destY < 0) {
        height += destY;
        srcY -= destY;
        destY = 0;
    }
    if (srcX < 0) {
        width += srcX;
        destX -= srcX;
        srcX = 0;
    }
    if (srcY < 0) {
        height += srcY;
        destY -= srcY;
        srcY = 0;
    }
    width = std::min({width, dest.width() - destX, source.width() - srcX});
    height = std::min({height, dest.height() - destY, source.height() - srcY});
    if (width <= 0 || height <= 0) return 0;

    const int a = std::clamp(alpha, 0, 255) & 0xFF;
    if (a == 0) return 1;
    const int rowBytes = width * bpp;
    uchar* const destBits = dest.bits();  // one detach, not one per row
    for (int y = 0; y < height; ++y) {
        uchar* d = destBits + (destY + y) * dest.bytesPerLine() + destX * bpp;
        const uchar* s = source.constScanLine(srcY + y) + srcX * bpp;
        if (a == 255) {
            std::memcpy(d, s, size_t(rowBytes));
            continue;
        }
        blendBytes(d, s, rowBytes, a);
    }
    return 1;
}

}  // namespace platform
