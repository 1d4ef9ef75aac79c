// Loading clips and pictures into the frame stores of the main window: the window's part
// around the clip opener, and its marks sidecar.

#include "clips/ClipInfo.h"
#include "clips/ClipOpener.h"
#include "clips/FileBrowser.h"
#include "clips/FrameStrip.h"
#include "compare/KeyPositionsController.h"
#include "overlay/CanvasDrawing.h"
#include "overlay/frmDrawToolBox.h"
#include "platform/FileListBoxes.h"
#include "platform/MessageBox.h"
#include "platform/PictureBox.h"
#include "playback/frmVideoControls.h"
#include "ui/Artwork.h"
#include "ui/Globals.h"
#include "shell/MainCommands.h"
#include "shell/MainToolbar.h"
#include "shell/ReportError.h"
#include "shell/frm_Main.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>


void frm_Main::connectClips() {
    const auto slotOf = [](ClipOpener::Slot s) {
        return s == ClipOpener::Slot::Video1 ? KeyPositionsController::Video1 : KeyPositionsController::Model;
    };
    ClipOpener::Hooks h;
    // Open and Insert Model open a dialog: off while the busy flag is set.
    h.loading = [this](bool) { Commands->Refresh(); };
    h.leaving = [this] { leaveMarks(false); };
    h.showCanvas = [this] {
        imgLogo->hide();
        pic_video->show();
        picPVideoFrames->show();
    };
    h.releasing = [this, slotOf](ClipOpener::Slot s) {
        StopVideoExport();
        SwingKeys->ClipUnloading(slotOf(s));
    };
    h.entered = [this](const QString& path, int first, bool isClip) {
        Zoom.Reset();
        CurrentVideoFrame = short(first);
        enterMarks(path, isClip);
    };
    h.showFrame = [this](int first) { PasteAvi(short(first)); };
    h.clipOpened = [this](const QString& path, int frames) {
        VideoControls->show();
        mnuTools[9]->setChecked(true);  // the menu's check follows the window, activated or not
        ClipKind = frames > 1 ? 2 : 1;
        SwingKeys->ClipLoaded(KeyPositionsController::Video1, path);
        ShowVideoInfo(picVideoInfo);
        AddMRUFile(path);
        G().ClipLoaded = true;
    };
    h.pictureComing = [this] {
        hscrAvi1->hide();
        hscrAvi2->hide();
        ClipKind = 1;
        picVideoInfo->hide();
    };
    h.pictureOpened = [this] {
        SwingKeys->ClipLoaded(KeyPositionsController::Video1, {});
        ShowVideoInfo(picVideoInfo);
    };
    h.modelEntered = [this](const QString& path) {
        // The key positions saved with the model clip, if its sidecar is sound; its marks stay there.
        if (const auto saved = MarksStore::Load(path); saved.status == MarksStore::LoadResult::Loaded)
            SwingKeys->SetStoredKeys(KeyPositionsController::Model, saved.snapshot.keyPositions);
    };
    h.modelOpened = [this](const QString& path) {
        SwingKeys->ClipLoaded(KeyPositionsController::Model, path);
    };
    opener_ = std::make_unique<ClipOpener>(*this, *pic_video, *prgbarProcess, *strip_, Video1, Model,
                                           G().BusyLoading, G().CloseRequested, G().ScreenUnitX,
                                           G().ScreenUnitY, std::move(h));

    FileBrowser::Hooks b;
    b.trapErrors = [](const std::function<void()>& body) { TrapErrors(body); };
    b.openClip = [this](const QString& path) { return fOpenAvi(path); };
    b.openPicture = [this](const QString& path) { return fOpenPic(path); };
    b.cancelled = [this] { return opener_->Cancelled(); };
    // The commands, the video controls' item among them, follow the clip or picture in
    // ShowClipCommands.
    b.opened = [this](bool) {
        if (!PasteAvi(CurrentVideoFrame)) platform::MsgBox(QStringLiteral("pasteavi error"));
        ShowClipCommands();
    };
    b.preview = [this](const QString& path) {
        if (previewClip) previewClip(path);
    };
    browser_ =
        std::make_unique<FileBrowser>(*Drive1, *Dir1, *File1, G().BusyLoading, G().WorkingDir, std::move(b));
}

bool frm_Main::fOpenAvi(const QString& path) {
    return opener_->OpenClip(path);
}
bool frm_Main::fOpenModel(const QString& path) {
    return opener_->OpenModel(path);
}
bool frm_Main::fOpenPic(const QString& path) {
    return opener_->OpenPicture(path);
}

void frm_Main::ShowVideoInfo(platform::PictureBox* box, int shownFrame) {
    PaintClipInfo(*box, Video1, shownFrame < 0 ? CurrentVideoFrame : shownFrame, SwingKeys->InfoLines());
}

void frm_Main::leaveMarks(bool quietly) {
    QString error;
    const auto keys = SwingKeys->UserKeys(KeyPositionsController::Video1);
    if (clipMarks_.Leave(Drawing->Overlay(), keys, &error)) return;
    const QString text = QStringLiteral("The marks of %1 could not be saved: %2")
                             .arg(QFileInfo(clipMarks_.ClipPath()).fileName(), error);
    if (quietly)
        qWarning("%s", qPrintable(text));
    else
        platform::MsgBox(text, platform::vbExclamation, QStringLiteral("Marks"));
}

void frm_Main::enterMarks(const QString& path, bool isClip) {
    const auto keys = clipMarks_.Enter(path, Drawing->Overlay());
    DrawToolBox->ShowPenColor();
    if (isClip) SwingKeys->SetStoredKeys(KeyPositionsController::Video1, keys);
}
