// Painting frames into the canvas: video 1, the model blended over it, or the model in
// the split view's right half. Every frame passes through a holder where brightness,
// inversion and mirroring are applied, then goes scaled to its place.

#include "compare/frmImageTool.h"
#include "compare/frmModelTool.h"
#include "imaging/cDIBSection.h"
#include "platform/ImageEffects.h"
#include "platform/PictureBox.h"
#include "platform/RuntimeError.h"
#include "playback/frmVideoControls.h"
#include "shell/Globals.h"
#include "shell/MainToolbar.h"
#include "shell/frm_Main.h"

#include <QCheckBox>
#include <QPainter>
#include <QScrollBar>

#include <cmath>

namespace {

// Puts the shown region of a frame into the holder at its own position. A frame number
// outside the table or an empty entry leaves the holder's previous picture.
void copyIntoHolder(platform::PictureBox* holder, const cDIBSection* frame, const QRect& source) {
    if (!frame) return;
    // A holder of the canvas's size would cut a frame larger than the canvas before it is
    // scaled down; it grows (once per larger clip, never per paint) to hold the region.
    const QSize needed(source.x() + source.width(), source.y() + source.height());
    if (needed.width() > holder->width() || needed.height() > holder->height())
        holder->resize(holder->size().expandedTo(needed));
    QPainter painter(&holder->Image());
    painter.drawImage(source.topLeft(), *frame->HDC(), source);
}

// The holder's region to show: the mirror turned the holder across its full width, so a
// region put at x comes back from (width - w - x).
QRect shownRegion(platform::PictureBox* holder, QRect source, int flags) {
    if (flags & platform::kEffectMirror)
        source.moveLeft(int(std::lrint(double(holder->Image().width()) - source.width() - source.x())));
    return source;
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
    // Each step may fail on its own; the next one still runs.
    TryStep([&] {
        if (Toolbar1->Value(10)) pic_video->Cls();
    });
    TryStep([&] { imageFlags_ = ImageToolFlags(); });
    TryStep([&] { copyIntoHolder(picDummy, Video1.Frame(iFrame), Video1.SourceRect()); });
    TryStep([&] { platform::FoxBrightness(picDummy->Image(), ImageTool->VScrBright->value(), 0, Flags()); });
    TryStep([&] {
        // A plain, non-smoothed scaled copy.
        QPainter canvas(&pic_video->Image());
        canvas.drawImage(Video1.CanvasRect(), picDummy->Image(),
                         shownRegion(picDummy, Video1.SourceRect(), Flags()));
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
    TryStep([&] { picModel->Cls(); });
    TryStep([&] { modelFlags_ = ModelToolFlags(); });
    TryStep([&] { picModelHold->Cls(); });
    TryStep([&] { copyIntoHolder(picModelHold, Model.Frame(i), Model.SourceRect()); });
    TryStep([&] {
        platform::FoxBrightness(picModelHold->Image(), ModelTool->HscrBrightness->value(), 0, modelFlags_);
    });
    TryStep([&] {
        QPainter surface(&picModel->Image());
        surface.drawImage(Model.placement, picModelHold->Image(),
                          shownRegion(picModelHold, Model.SourceRect(), modelFlags_));
    });
    TryStep([&] { PasteAvi(CurrentVideoFrame); });
}

void frm_Main::PasteModelToMainWindow(short i) {
    using platform::TryStep;
    TryStep([&] { modelFlags_ = ModelToolFlags(); });
    TryStep([&] { copyIntoHolder(picModelHold, Model.Frame(i), Model.SourceRect()); });
    TryStep([&] {
        platform::FoxBrightness(picModelHold->Image(), ModelTool->HscrBrightness->value(), 0, modelFlags_);
    });
    TryStep([&] {
        QPainter canvas(&pic_video->Image());
        canvas.drawImage(Model.CanvasRect(), picModelHold->Image(),
                         shownRegion(picModelHold, Model.SourceRect(), modelFlags_));
    });
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
