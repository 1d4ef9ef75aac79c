// Painting frames into the canvas: video 1, the model blended over it, or the model in
// the split view's right half. Every frame passes through a holder where brightness,
// inversion and mirroring are applied, then goes scaled to its place.

#include "compare/PictureExporter.h"
#include "compare/ViewGeometry.h"
#include "compare/frmImageTool.h"
#include "compare/frmModelTool.h"
#include "imaging/cDIBSection.h"
#include "overlay/CanvasDrawing.h"
#include "platform/Graphics2D.h"
#include "platform/ImageEffects.h"
#include "platform/PictureBox.h"
#include "platform/RuntimeError.h"
#include "playback/frmVideoControls.h"
#include "shell/Globals.h"
#include "shell/MainToolbar.h"
#include "shell/frm_Main.h"

#include <QCheckBox>
#include <QScrollBar>

#include <cmath>

namespace {

// Puts the shown region of a frame into the holder at its own position.
void copyIntoHolder(platform::PictureBox* holder, const cDIBSection* frame, const QRect& source) {
    if (!frame) return;
    // A holder of the canvas's size would cut a frame larger than the canvas before it is
    // scaled down; it grows (once per larger clip, never per paint) to hold the region.
    const QSize needed(source.x() + source.width(), source.y() + source.height());
    if (needed.width() > holder->width() || needed.height() > holder->height())
        holder->resize(holder->size().expandedTo(needed));
    platform::BitBlt(holder->Image(), source.topLeft(), *frame->HDC(), source);
}

// Brightness, inversion and mirroring of the holder's region, in place. Mirroring the
// whole holder and reading the region back from (width - w - x) shows exactly the same
// pixels; working on the region alone spares the rest of the holder, which is never shown.
void applyEffects(platform::PictureBox* holder, const QRect& region, int amount, int flags) {
    QImage& image = holder->Image();
    const QRect r = region & image.rect();
    if (r.isEmpty()) return;
    QImage view(image.bits() + r.y() * image.bytesPerLine() + r.x() * 4, r.width(), r.height(),
                image.bytesPerLine(), image.format());
    platform::FoxBrightness(view, amount, 0, flags);
}

// Step 1 of a video-1 paint in the full view clears the canvas; the part the frame is about
// to cover need not be cleared first.
void clearCanvas(platform::PictureBox* canvas, platform::PictureBox* holder, const QRect& source,
                 const QRect& target) {
    if (!source.isEmpty() && holder->Image().rect().contains(source))
        canvas->ClsAround(target);
    else
        canvas->Cls();
}

}  // namespace

int frm_Main::ImageToolFlags() const {
    int f = 0;
    if (ImageTool->chkFlag.at(1)->isChecked()) f = platform::kEffectInvert;
    if (ImageTool->chkFlag.at(2)->isChecked()) f += platform::kEffectMirror;
    return f;
}

bool frm_Main::PasteAvi(short iFrame) {
    using platform::TryStep;
    // A frame the store does not hold repaints the last one from its own pixels: the holder
    // keeps the effects of the last paint, and processing it again would add them up.
    const cDIBSection* frame = nullptr;
    TryStep([&] { frame = Video1.FrameToPaint(iFrame); });
    // Each step may fail on its own; the next one still runs.
    TryStep([&] {
        if (Toolbar1->Value(10))
            clearCanvas(pic_video, picDummy, frame ? Video1.SourceRect() : QRect(), Video1.CanvasRect());
    });
    TryStep([&] { imageFlags_ = ImageToolFlags(); });
    if (frame) {
        TryStep([&] { copyIntoHolder(picDummy, frame, Video1.SourceRect()); });
        TryStep(
            [&] { applyEffects(picDummy, Video1.SourceRect(), ImageTool->VScrBright->value(), Flags()); });
        TryStep([&] {
            platform::StretchBlt(pic_video->Image(), Video1.CanvasRect(), picDummy->Image(),
                                 Video1.SourceRect());
        });
    }
    TryStep([&] {
        // The marks follow the picture as it is now shown: fitted, panned, halved, flipped.
        const ViewGeometry view = ViewGeometry::Of(Video1, (Flags() & platform::kEffectMirror) != 0);
        Drawing->Overlay().SetView(view.PictureToCanvas(), view.Clip());
    });
    TryStep([&] {
        if (!Toolbar1->Value(10) || !G().ModelShown) return;
        QImage& canvas = pic_video->Image();
        platform::FoxAlphaBlend(canvas, 0, 0, canvas.width(), canvas.height(), picModel->Image(), 0, 0,
                                quint8(VideoControls->hscrBlend->value()), 0xFF00FF, 0);
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
    TryStep([&] { picModel->Cls(); });
    TryStep([&] { modelFlags_ = ModelToolFlags(); });
    TryStep([&] { picModelHold->Cls(); });
    if (frame) {
        TryStep([&] { copyIntoHolder(picModelHold, frame, Model.SourceRect()); });
        TryStep([&] {
            applyEffects(picModelHold, Model.SourceRect(), ModelTool->HscrBrightness->value(), modelFlags_);
        });
        TryStep([&] {
            platform::StretchBlt(picModel->Image(), Model.placement, picModelHold->Image(),
                                 Model.SourceRect());
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
        TryStep([&] { copyIntoHolder(picModelHold, frame, Model.SourceRect()); });
        TryStep([&] {
            applyEffects(picModelHold, Model.SourceRect(), ModelTool->HscrBrightness->value(), modelFlags_);
        });
        TryStep([&] {
            platform::StretchBlt(pic_video->Image(), Model.CanvasRect(), picModelHold->Image(),
                                 Model.SourceRect());
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
    PictureScene s;
    s.frameHolder = &picDummy->Image();
    s.frameSource = Video1.SourceRect();
    s.frameCanvas = Video1.CanvasRect();
    s.background = pic_video->BackColor();
    s.split = !Toolbar1->Value(10);
    s.modelShown = G().ModelShown;
    s.modelHolder = &picModelHold->Image();
    s.modelSource = Model.SourceRect();
    s.modelCanvas = s.split ? Model.CanvasRect() : Model.placement;
    s.modelBackground = picModel->BackColor();
    s.blend = VideoControls->hscrBlend->value();
    s.drawMarks = [this](QPainter& p) { Drawing->Overlay().DrawingUpdate(p); };
    return s;
}
