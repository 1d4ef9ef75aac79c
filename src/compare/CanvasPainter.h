#pragma once
// Painting frames into the canvas: video 1, the model blended over it, or the model in the
// split view's right half. The window hands in a snapshot of its controls at each paint and the
// canvas it paints on; the frame compositor does the pixel work, one step at a time, each step
// on its own so that a paint goes on when one fails.

#include "compare/FrameCompositor.h"
#include "compare/ViewZoom.h"

#include <functional>

struct FrameStore;
class OverlayModel;
struct PictureScene;
namespace platform {
class PictureBox;
}

// What the toolbar and the tool windows say at the moment of a paint.
struct CanvasControls {
    bool modelShown = false;  // a model is inserted
    bool fullView = true;     // the toolbar's Full Window is down; else the split view
    bool splitView = false;   // the toolbar's Split Window is down
    int frameBrightness = 0;
    bool frameInvert = false, frameMirror = false;
    int modelBrightness = 0;
    bool modelInvert = false, modelMirror = false;
    int blend = 0;
};

// What the painter reaches in the window around it, asked when a paint needs it: the window's
// controls and canvas are built after the painter.
struct CanvasHooks {
    std::function<CanvasControls()> controls;
    std::function<platform::PictureBox&()> canvas;
    std::function<OverlayModel&()> marks;      // the measurement marks over the canvas
    std::function<void()> drawingUpdate;       // draws them over a finished paint
    std::function<short()> currentVideoFrame;  // video 1's frame, painted again under a new model surface
    std::function<void(short)> frameShown;     // video 1's frame is on the canvas now
};

class CanvasPainter {
public:
    CanvasPainter(FrameStore& video1, FrameStore& model, CanvasHooks hooks);

    // Paints frame iFrame of video 1 with the marks on top, then tells frameShown. Always true.
    bool PasteAvi(short iFrame);
    // Paints model frame i into the blend view's model surface, then video 1 over which it is
    // blended. Does nothing while no model is inserted.
    void PasteModel(short i);
    // Paints model frame i straight into the right half of the canvas (split view).
    void PasteModelToMainWindow(short i);
    // The split view's right half, or the blend view.
    void ModelDraw(short i);

    // What the canvas shows and how: the view's geometry now (zoomed), and the whole frame
    // without the zoom, as the exports take it.
    CompositeGeometry CanvasGeometry() const;
    CompositeGeometry WholeFrameGeometry() const;
    CompositeEffects EffectSettings() const;
    // Effect flags of the last video-1 paint, and those the tool windows ask for now.
    int Flags() const { return imageFlags_; }
    int ImageToolFlags() const;
    int ModelToolFlags() const;
    static int EffectFlags(bool invert, bool mirror);
    // What the canvas shows now, for an export at the frame's own resolution.
    PictureScene CanvasScene();

    CanvasControls Controls() const { return hooks_.controls(); }
    platform::PictureBox& Canvas() const { return hooks_.canvas(); }

    // The pixel work; its holders keep the last paint's regions.
    FrameCompositor Compositor;
    // Zoom and pan of the full view; a newly opened clip or picture starts with the whole frame.
    ViewZoom Zoom;

private:
    CompositeGeometry geometry(const CanvasControls& c, bool zoomed) const;

    FrameStore& video1_;
    FrameStore& model_;
    CanvasHooks hooks_;
    int imageFlags_ = 0;
    int modelFlags_ = 0;
};
