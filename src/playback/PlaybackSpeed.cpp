#include "playback/PlaybackSpeed.h"

#include <algorithm>
#include <cmath>

QString SpeedCaption(int milliseconds) {
    if (milliseconds <= 0) return {};
    QString rate = QString::number(1000.0 / milliseconds, 'f', 1);
    if (rate.endsWith(QLatin1String(".0"))) rate.chop(2);
    return QStringLiteral("%1 ms = %2 fps").arg(milliseconds).arg(rate);
}

int IntervalForRate(double framesPerSecond) {
    if (!(framesPerSecond > 0)) return 0;
    const double ms = std::nearbyint(1000.0 / framesPerSecond);
    return int(std::clamp(ms, double(kFastestIntervalMs), double(kSlowestIntervalMs)));
}
