#include "overlay/mHLSRGB.h"

#include <algorithm>
#include <cmath>

void ConvertHlsToRgb(float h, float s, float l, long& r, long& g, long& b) {
    float red = l;
    float green = l;
    float blue = l;
    if (s != 0) {
        const float lo = l <= 0.5f ? l * (1 - s) : l - (1 - l) * s;
        const float hi = 2 * l - lo;
        const float span = hi - lo;
        if (h < 1) {
            red = hi;
            if (h < 0) {
                green = lo;
                blue = lo - span * h;
            } else {
                blue = lo;
                green = span * h + lo;
            }
        } else if (h < 3) {
            green = hi;
            if (h < 2) {
                blue = lo;
                red = lo - span * (h - 2);
            } else {
                red = lo;
                blue = span * (h - 2) + lo;
            }
        } else {
            blue = hi;
            if (h < 4) {
                red = lo;
                green = lo - span * (h - 4);
            } else {
                green = lo;
                red = span * (h - 4) + lo;
            }
        }
    }
    r = std::lrint(red * 255.0f);
    g = std::lrint(green * 255.0f);
    b = std::lrint(blue * 255.0f);
}

long RGB(long red, long green, long blue) {
    auto part = [](long v) { return std::clamp(v, 0L, 255L); };
    return part(red) | (part(green) << 8) | (part(blue) << 16);
}
