#pragma once
// Where a clip's picture lies on the canvas: the part of the picture shown (after fit, pan and
// the split view's half), the canvas rectangle it is stretched onto, the mirror of Flip X and a
// zoom. Gives the transform from picture pixels to canvas pixels and back. No widgets.
//
// Coordinates name pixels by their index: (x, y) is the centre of pixel x, y. A picture pixel
// then lands on the canvas pixels that show it, whatever the scale, and mirroring maps pixel
// x onto pixel (left + right - x) of the shown part, as the compositor mirrors the picture.

#include <QRect>
#include <QTransform>

struct FrameStore;

struct ViewGeometry {
    QRect source;  // the part of the picture shown, in picture pixels
    QRect target;  // where that part is stretched onto the canvas
    bool mirror = false;
    // Enlargement about the target's centre; 1 shows the target as the compositor paints it.
    double zoom = 1;

    // Video 1 as the store paints it (its source and canvas rectangles).
    static ViewGeometry Of(const FrameStore& store, bool mirror);
    // The model in the blend view: its source onto its placement on the model surface.
    static ViewGeometry OfModel(const FrameStore& model, bool mirror);

    bool IsEmpty() const { return source.isEmpty() || target.isEmpty(); }
    // Identity when empty (nothing shown: the canvas is the picture).
    QTransform PictureToCanvas() const;
    QTransform CanvasToPicture() const;
    // The canvas region the picture covers: marks outside it are not drawn. Empty when empty.
    QRect Clip() const { return IsEmpty() ? QRect() : target; }
};
