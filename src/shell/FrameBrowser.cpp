// The file browser (drive, folder and file lists) and the frame strip of the main window.

#include "clips/MediaKinds.h"
#include "imaging/cDIBSection.h"
#include "platform/FileListBoxes.h"
#include "platform/ImageBox.h"
#include "platform/MessageBox.h"
#include "platform/PictureBox.h"
#include "platform/Twips.h"
#include "ui/Globals.h"
#include "shell/MainToolbar.h"
#include "shell/ReportError.h"
#include "shell/frm_Main.h"

#include <QAction>
#include <QFrame>
#include <QMenu>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>

void frm_Main::Drive1_Change() {
    if (G().BusyLoading) {
        // The folder list may not follow while a clip loads: the drive goes back to the
        // file list's, so that the three lists still show one place.
        const QSignalBlocker quiet(Drive1);
        Drive1->SetDrive(File1->Path());
        return;
    }
    TrapErrors([&] { Dir1->SetPath(Drive1->Drive()); });
}

void frm_Main::Dir1_Change() {
    if (G().BusyLoading) {
        // The file list ignores the change while a clip loads, so the folder list goes back
        // to it: a file opened from the list is then one the list shows.
        const QSignalBlocker quiet(Dir1);
        TrapErrors([&] { Dir1->SetPath(File1->Path()); });
        return;
    }
    TrapErrors([&] {
        File1->SetPath(Dir1->Path());
        G().WorkingDir = File1->Path();
    });
}

void frm_Main::File1_MouseUp(int button, int shift) {
    TrapErrors([&] {
        if (button == platform::vbRightButton) return;
        const QString name = File1->FileName();
        if (name.isEmpty()) return;
        const QString path = Dir1->Path() + QLatin1Char('/') + name;
        const bool isClip = !IsPictureFile(name);
        if (G().BusyLoading) return;
        if (shift == platform::vbShiftMask) {
            G().WorkingDir = Dir1->Path();
            if (isClip) {
                // A clip that cannot be opened leaves everything as it was after its message.
                if (!fOpenAvi(path)) {
                    if (!clipLoadCancelled_) platform::MsgBox(QStringLiteral("fopenavi error"));
                    return;
                }
                mnuTools[9]->setEnabled(true);
            } else if (!fOpenPic(path)) {
                return;
            }
            if (!PasteAvi(CurrentVideoFrame)) platform::MsgBox(QStringLiteral("pasteavi error"));
            ShowClipCommands();
        } else if (shift == 0 && isClip && previewClip) {
            previewClip(path);
        }
    });
}

void frm_Main::HScrVideoFrames_Change() {
    // Each step shows the next row: thumbnails are 12 vertical units high, rows 50 twips apart.
    const long rowPitch = 12 * G().ScreenUnitY + 50;
    picCVideoFrames->move(0, -platform::TwipsToPixelsY(double(HScrVideoFrames->value()) * rowPitch));
}

void frm_Main::reflowThumbnails() {
    if (ClipKind != 2 || ImgVideoFrames.empty() || !ImgVideoFrames[0] || ImgVideoFrames[0]->isHidden()) return;
    const int count = int(ImgVideoFrames.size());
    const QSize frameSize = Video1.FrameSize();
    const ThumbnailLayout t =
        ComputeThumbnails(G().ScreenUnitX, G().ScreenUnitY, frameSize.width(), frameSize.height(), count);
    layOutStrip(t);
    const int first = Video1.FirstFrame();
    for (int i = 0; i < count; ++i) {
        platform::ImageBox* thumb = ImgVideoFrames[size_t(i)];
        if (!thumb) continue;
        const QRect at = platform::TwipsToPixels(t.Box(i));
        if (at.size() != thumb->size()) {
            // Scaled again from the frame itself, so a larger strip is no blurrier; a clip decoded
            // on demand rescales its thumbnail instead of sending its cache through every frame.
            const cDIBSection* frame = Video1.OnDemand() ? nullptr : Video1.Frame(first + i);
            if (frame && frame->HDC())
                thumb->setPixmap(QPixmap::fromImage(
                    frame->HDC()->scaled(at.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)));
            else if (!thumb->pixmap().isNull())
                thumb->setPixmap(thumb->pixmap().scaled(at.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
        }
        thumb->setGeometry(at);
    }
    const int current = std::clamp(CurrentVideoFrame - first, 0, count - 1);
    shapeVideoFrame->setGeometry(QRect(ImgVideoFrames[size_t(current)] ? ImgVideoFrames[size_t(current)]->pos()
                                                                         : QPoint(),
                                       platform::TwipsToPixels(QRect(0, 0, int(t.width), int(t.height))).size()));
    shapeVideoFrame->raise();
}

void frm_Main::ImgVideoFrames_Click(int index) {
    // A frame the clip does not have is never made the current one.
    if (G().BusyLoading || ClipKind == 1 || index < 0 || index >= Video1.frameCount) return;
    using platform::TryStep;
    // Each step may fail on its own; the next still runs.
    TryStep([&] {
        const long first = Video1.reader ? Video1.reader->FirstFrame() : 0;
        CurrentVideoFrame = platform::CheckedInt16(first + index);
    });
    TryStep([&] { PasteAvi(CurrentVideoFrame); });
    TryStep([&] { ShowVideoInfo(picVideoInfo); });
    TryStep([&] {
        if (size_t(index) < ImgVideoFrames.size() && ImgVideoFrames[size_t(index)])
            shapeVideoFrame->move(ImgVideoFrames[size_t(index)]->pos());
    });
}
