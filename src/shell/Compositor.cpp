// Painting frames into the canvas: video 1, the model blended over it, or the model in
// the split view's right half. The window takes a snapshot of where things go and of the
// effect settings; the frame compositor does the pixel work, one step at a time.

#include "compare/FrameCompositor.h"
#include "compare/PictureExporter.h"
#include "compare/ViewGeometry.h"
#include "compare/frmImageTool.h"
#include "compare/frmModelTool.h"
#include "imaging/cDIBSection.h"
#include "overlay/CanvasDrawing.h"
#include "platform/ImageEffects.h"
#include "platform/PictureBox.h"
#include "platform/RuntimeError.h"
#include "playback/frmVideoControls.h"
#include "ui/Globals.h"
#include "shell/MainToolbar.h"
#include "shell/frm_Main.h"

#include <QCheckBox>
#include <QScrollBar>

int frm_Main::ImageToolFlags() const {
    int f = 0;
    if (ImageTool->chkFlag.at(1)->isChecked()) f = platform::kEffectInvert;
    if (ImageTool->chkFlag.at(2)->isChecked()) f += platform::kEffectMirror;
    return f;
}

CompositeGeometry frm_Main::WholeFrameGeometry() const {
    CompositeGeometry g;
    g.frameSource = Video1.SourceRect();
    g.frameCanvas = Video1.CanvasRect();
    g.split = !Toolbar1->Value(10);
    g.modelShown = G().ModelShown;
    g.modelSource = Model.SourceRect();
    g.modelCanvas = g.split ? Model.CanvasRect() : Model.placement;
    return g;
}

CompositeGeometry frm_Main::CanvasGeometry() const {
    CompositeGeometry g = WholeFrameGeometry();
    if (!g.split && Zoom.IsZoomed()) {
        // The zoomed full view: video 1 and the model blended over it are enlarged together.
        g.modelCanvas = Zoom.Map(Model.placement, g.frameCanvas, pic_video->size());
        g.frameCanvas = Zoom.Target(g.frameCanvas, pic_video->size());
    }
    return g;
}

CompositeEffects frm_Main::EffectSettings() const {
    CompositeEffects e;
    e.frameBrightness = ImageTool->VScrBright->value();
    e.frameFlags = ImageToolFlags();
    e.modelBrightness = ModelTool->HscrBrightness->value();
    e.modelFlags = ModelToolFlags();
    e.blend = VideoControls->hscrBlend->value();
    e.background = pic_video->BackColor();
    e.modelBackground = pic_video->BackColor();
    return e;
}

bool frm_Main::PasteAvi(short iFrame) {
    using platform::TryStep;
    // A frame the store does not hold repaints the last one from its own pixels: the holder
    // keeps the effects of the last paint, and processing it again would add them up.
    const cDIBSection* frame = nullptr;
    TryStep([&] { frame = Video1.FrameToPaint(iFrame); });
    CompositeGeometry g;
    TryStep([&] { g = CanvasGeometry(); });
    // Each step may fail on its own; the next one still runs.
    TryStep([&] {
        if (!g.split) Compositor.ClearCanvas(pic_video->Image(), frame != nullptr, g, pic_video->BackColor());
    });
    TryStep([&] { imageFlags_ = ImageToolFlags(); });
    if (frame) {
        TryStep([&] { Compositor.HoldFrame(*frame, g.frameSource); });
        TryStep([&] { Compositor.FrameEffects(g.frameSource, ImageTool->VScrBright->value(), Flags()); });
        TryStep([&] { Compositor.DrawFrame(pic_video->Image(), g); });
    }
    TryStep([&] {
        // The marks follow the picture as it is now shown: fitted, panned, halved, flipped.
        ViewGeometry view = ViewGeometry::Of(Video1, (Flags() & platform::kEffectMirror) != 0);
        view.target = g.frameCanvas;  // zoomed or not, where the frame was just drawn
        Drawing->Overlay().SetView(view.PictureToCanvas(), view.Clip());
    });
    TryStep([&] {
        if (!g.split && g.modelShown) Compositor.BlendModel(pic_video->Image(), VideoControls->hscrBlend->value());
    });
    TryStep([&] {
        if (DrawingUpdate) DrawingUpdate();
    });
    pic_video->Refresh();
    emit FrameShown(iFrame);
    return true;
}

int frm_Main::ModelToolFlags() const {
    int f = 0;
    if (ModelTool->chkFlags.at(0)->isChecked()) f = platform::kEffectInvert;
    if (ModelTool->chkFlags.at(1)->isChecked()) f += platform::kEffectMirror;
    return f;
}

void frm_Main::PasteModel(short i) {
    using platform::TryStep;
    if (!G().ModelShown) return;
    const cDIBSection* frame = nullptr;
    TryStep([&] { frame = Model.FrameToPaint(i); });
    CompositeGeometry g;
    TryStep([&] { g = CanvasGeometry(); });
    TryStep([&] { 
        Compositor.ClearModelSurface(pic_video->Image().size(), pic_video->BackColor(), pic_video->PixelRatio());
    });
    TryStep([&] { modelFlags_ = ModelToolFlags(); });
    TryStep([&] { Compositor.ClearModelHolder(pic_video->BackColor()); });
    if (frame) {
        TryStep([&] { Compositor.HoldModel(*frame, g.modelSource); });
        TryStep([&] { Compositor.ModelEffects(g.modelSource, ModelTool->HscrBrightness->value(), modelFlags_); });
        // The blend view's surface, whatever view is on: the placement is where it lands.
        TryStep([&] {
            CompositeGeometry blend = g;
            if (g.split) blend.modelCanvas = Model.placement;
            Compositor.DrawModelSurface(blend);
        });
    }
    TryStep([&] { PasteAvi(CurrentVideoFrame); });
}

void frm_Main::PasteModelToMainWindow(short i) {
    using platform::TryStep;
    // Without a model the right half has nothing to show; painting the holder would bring
    // back a closed model's last frame.
    if (!G().ModelShown) return;
    const cDIBSection* frame = nullptr;
    TryStep([&] { frame = Model.FrameToPaint(i); });
    TryStep([&] { modelFlags_ = ModelToolFlags(); });
    if (frame) {
        TryStep([&] { Compositor.HoldModel(*frame, Model.SourceRect()); });
        TryStep([&] {
            Compositor.ModelEffects(Model.SourceRect(), ModelTool->HscrBrightness->value(), modelFlags_);
        });
        TryStep([&] {
            CompositeGeometry split = CanvasGeometry();
            split.modelCanvas = Model.CanvasRect();
            Compositor.DrawModelSplit(pic_video->Image(), split);
        });
    }
    TryStep([&] {
        if (DrawingUpdate) DrawingUpdate();
    });
    pic_video->Refresh();
}

void frm_Main::ModelDraw(short i) {
    if (Toolbar1->Value(11))
        PasteModelToMainWindow(i);
    else
        PasteModel(i);
}

PictureScene frm_Main::CanvasScene() {
    // The holders keep the last paint's regions with their effects; the model surface and
    // the marks are laid out again at the export's scale rather than enlarged from the canvas.
    // A zoom is only a way of looking: the whole frame is exported, its marks as wide as they
    // are over the whole frame.
    const CompositeGeometry g = WholeFrameGeometry();
    PictureScene s;
    s.frameHolder = &Compositor.FrameHolder();
    s.frameSource = g.frameSource;
    s.frameCanvas = g.frameCanvas;
    s.background = pic_video->BackColor();
    s.split = g.split;
    s.modelShown = g.modelShown;
    s.modelHolder = &Compositor.ModelHolder();
    s.modelSource = g.modelSource;
    s.modelCanvas = g.modelCanvas;
    s.modelBackground = pic_video->BackColor();
    s.blend = VideoControls->hscrBlend->value();
    s.drawMarks = [this](QPainter& p) {
        OverlayModel& o = Drawing->Overlay();
        const QTransform shown = o.PictureToCanvas();
        const QRect shownClip = o.CanvasClip();
        const ViewGeometry whole = ViewGeometry::Of(Video1, (Flags() & platform::kEffectMirror) != 0);
        o.SetView(whole.PictureToCanvas(), whole.Clip());
        o.DrawingUpdate(p);
        o.SetView(shown, shownClip);
    };
    return s;
}
