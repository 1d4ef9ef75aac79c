// Painting frames into the canvas.

#include "compare/frmImageTool.h"
#include "imaging/cDIBSection.h"
#include "platform/ImageEffects.h"
#include "platform/PictureBox.h"
#include "platform/RuntimeError.h"
#include "shell/MainToolbar.h"
#include "shell/frm_Main.h"

#include <QCheckBox>
#include <QPainter>
#include <QScrollBar>

#include <cmath>

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
    TryStep([&] {
        // The frame's shown region goes into the holder at its own position; a frame
        // number outside the table or an empty entry leaves the holder as it was.
        const cDIBSection* frame = Video1.Frame(iFrame);
        if (!frame) return;
        const QRect source = Video1.SourceRect();
        // A holder of the canvas's size would cut a frame larger than the canvas before it
        // is scaled down; grow it (once per larger clip, never per paint) to hold the region.
        const QSize needed(source.x() + source.width(), source.y() + source.height());
        if (!QRect(QPoint(0, 0), picDummy->size()).contains(QRect(QPoint(0, 0), needed)))
            picDummy->resize(picDummy->size().expandedTo(needed));
        QPainter holder(&picDummy->Image());
        holder.drawImage(source.topLeft(), *frame->HDC(), source);
    });
    TryStep([&] { platform::FoxBrightness(picDummy->Image(), ImageTool->VScrBright->value(), 0, Flags()); });
    TryStep([&] {
        QPainter canvas(&pic_video->Image());
        QRect source = Video1.SourceRect();
        // The holder was mirrored across its full width: read the region back from there.
        if (Flags() & platform::kEffectMirror)
            source.moveLeft(int(std::lrint(double(picDummy->Image().width()) - source.width() - source.x())));
        // A plain, non-smoothed scaled copy.
        canvas.drawImage(Video1.CanvasRect(), picDummy->Image(), source);
    });
    TryStep([&] {
        if (DrawingUpdate) DrawingUpdate();
    });
    pic_video->Refresh();
    return true;
}
