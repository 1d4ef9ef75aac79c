// The commands of the main toolbar and the Tools menu.

#include "clips/MediaKinds.h"
#include "compare/KeyPositionsController.h"
#include "compare/ModelInsertion.h"
#include "compare/ModelViews.h"
#include "compare/frmImageTool.h"
#include "compare/frmModelTool.h"
#include "overlay/CanvasDrawing.h"
#include "platform/Clipboard.h"
#include "platform/FileListBoxes.h"
#include "platform/PictureBox.h"
#include "playback/frmVideoControls.h"
#include "ui/Globals.h"
#include "shell/MainCommands.h"
#include "shell/MainToolbar.h"
#include "shell/ReportError.h"
#include "shell/cFileDlg.h"
#include "shell/frm_Main.h"

#include <QAction>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTimer>

namespace {

// The "Open AVI File" dialog, starting in `folder`. When the user chose a file: its path,
// and `folder` becomes the chosen file's folder, up to and including the last "/".
bool askForClip(QWidget* owner, const QString& filter, QString& folder, QString& path) {
    cFileDlg dlg;
    dlg.OwnerHwnd = owner;
    dlg.Filter = filter;
    dlg.DlgTitle = QStringLiteral("Open AVI File");
    dlg.InitDirectory = folder;
    QString fileName;
    if (!dlg.VBGetOpenFileNamePreview(fileName)) return false;
    path = dlg.InitDirectory.section(QChar(0), 0, 0);
    folder = path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
    return true;
}

}  // namespace

void frm_Main::ShowToolWindow(ToolWindow* window, const QPoint& positionTwips) {
    window->MoveTwips(positionTwips);
    window->show();
    window->raise();
}

void frm_Main::HideToolWindow(ToolWindow* window, QPoint& positionTwips) {
    positionTwips = window->PositionTwips();
    window->hide();
}

void frm_Main::ShowClipCommands() {
    const bool wasSplit = !G().FullWindow;
    if (wasSplit) {
        // The new clip is fitted whole: the split view's sliders and halved model go.
        hscrAvi1->hide();
        hscrAvi2->hide();
        if (const QSize size = Model.FrameSize(); !size.isEmpty()) {
            Model.sourceWidth = size.width();
            Model.sourceHeight = size.height();
        }
        Model.panX = 0;
        G().FullWindow = true;
    }
    // The view's buttons are read by the paint below.
    Commands->ClipOpened();
    if (wasSplit) {
        // Painted while the split view was still on, the new picture lies over what was
        // there: paint it again in the full view, which clears first, blended if a model is in.
        if (G().ModelShown)
            PasteModel(CurrentModelFrame);
        else
            PasteAvi(CurrentVideoFrame);
    }
}

void frm_Main::Toolbar_Click(int index) {
    // Whatever the command changed, its buttons and menu items show it after.
    const auto refresh = qScopeGuard([this] { Commands->Refresh(); });
    // The commands that ask for a file wait until a load ends (their buttons are disabled
    // meanwhile; this covers the menus too).
    if (G().BusyLoading && (index == 1 || index == 7)) return;
    TrapErrors([&] {
        switch (index) {
            case 1: {
                QString path;
                if (!askForClip(this, QStringLiteral("Video Files|") + kVideoPatterns + QStringLiteral("|AVI Files|*.avi|Picture Files|") + kPicturePatterns,
                                G().WorkingDir, path))
                    return;
                Dir1->SetPath(G().WorkingDir);
                if (!IsPictureFile(path)) {
                    // A clip that cannot be opened leaves the loaded one and every control as it was.
                    if (!fOpenAvi(path)) return;
                    PasteAvi(platform::CheckedInt16(Video1.FirstFrame()));
                } else {
                    if (!fOpenPic(path)) return;
                    PasteAvi(0);
                }
                ShowClipCommands();
                break;
            }
            case 3:
            case 20:
            case 21:
            case 22:
            case 23:
            case 24:
            case 25:
            case 26:
                // Drawing on and off, and the tool box's choice of tool.
                Drawing->ToolbarCommand(index);
                break;
            case 4:
                if (!ImageToolOn) {
                    ImageToolOn = true;
                    ShowToolWindow(ImageTool, G().ToolPos.imageTool);
                } else {
                    ImageToolOn = false;
                    HideToolWindow(ImageTool, G().ToolPos.imageTool);
                }
                break;
            case 5:
                // The canvas as the user sees it: the frame with its marks, at the canvas's size
                // whatever the screen's density.
                if (pic_video->PixelRatio() == 1) {
                    platform::SetClipboardImage(pic_video->Image());
                } else {
                    QImage shown = pic_video->Image().scaled(pic_video->Image().deviceIndependentSize().toSize(),
                                                             Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                    shown.setDevicePixelRatio(1);
                    platform::SetClipboardImage(shown);
                }
                break;
            case 7:
                if (!G().ModelShown)
                    insertModel();
                else
                    closeModel();
                break;
            case 8:
                if (!G().ModelAdjust) {
                    if (Drawing->Overlay().DrawingOn) Toolbar_Click(3);
                    G().ModelAdjust = true;
                    ShowToolWindow(ModelTool, G().ToolPos.adjustTool);
                } else {
                    G().ModelAdjust = false;
                    HideToolWindow(ModelTool, G().ToolPos.adjustTool);
                    Drawing->SetMousePointer(0);
                }
                break;
            case 10:
                fullWindow();
                break;
            case 11:
                splitWindow();
                break;
            default:
                break;
        }
    });
}

ModelInsertion& frm_Main::modelSlot() {
    if (!modelSlot_)
        modelSlot_ = new ModelInsertion(
            this, {Model, *pic_video, *hscrAvi2, *VideoControls, *ModelTool, *VideoTimer, *ModelTimer, *bothTimer, views()},
            {G().ModelShown, G().ModelAdjust, G().Stopped, CurrentModelFrame, G().ModelDir},
            {.chooseFile = [this](const QString& filter, QString& folder,
                                  QString& path) { return askForClip(this, filter, folder, path); },
             .open = [this](const QString& path) { return fOpenModel(path); },
             .splitView = [this] { return Toolbar1->Value(11); },
             .refreshCommands = [this] { Commands->Refresh(); },
             .stopExport = [this] { StopVideoExport(); },
             .forgetKeys =
                 [this] {
                     SwingKeys->ClipUnloading(KeyPositionsController::Model);
                     SwingKeys->ClipLoaded(KeyPositionsController::Model, {});
                 },
             .paintModel = [this](short frame) { PasteModel(frame); },
             .paintVideo = [this] { PasteAvi(CurrentVideoFrame); }});
    return *modelSlot_;
}

void frm_Main::insertModel() {
    modelSlot().Insert();
}
bool frm_Main::InsertModelFile(const QString& path) {
    return modelSlot().InsertFile(path);
}
void frm_Main::closeModel() {
    modelSlot().Close();
}

ModelViews& frm_Main::views() {
    if (!views_)
        views_ = new ModelViews(this, {Video1, Model, *pic_video, *hscrAvi1, *hscrAvi2}, G().FullWindow,
                                {.modelShown = [] { return G().ModelShown; },
                                 .stillPicture = [this] { return ClipKind == 1; },
                                 .paintVideo = [this] { PasteAvi(CurrentVideoFrame); },
                                 .videoPanned = [this] { hscrAvi1_Scroll(); },
                                 .modelPanned = [this] { hscrAvi2_Scroll(); }});
    return *views_;
}

void frm_Main::leaveSplitView() {
    views().LeaveSplit();
}

void frm_Main::fullWindow() {
    views().Full();
}

void frm_Main::splitWindow() {
    views().Split();
}

void frm_Main::mnuTools_Click(int index) {
    switch (index) {
        case 0:
            Toolbar_Click(4);
            break;
        case 1:
            Toolbar_Click(3);
            break;
        case 3:
            Toolbar_Click(7);
            break;
        case 4:
            Toolbar_Click(8);
            break;
        case 6:
            Toolbar1->SetValue(10, true);
            Toolbar_Click(10);
            break;
        case 7:
            Toolbar1->SetValue(11, true);
            Toolbar_Click(11);
            break;
        case 9:
            if (!mnuTools[9]->isChecked()) {
                ShowToolWindow(VideoControls, G().ToolPos.videoControls);
                mnuTools[9]->setChecked(true);
            } else {
                HideToolWindow(VideoControls, G().ToolPos.videoControls);
                mnuTools[9]->setChecked(false);
            }
            break;
        default:
            break;
    }
}
