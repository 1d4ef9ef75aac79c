#pragma once
// Hue, lightness and saturation to red, green and blue, for the tool box's hue bar.

// h runs over six sectors (-1 to 5 in use), s and l lie in 0..1; single precision throughout.
// The outputs are rounded to the nearest integer (ties to even); for h > 5 they may exceed 255.
void ConvertHlsToRgb(float h, float s, float l, long& r, long& g, long& b);

// The runtime's colour composition: 0x00BBGGRR, each part clamped to 0..255.
long RGB(long red, long green, long blue);
