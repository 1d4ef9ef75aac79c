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
        QPainter holder(&picDummy->Image());
        const QRect source = Video1.SourceRect();
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
