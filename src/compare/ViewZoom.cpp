#include "compare/ViewZoom.h"

#include <algorithm>
#include <cmath>

namespace {

struct Span {
    int start = 0;
    int length = 0;
};

// One axis of the zoomed rectangle; `centre` is the fraction of it at the canvas's middle.
Span zoomedSpan(int fittedStart, int fittedLength, int canvasLength, double factor, double centre) {
    const int length = int(std::lround(fittedLength * factor));
    if (length <= canvasLength) {
        // Smaller than the canvas: centred where the fitted picture is centred.
        return {int(std::lround(fittedStart + (fittedLength - length) / 2.0)), length};
    }
    const long start = std::lround(canvasLength / 2.0 - centre * length);
    return {int(std::clamp<long>(start, long(canvasLength) - length, 0)), length};
}

// A point's fraction of the span, and back.
double fractionOf(double at, int start, int length) {
    return length > 0 ? (at - start) / length : 0.5;
}

}  // namespace

QRect ViewZoom::Target(const QRect& fitted, QSize canvas) const {
    if (!IsZoomed() || fitted.isEmpty()) return fitted;
    const Span x = zoomedSpan(fitted.x(), fitted.width(), canvas.width(), factor, centre.x());
    const Span y = zoomedSpan(fitted.y(), fitted.height(), canvas.height(), factor, centre.y());
    return {x.start, y.start, x.length, y.length};
}

QRect ViewZoom::Map(const QRect& r, const QRect& fitted, QSize canvas) const {
    if (!IsZoomed() || fitted.isEmpty()) return r;
    const QRect t = Target(fitted, canvas);
    const double sx = double(t.width()) / fitted.width(), sy = double(t.height()) / fitted.height();
    // Both edges are mapped, so a rectangle's neighbours stay its neighbours.
    const auto mapX = [&](double x) { return int(std::lround(t.x() + (x - fitted.x()) * sx)); };
    const auto mapY = [&](double y) { return int(std::lround(t.y() + (y - fitted.y()) * sy)); };
    const int left = mapX(r.x()), top = mapY(r.y());
    return {left, top, mapX(double(r.x()) + r.width()) - left, mapY(double(r.y()) + r.height()) - top};
}

QPointF ViewZoom::Unmap(QPointF p, const QRect& fitted, QSize canvas) const {
    if (!IsZoomed() || fitted.isEmpty()) return p;
    const QRect t = Target(fitted, canvas);
    return {fitted.x() + (p.x() - t.x()) * fitted.width() / t.width(),
            fitted.y() + (p.y() - t.y()) * fitted.height() / t.height()};
}

void ViewZoom::ZoomAbout(QPointF pointer, double newFactor, const QRect& fitted, QSize canvas) {
    newFactor = std::clamp(newFactor, 1.0, kMaximum);
    if (fitted.isEmpty() || newFactor <= 1.0) {
        Reset();
        return;
    }
    const QRect before = Target(fitted, canvas);
    const double fx = fractionOf(pointer.x(), before.x(), before.width());
    const double fy = fractionOf(pointer.y(), before.y(), before.height());
    factor = newFactor;
    // The new rectangle puts the same fraction of the picture under the pointer.
    const double width = std::lround(fitted.width() * factor), height = std::lround(fitted.height() * factor);
    const double left = pointer.x() - fx * width, top = pointer.y() - fy * height;
    centre = QPointF((canvas.width() / 2.0 - left) / width, (canvas.height() / 2.0 - top) / height);
    centreOn(Target(fitted, canvas), canvas);
}

void ViewZoom::PanBy(QPointF delta, const QRect& fitted, QSize canvas) {
    if (!IsZoomed() || fitted.isEmpty()) return;
    const QRect t = Target(fitted, canvas);
    centre -= QPointF(delta.x() / t.width(), delta.y() / t.height());
    centreOn(Target(fitted, canvas), canvas);
}

void ViewZoom::centreOn(const QRect& target, QSize canvas) {
    // Held against the canvas's edges, so a pan past an edge does not have to be undone first.
    centre = QPointF(fractionOf(canvas.width() / 2.0, target.x(), target.width()),
                     fractionOf(canvas.height() / 2.0, target.y(), target.height()));
}
