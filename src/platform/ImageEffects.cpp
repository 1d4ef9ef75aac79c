#include "platform/ImageEffects.h"

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

}  // namespace

int FoxBrightness(QImage& image, int amount, int /*reserved*/, int flags) {
    const int bpp = bytesPerPixel(image.format());
    if (image.isNull() || bpp == 0) return 0;
    amount = std::clamp(amount, -255, 255);
    const bool invert = flags & kEffectInvert;
    const bool mirror = flags & kEffectMirror;
    if (amount == 0 && !invert && !mirror) return 1;

    const int width = image.width();
    const int height = image.height();
    if (amount != 0 || invert) {
        // One table maps every channel value: brightness, then inversion.
        std::array<uchar, 256> lut{};
        for (int v = 0; v < 256; ++v) {
            const int bright = std::clamp(v + amount, 0, 255);
            lut[size_t(v)] = uchar(invert ? 255 - bright : bright);
        }
        for (int y = 0; y < height; ++y) {
            uchar* row = image.scanLine(y);
            if (bpp == 3) {
                for (int i = 0, n = 3 * width; i < n; ++i) row[i] = lut[row[i]];
            } else {
                for (int x = 0; x < width; ++x) {
                    uchar* p = row + 4 * x;  // blue, green, red, alpha in memory
                    p[0] = lut[p[0]];
                    p[1] = lut[p[1]];
                    p[2] = lut[p[2]];
                }
            }
        }
    }
    if (mirror)
        for (int y = 0; y < height; ++y) mirrorRow(image.scanLine(y), width, bpp);
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
    for (int y = 0; y < height; ++y) {
        uchar* d = dest.scanLine(destY + y) + destX * bpp;
        const uchar* s = source.constScanLine(srcY + y) + srcX * bpp;
        if (a == 255) {
            std::memcpy(d, s, size_t(rowBytes));
            continue;
        }
        // d + (s - d) * a / 255, rounded: every byte alike (the alpha byte of 32-bit
        // pixels mixes two opaque values, so it stays opaque).
        for (int i = 0; i < rowBytes; ++i) d[i] = uchar((d[i] * (255 - a) + s[i] * a + 127) / 255);
    }
    return 1;
}

}  // namespace platform
