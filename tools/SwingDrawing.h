#pragma once
// Draws a golf swing of known timing, face on: a figure whose arms and club turn back from the
// ball, stop at the top, come down through the ball (which then flies off) and settle at the
// finish. Options add what real clips have: sensor noise, a shaking camera, and a second person
// walking in the background. Used by tests and benchmarks that check the key-position finder.

#include <QImage>

namespace cliptools {

struct SwingScript {
    int width = 320;
    int height = 240;
    double fps = 30;
    // When the key positions happen, in seconds: the last still frame, the turn at the top, the
    // club at the ball, the motion settled.
    double address = 0.5;
    double top = 1.4;
    double impact = 1.7;
    double finish = 2.2;
    double length = 2.8;  // of the clip
    int noise = 0;        // +- grey levels added to every pixel
    double shake = 0;     // camera shake, +- pixels at 320 wide
    bool walker = false;  // someone crossing the background the whole time
    bool swing = true;    // false: the figure stands still
    unsigned seed = 1;

    int Frames() const { return int(length * fps); }
    // The frame a moment falls on.
    int FrameAt(double seconds) const;
};

QImage DrawSwing(const SwingScript& script, int frameNumber);

}  // namespace cliptools
