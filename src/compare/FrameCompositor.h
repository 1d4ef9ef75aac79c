#pragma once
// Composing the canvas picture from the frames alone: video 1, the model blended over it or
// beside it in the split view, with brightness, inversion and mirroring. No widget is read:
// the caller hands in where things go and a snapshot of the effect settings, so the same
// work serves the canvas on the screen and an export on a worker thread.

#include <QColor>
#include <QImage>
#include <QRect>

class cDIBSection;

// Where each frame's shown region comes from and where it lands.
struct CompositeGeometry {
    QRect frameSource;  // video 1's shown region, in frame pixels
    QRect frameCanvas;  // where that region lands on the canvas
    bool split = false;  // the model beside video 1 instead of blended over it
    bool modelShown = false;
    QRect modelSource;
    // Split: the model's half on the canvas. Blend: where the model lands on its surface,
    // which has the canvas's size.
    QRect modelCanvas;
};

// The effect settings at the moment of the paint.
struct CompositeEffects {
    int frameBrightness = 0;  // -255..255
    int frameFlags = 0;       // platform::kEffectInvert | kEffectMirror
    int modelBrightness = 0;
    int modelFlags = 0;
    int blend = 0;  // 0..255, the model's weight in the blend view
    QColor background = Qt::black;       // the canvas around video 1
    QColor modelBackground = Qt::black;  // the model surface around the model
};

class FrameCompositor {
public:
    // --- The steps of a canvas paint, each on its own so that a paint can go on when one
    // fails. `canvas` is any 32-bit picture of the canvas's size; the geometry is in the
    // canvas's units, which its devicePixelRatio turns into pixels.

    // Clears the canvas before video 1's frame; with a frame coming, only around where it lands.
    void ClearCanvas(QImage& canvas, bool frameComing, const CompositeGeometry& g, const QColor& background) const;
    // Takes video 1's shown region into the frame holder and applies the effects to that region.
    void HoldFrame(const cDIBSection& frame, const QRect& source);
    void FrameEffects(const QRect& source, int brightness, int flags);
    void DrawFrame(QImage& canvas, const CompositeGeometry& g) const;
    // The model surface over the whole canvas, weighted by `blend`.
    void BlendModel(QImage& canvas, int blend) const;
    // The model's holder and surface: cleared, filled from the model's frame, effects applied.
    // `canvasSize` is in pixels; `pixelRatio` is the canvas's pixels per unit of the geometry.
    void ClearModelSurface(QSize canvasSize, const QColor& background, qreal pixelRatio = 1);
    void ClearModelHolder(const QColor& background);
    void HoldModel(const cDIBSection& frame, const QRect& source);
    void ModelEffects(const QRect& source, int brightness, int flags);
    void DrawModelSurface(const CompositeGeometry& g);
    // Split view: the model's region straight into its half of the canvas.
    void DrawModelSplit(QImage& canvas, const CompositeGeometry& g) const;

    // --- Whole pictures.

    // The canvas of `canvasSize` as the screen shows it (without the marks), into the
    // compositor's own canvas picture. `model` may be null (no model shown).
    const QImage& Compose(const cDIBSection* frame, const cDIBSection* model, const CompositeGeometry& g,
                          const CompositeEffects& e, QSize canvasSize);
    // The same picture at video 1's own resolution (the frame region one to one, the model at
    // the same scale), as Export Picture writes it, without marks. Null without a frame.
    QImage ComposeAtFrameSize(const cDIBSection* frame, const cDIBSection* model, const CompositeGeometry& g,
                              const CompositeEffects& e);

    // The scratch pictures: each frame's shown region with its effects (at its source
    // position), and the blend view's model surface.
    const QImage& FrameHolder() const { return frameHolder_; }
    const QImage& ModelHolder() const { return modelHolder_; }
    const QImage& ModelSurface() const { return modelSurface_; }
    const QImage& Canvas() const { return canvas_; }

private:
    QImage frameHolder_;
    QImage modelHolder_;
    QImage modelSurface_;
    QImage canvas_;
};
