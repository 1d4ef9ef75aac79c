// Painting frames into the canvas.

#include "imaging/cDIBSection.h"
#include "platform/PictureBox.h"
#include "platform/RuntimeError.h"
#include "shell/MainToolbar.h"
#include "shell/frm_Main.h"

#include <QPainter>

bool frm_Main::PasteAvi(short iFrame) {
    using platform::TryStep;
    // Each step may fail on its own; the next one still runs.
    TryStep([&] {
        if (Toolbar1->Value(10)) pic_video->Cls();
    });
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
    TryStep([&] {
        QPainter canvas(&pic_video->Image());
        // A plain, non-smoothed scaled copy.
        canvas.drawImage(Video1.CanvasRect(), picDummy->Image(), Video1.SourceRect());
    });
    TryStep([&] {
        if (DrawingUpdate) DrawingUpdate();
    });
    pic_video->Refresh();
    return true;
}
