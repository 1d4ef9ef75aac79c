#pragma once
// Where the model lands on its surface in the blend view, after a drag or a zoom. Pure
// arithmetic, so that the rounding and the limits can be checked without windows.

#include <QPoint>
#include <QPointF>
#include <QRect>

// The placement moved by the mouse travel from `start` to `position`, each edge rounded
// half to even. Raises Overflow (6) when an edge would leave the 32-bit range, leaving
// the caller's placement as it was.
QRect MovedPlacement(const QRect& placement, QPoint start, QPointF position);

// The placement resized to zoom percent of the source size, about its centre. Raises
// Overflow (6) like MovedPlacement.
QRect ZoomedPlacement(const QRect& placement, int zoom, int sourceWidth, int sourceHeight);

// The blended model's placement after the picture under it moved from `before` to `after` on
// the canvas (a refit after a resize): the same place on the picture, scaled with it.
QRect RefittedPlacement(const QRect& placement, const QRect& before, const QRect& after);

// The split view's pan slider for one slot: 0 .. the frame width its half cannot show, starting
// in the middle.
struct PanRange {
    int maximum = 0;
    int value = 0;
    int largeStep = 0;
};
PanRange SplitPanRange(int panMaximum);
