#pragma once
// Zoom and pan of video 1's full view: how many times the fitted picture is enlarged and which
// point of it lies at the canvas's centre. The picture is then stretched onto a larger
// rectangle, partly off the canvas, which the compositor paints and the marks follow alike;
// the paint only touches the canvas's own pixels, so a zoomed paint costs what a fitted one
// does. No widgets.

#include <QPointF>
#include <QRect>
#include <QSize>

struct ViewZoom {
    static constexpr double kMaximum = 8;
    static constexpr double kNotch = 1.25;  // the enlargement of one wheel notch

    double factor = 1;  // 1 (the whole frame, fitted) .. kMaximum
    // The point of the shown picture at the canvas's centre, as a fraction of the zoomed
    // rectangle's width and height: kept across a refit (a larger window shows the same spot).
    QPointF centre{0.5, 0.5};

    bool IsZoomed() const { return factor > 1; }
    void Reset() { *this = ViewZoom{}; }

    // Where the picture fitted at `fitted` lands, zoomed, on a canvas of `canvas`: exactly
    // `fitted` at 1; otherwise centred where it is smaller than the canvas, and never leaving
    // an edge of the canvas uncovered where it is larger.
    QRect Target(const QRect& fitted, QSize canvas) const;
    // A rectangle laid out against the fitted picture (the model's placement), moved and
    // stretched as the zoom moves and stretches the picture.
    QRect Map(const QRect& r, const QRect& fitted, QSize canvas) const;
    // A canvas point back onto the layout of the fitted picture (the inverse of Map), so that
    // something laid out against it follows the pointer exactly however far it is zoomed.
    QPointF Unmap(QPointF canvasPoint, const QRect& fitted, QSize canvas) const;
    // Zooms to `newFactor` (held to 1 .. kMaximum) keeping the picture under `pointer` there.
    void ZoomAbout(QPointF pointer, double newFactor, const QRect& fitted, QSize canvas);
    // Moves the picture by `delta` canvas pixels, as far as the canvas's edges allow.
    void PanBy(QPointF delta, const QRect& fitted, QSize canvas);

private:
    // The centre that `target` has, after it was held inside the canvas.
    void centreOn(const QRect& target, QSize canvas);
};
