#include "compare/CanvasPainter.h"

#include "clips/FrameStore.h"
#include "compare/PictureExporter.h"
#include "compare/ViewGeometry.h"
#include "imaging/cDIBSection.h"
#include "overlay/OverlayModel.h"
#include "platform/ImageEffects.h"
#include "platform/PictureBox.h"
#include "platform/RuntimeError.h"

#include <utility>

using platform::TryStep;

CanvasPainter::CanvasPainter(FrameStore& video1, FrameStore& model, CanvasHooks hooks)
    : video1_(video1), model_(model), hooks_(std::move(hooks)) {}

int CanvasPainter::EffectFlags(bool invert, bool mirror) {
    int f = 0;
    if (invert) f = platform::kEffectInvert;
    if (mirror) f += platform::kEffectMirror;
    return f;
}

int CanvasPainter::ImageToolFlags() const {
    const CanvasControls c = Controls();
    return EffectFlags(c.frameInvert, c.frameMirror);
}

int CanvasPainter::ModelToolFlags() const {
    const CanvasControls c = Controls();
    return EffectFlags(c.modelInvert, c.modelMirror);
}

CompositeGeometry CanvasPainter::geometry(const CanvasControls& c, bool zoomed) const {
    CompositeGeometry g;
    g.frameSource = video1_.SourceRect();
    g.frameCanvas = video1_.CanvasRect();
    g.split = !c.fullView;
    g.modelShown = c.modelShown;
    g.modelSource = model_.SourceRect();
    g.modelCanvas = g.split ? model_.CanvasRect() : model_.placement;
    if (zoomed && !g.split && Zoom.IsZoomed()) {
        // The zoomed full view: video 1 and the model blended over it are enlarged together.
        const QSize canvas = Canvas().size();
        g.modelCanvas = Zoom.Map(model_.placement, g.frameCanvas, canvas);
        g.frameCanvas = Zoom.Target(g.frameCanvas, canvas);
    }
    return g;
}

CompositeGeometry CanvasPainter::WholeFrameGeometry() const { return geometry(Controls(), false); }

CompositeGeometry CanvasPainter::CanvasGeometry() const { return geometry(Controls(), true); }

CompositeEffects CanvasPainter::EffectSettings() const {
    const CanvasControls c = Controls();
    CompositeEffects e;
    e.frameBrightness = c.frameBrightness;
    e.frameFlags = EffectFlags(c.frameInvert, c.frameMirror);
    e.modelBrightness = c.modelBrightness;
    e.modelFlags = EffectFlags(c.modelInvert, c.modelMirror);
    e.blend = c.blend;
    e.background = Canvas().BackColor();
    e.modelBackground = Canvas().BackColor();
    return e;
}

bool CanvasPainter::PasteAvi(short iFrame) {
    platform::PictureBox& canvas = Canvas();
    // A frame the store does not hold repaints the last one from its own pixels: the holder
    // keeps the effects of the last paint, and processing it again would add them up.
    const cDIBSection* frame = nullptr;
    TryStep([&] { frame = video1_.FrameToPaint(iFrame); });
    CanvasControls c;
    CompositeGeometry g;
    TryStep([&] {
        c = Controls();
        g = geometry(c, true);
    });
    // Each step may fail on its own; the next one still runs.
    TryStep([&] {
        if (!g.split) Compositor.ClearCanvas(canvas.Image(), frame != nullptr, g, canvas.BackColor());
    });
    TryStep([&] { imageFlags_ = EffectFlags(c.frameInvert, c.frameMirror); });
    if (frame) {
        TryStep([&] { Compositor.HoldFrame(*frame, g.frameSource); });
        TryStep([&] { Compositor.FrameEffects(g.frameSource, c.frameBrightness, Flags()); });
        TryStep([&] { Compositor.DrawFrame(canvas.Image(), g); });
    }
    TryStep([&] {
        // The marks follow the picture as it is now shown: fitted, panned, halved, flipped.
        ViewGeometry view = ViewGeometry::Of(video1_, (Flags() & platform::kEffectMirror) != 0);
        view.target = g.frameCanvas;  // zoomed or not, where the frame was just drawn
        hooks_.marks().SetView(view.PictureToCanvas(), view.Clip());
    });
    TryStep([&] {
        if (!g.split && g.modelShown) Compositor.BlendModel(canvas.Image(), c.blend);
    });
    TryStep([&] { hooks_.drawingUpdate(); });
    canvas.Refresh();
    hooks_.frameShown(iFrame);
    return true;
}

void CanvasPainter::PasteModel(short i) {
    const CanvasControls c = Controls();
    if (!c.modelShown) return;
    platform::PictureBox& canvas = Canvas();
    const cDIBSection* frame = nullptr;
    TryStep([&] { frame = model_.FrameToPaint(i); });
    CompositeGeometry g;
    TryStep([&] { g = geometry(c, true); });
    TryStep([&] { Compositor.ClearModelSurface(canvas.Image().size(), canvas.BackColor(), canvas.PixelRatio()); });
    TryStep([&] { modelFlags_ = EffectFlags(c.modelInvert, c.modelMirror); });
    TryStep([&] { Compositor.ClearModelHolder(canvas.BackColor()); });
    if (frame) {
        TryStep([&] { Compositor.HoldModel(*frame, g.modelSource); });
        TryStep([&] { Compositor.ModelEffects(g.modelSource, c.modelBrightness, modelFlags_); });
        // The blend view's surface, whatever view is on: the placement is where it lands.
        TryStep([&] {
            CompositeGeometry blend = g;
            if (g.split) blend.modelCanvas = model_.placement;
            Compositor.DrawModelSurface(blend);
        });
    }
    TryStep([&] { PasteAvi(hooks_.currentVideoFrame()); });
}

void CanvasPainter::PasteModelToMainWindow(short i) {
    // Without a model the right half has nothing to show; painting the holder would bring
    // back a closed model's last frame.
    const CanvasControls c = Controls();
    if (!c.modelShown) return;
    platform::PictureBox& canvas = Canvas();
    const cDIBSection* frame = nullptr;
    TryStep([&] { frame = model_.FrameToPaint(i); });
    TryStep([&] { modelFlags_ = EffectFlags(c.modelInvert, c.modelMirror); });
    if (frame) {
        TryStep([&] { Compositor.HoldModel(*frame, model_.SourceRect()); });
        TryStep([&] { Compositor.ModelEffects(model_.SourceRect(), c.modelBrightness, modelFlags_); });
        TryStep([&] {
            CompositeGeometry split = geometry(c, true);
            split.modelCanvas = model_.CanvasRect();
            Compositor.DrawModelSplit(canvas.Image(), split);
        });
    }
    TryStep([&] { hooks_.drawingUpdate(); });
    canvas.Refresh();
}

void CanvasPainter::ModelDraw(short i) {
    if (Controls().splitView)
        PasteModelToMainWindow(i);
    else
        PasteModel(i);
}

PictureScene CanvasPainter::CanvasScene() {
    // The holders keep the last paint's regions with their effects; the model surface and
    // the marks are laid out again at the export's scale rather than enlarged from the canvas.
    // A zoom is only a way of looking: the whole frame is exported, its marks as wide as they
    // are over the whole frame.
    const CanvasControls c = Controls();
    const CompositeGeometry g = geometry(c, false);
    const platform::PictureBox& canvas = Canvas();
    PictureScene s;
    s.frameHolder = &Compositor.FrameHolder();
    s.frameSource = g.frameSource;
    s.frameCanvas = g.frameCanvas;
    s.background = canvas.BackColor();
    s.split = g.split;
    s.modelShown = g.modelShown;
    s.modelHolder = &Compositor.ModelHolder();
    s.modelSource = g.modelSource;
    s.modelCanvas = g.modelCanvas;
    s.modelBackground = canvas.BackColor();
    s.blend = c.blend;
    s.drawMarks = [this](QPainter& p) {
        OverlayModel& o = hooks_.marks();
        const QTransform shown = o.PictureToCanvas();
        const QRect shownClip = o.CanvasClip();
        const ViewGeometry whole = ViewGeometry::Of(video1_, (Flags() & platform::kEffectMirror) != 0);
        o.SetView(whole.PictureToCanvas(), whole.Clip());
        o.DrawingUpdate(p);
        o.SetView(shown, shownClip);
    };
    return s;
}
