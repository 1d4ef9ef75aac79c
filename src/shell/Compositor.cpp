// The canvas's paints, carried out by the canvas painter: the window hands it a snapshot of its
// toolbar and tool windows at each paint, and the canvas to paint on.

#include "compare/CanvasPainter.h"
#include "compare/PictureExporter.h"
#include "compare/frmImageTool.h"
#include "compare/frmModelTool.h"
#include "overlay/CanvasDrawing.h"
#include "platform/PictureBox.h"
#include "playback/frmVideoControls.h"
#include "ui/Globals.h"
#include "shell/MainToolbar.h"
#include "shell/frm_Main.h"

#include <QCheckBox>
#include <QScrollBar>

CanvasHooks frm_Main::canvasHooks() {
    CanvasHooks h;
    h.controls = [this] {
        CanvasControls c;
        c.modelShown = G().ModelShown;
        c.fullView = Toolbar1->Value(10);
        c.splitView = Toolbar1->Value(11);
        c.frameBrightness = ImageTool->VScrBright->value();
        c.frameInvert = ImageTool->chkFlag.at(1)->isChecked();
        c.frameMirror = ImageTool->chkFlag.at(2)->isChecked();
        c.modelBrightness = ModelTool->HscrBrightness->value();
        c.modelInvert = ModelTool->chkFlags.at(0)->isChecked();
        c.modelMirror = ModelTool->chkFlags.at(1)->isChecked();
        c.blend = VideoControls->hscrBlend->value();
        return c;
    };
    h.canvas = [this]() -> platform::PictureBox& { return *pic_video; };
    h.marks = [this]() -> OverlayModel& { return Drawing->Overlay(); };
    h.drawingUpdate = [this] {
        if (DrawingUpdate) DrawingUpdate();
    };
    h.currentVideoFrame = [this] { return CurrentVideoFrame; };
    h.frameShown = [this](short iFrame) { emit FrameShown(iFrame); };
    return h;
}

bool frm_Main::PasteAvi(short iFrame) { return Canvas.PasteAvi(iFrame); }
void frm_Main::PasteModel(short i) { Canvas.PasteModel(i); }
void frm_Main::PasteModelToMainWindow(short i) { Canvas.PasteModelToMainWindow(i); }
void frm_Main::ModelDraw(short i) { Canvas.ModelDraw(i); }
CompositeGeometry frm_Main::CanvasGeometry() const { return Canvas.CanvasGeometry(); }
CompositeGeometry frm_Main::WholeFrameGeometry() const { return Canvas.WholeFrameGeometry(); }
CompositeEffects frm_Main::EffectSettings() const { return Canvas.EffectSettings(); }
int frm_Main::ImageToolFlags() const { return Canvas.ImageToolFlags(); }
int frm_Main::ModelToolFlags() const { return Canvas.ModelToolFlags(); }
PictureScene frm_Main::CanvasScene() { return Canvas.CanvasScene(); }
