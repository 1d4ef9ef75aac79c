#include "compare/ViewGeometry.h"

#include "clips/FrameStore.h"

ViewGeometry ViewGeometry::Of(const FrameStore& store, bool mirror) {
    return ViewGeometry{store.SourceRect(), store.CanvasRect(), mirror, 1};
}

ViewGeometry ViewGeometry::OfModel(const FrameStore& model, bool mirror) {
    return ViewGeometry{model.SourceRect(), model.placement, mirror, 1};
}

QTransform ViewGeometry::PictureToCanvas() const {
    if (IsEmpty()) return {};
    // Worked on pixel edges, where the stretch is a plain scale; a pixel index is its centre,
    // half a pixel in from its left edge.
    const double sx = double(target.width()) / source.width() * zoom;
    const double sy = double(target.height()) / source.height() * zoom;
    const QPointF centre = QRectF(target).center();
    // Edge u of the source lands at target.left + (u - source.left) * scale, about the centre
    // when zoomed; mirrored, edge u first becomes 2 * source.left + width - u.
    QTransform t;
    t.translate(-0.5, -0.5);
    t.translate(centre.x(), centre.y());
    t.scale(sx, sy);
    t.translate(-(source.x() + source.width() / 2.0), -(source.y() + source.height() / 2.0));
    if (mirror) {
        t.translate(2.0 * source.x() + source.width(), 0);
        t.scale(-1, 1);
    }
    t.translate(0.5, 0.5);
    return t;
}

QTransform ViewGeometry::CanvasToPicture() const {
    return PictureToCanvas().inverted();
}
