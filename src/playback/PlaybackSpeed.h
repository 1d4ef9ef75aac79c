#pragma once
// The speed slider in real terms: the time between frames it holds, as a rate of frames.

#include <QString>

// The slider's range, in milliseconds between frames.
constexpr int kSlowestIntervalMs = 200;
constexpr int kFastestIntervalMs = 1;

// "40 ms = 25 fps"; a rate that is not whole keeps one decimal ("30 ms = 33.3 fps").
QString SpeedCaption(int milliseconds);

// The interval that plays `framesPerSecond` frames a second, held within the slider's range;
// 0 when the rate is not known (not positive).
int IntervalForRate(double framesPerSecond);
