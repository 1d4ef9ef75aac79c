#include "compare/ModelGeometry.h"

#include "platform/RuntimeError.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// A rectangle whose far edge must fit as well: QRect keeps right = left + width - 1.
QRect checkedRect(double left, double top, double width, double height) {
    constexpr double lo = std::numeric_limits<int>::min();
    constexpr double hi = std::numeric_limits<int>::max();
    const double l = std::nearbyint(left);
    const double t = std::nearbyint(top);
    for (double v : {l, t, width, height, l + width, t + height})
        if (!(v >= lo && v <= hi)) platform::Raise(platform::errOverflow);
    return {int(l), int(t), int(width), int(height)};
}

}  // namespace

QRect MovedPlacement(const QRect& placement, QPoint start, QPointF position) {
    return checkedRect(position.x() - start.x() + placement.x(), position.y() - start.y() + placement.y(),
                       placement.width(), placement.height());
}

QRect RefittedPlacement(const QRect& placement, const QRect& before, const QRect& after) {
    const double kx = double(after.width()) / before.width(), ky = double(after.height()) / before.height();
    const int left = int(std::lround(after.x() + (placement.x() - before.x()) * kx));
    const int top = int(std::lround(after.y() + (placement.y() - before.y()) * ky));
    return QRect(left, top, int(std::lround(placement.width() * kx)), int(std::lround(placement.height() * ky)));
}

QRect ZoomedPlacement(const QRect& placement, int zoom, int sourceWidth, int sourceHeight) {
    const double width = std::nearbyint(zoom / 100.0 * sourceWidth);
    const double height = std::nearbyint(zoom / 100.0 * sourceHeight);
    return checkedRect(placement.x() - (width - placement.width()) / 2,
                       placement.y() - (height - placement.height()) / 2, width, height);
}

PanRange SplitPanRange(int panMaximum) {
    PanRange r;
    r.maximum = std::max(0, panMaximum);
    r.value = int(std::lrint(r.maximum / 2.0));
    r.largeStep = int(std::lrint(r.maximum * 0.1));
    return r;
}
