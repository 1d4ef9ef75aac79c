#pragma once
// Brightness, inversion, mirroring and alpha blending of whole bitmaps, in place. They
// stand in for the image-effects library the compositor calls on every paint, so they
// allocate nothing and run tight loops over the rows. Bitmaps are 32-bit (RGB32/ARGB32)
// or 24-bit (BGR888/RGB888); the alpha byte of 32-bit pixels is left alone.

#include <QImage>

namespace platform {

inline constexpr int kEffectInvert = 256;     // bit 8
inline constexpr int kEffectMirror = 262144;  // bit 18

// Adds `amount` (-255..255) to every colour channel, clamped to 0..255; then inverts the
// colours with kEffectInvert and mirrors the picture left-right across its full width
// with kEffectMirror. Amount 0 without flags leaves the picture as it is and costs
// nothing. Returns 1, or 0 for a bitmap it cannot work on.
int FoxBrightness(QImage& image, int amount, int reserved, int flags);

// Replaces the rectangle (destX, destY, width, height) of `dest` by the mix of itself and
// the same-sized rectangle of `source` at (srcX, srcY), the source weighted alpha / 255
// (0: dest unchanged, 255: source only). Both must have the same pixel format; the
// rectangle is cut to both bitmaps. Colour and flags are accepted and not used.
// Returns 1, or 0 when nothing could be blended.
int FoxAlphaBlend(QImage& dest, int destX, int destY, int width, int height, const QImage& source, int srcX,
                  int srcY, int alpha, int colour, int flags);

}  // namespace platform
