#include "shell/ToolbarCommands.h"

#include "clips/MediaKinds.h"
#include "compare/ModelInsertion.h"
#include "compare/ModelViews.h"
#include "compare/frmImageTool.h"
#include "compare/frmModelTool.h"
#include "overlay/CanvasDrawing.h"
#include "platform/Clipboard.h"
#include "platform/FileListBoxes.h"
#include "platform/PictureBox.h"
#include "playback/frmVideoControls.h"
#include "shell/MainCommands.h"
#include "shell/MainParts.h"
#include "shell/MainState.h"
#include "shell/MainToolbar.h"
#include "shell/MainWidgets.h"
#include "shell/ReportError.h"
#include "shell/cFileDlg.h"
#include "shell/cMRUFileList.h"
#include "ui/Globals.h"

#include <QAction>
#include <QScopeGuard>
#include <QScrollBar>

bool AskForClip(QWidget* owner, const QString& filter, QString& folder, QString& path) {
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

ToolbarCommands::ToolbarCommands(QWidget& window, MainWidgets& controls, MainState& state, MainParts& parts)
    : window_(window), c_(controls), s_(state), parts_(parts) {}

void ToolbarCommands::ShowToolWindow(ToolWindow* window, const QPoint& positionTwips) {
    window->MoveTwips(positionTwips);
    window->show();
    window->raise();
}

void ToolbarCommands::HideToolWindow(ToolWindow* window, QPoint& positionTwips) {
    positionTwips = window->PositionTwips();
    window->hide();
}

void ToolbarCommands::ShowClipCommands() {
    const bool wasSplit = !s_.Program.FullWindow;
    if (wasSplit) {
        // The new clip is fitted whole: the split view's sliders and halved model go.
        c_.hscrAvi1->hide();
        c_.hscrAvi2->hide();
        if (const QSize size = s_.Model.FrameSize(); !size.isEmpty()) {
            s_.Model.sourceWidth = size.width();
            s_.Model.sourceHeight = size.height();
        }
        s_.Model.panX = 0;
        s_.Program.FullWindow = true;
    }
    // The view's buttons are read by the paint below.
    c_.Commands->ClipOpened();
    if (wasSplit) {
        // Painted while the split view was still on, the new picture lies over what was
        // there: paint it again in the full view, which clears first, blended if a model is in.
        if (s_.Program.ModelShown)
            parts_.Canvas.PasteModel(s_.CurrentModelFrame);
        else
            parts_.Canvas.PasteAvi(s_.CurrentVideoFrame);
    }
}

void ToolbarCommands::Toolbar(int index) {
    // Whatever the command changed, its buttons and menu items show it after.
    const auto refresh = qScopeGuard([this] { c_.Commands->Refresh(); });
    // The commands that ask for a file wait until a load ends (their buttons are disabled
    // meanwhile; this covers the menus too).
    if (s_.Program.BusyLoading && (index == 1 || index == 7)) return;
    TrapErrors([&] {
        switch (index) {
            case 1:
                open();
                break;
            case 3:
            case 20:
            case 21:
            case 22:
            case 23:
            case 24:
            case 25:
            case 26:
                // Drawing on and off, and the tool box's choice of tool.
                c_.Drawing->ToolbarCommand(index);
                break;
            case 4:
                toggleImageTool();
                break;
            case 5:
                copyImage();
                break;
            case 7:
                if (!s_.Program.ModelShown)
                    parts_.ModelSlot().Insert();
                else
                    parts_.ModelSlot().Close();
                break;
            case 8:
                toggleModelAdjust();
                break;
            case 10:
                parts_.Views().Full();
                break;
            case 11:
                parts_.Views().Split();
                break;
            default:
                break;
        }
    });
}

void ToolbarCommands::open() {
    QString path;
    if (!AskForClip(&window_,
                    QStringLiteral("Video Files|") + kVideoPatterns +
                        QStringLiteral("|AVI Files|*.avi|Picture Files|") + kPicturePatterns,
                    s_.Program.WorkingDir, path))
        return;
    c_.Dir1->SetPath(s_.Program.WorkingDir);
    if (!IsPictureFile(path)) {
        // A clip that cannot be opened leaves the loaded one and every control as it was.
        if (!parts_.OpenClip(path)) return;
        parts_.Canvas.PasteAvi(platform::CheckedInt16(s_.Video1.FirstFrame()));
    } else {
        if (!parts_.OpenPicture(path)) return;
        parts_.Canvas.PasteAvi(0);
    }
    ShowClipCommands();
}

void ToolbarCommands::toggleImageTool() {
    s_.ImageToolOn = !s_.ImageToolOn;
    if (s_.ImageToolOn)
        ShowToolWindow(c_.ImageTool, s_.Program.ToolPos.imageTool);
    else
        HideToolWindow(c_.ImageTool, s_.Program.ToolPos.imageTool);
}

void ToolbarCommands::copyImage() {
    // The canvas as the user sees it: the frame with its marks, at the canvas's size whatever
    // the screen's density.
    const platform::PictureBox& canvas = *c_.pic_video;
    if (canvas.PixelRatio() == 1) {
        platform::SetClipboardImage(canvas.Image());
        return;
    }
    QImage shown = canvas.Image().scaled(canvas.Image().deviceIndependentSize().toSize(),
                                         Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    shown.setDevicePixelRatio(1);
    platform::SetClipboardImage(shown);
}

void ToolbarCommands::toggleModelAdjust() {
    if (!s_.Program.ModelAdjust) {
        if (c_.Drawing->Overlay().DrawingOn) Toolbar(3);
        s_.Program.ModelAdjust = true;
        ShowToolWindow(c_.ModelTool, s_.Program.ToolPos.adjustTool);
    } else {
        s_.Program.ModelAdjust = false;
        HideToolWindow(c_.ModelTool, s_.Program.ToolPos.adjustTool);
        c_.Drawing->SetMousePointer(0);
    }
}

void ToolbarCommands::ToolsItem(int index) {
    switch (index) {
        case 0:
            Toolbar(4);
            break;
        case 1:
            Toolbar(3);
            break;
        case 3:
            Toolbar(7);
            break;
        case 4:
            Toolbar(8);
            break;
        case 6:
            c_.Toolbar1->SetValue(10, true);
            Toolbar(10);
            break;
        case 7:
            c_.Toolbar1->SetValue(11, true);
            Toolbar(11);
            break;
        case 9:
            if (!c_.mnuTools[9]->isChecked()) {
                ShowToolWindow(c_.VideoControls, s_.Program.ToolPos.videoControls);
                c_.mnuTools[9]->setChecked(true);
            } else {
                HideToolWindow(c_.VideoControls, s_.Program.ToolPos.videoControls);
                c_.mnuTools[9]->setChecked(false);
            }
            break;
        default:
            break;
    }
}

void ToolbarCommands::FileItem(int index) {
    if (s_.Program.BusyLoading) return;
    TrapErrors([&] {
        if (index == 0) Toolbar(1);
        if (index == 1) Toolbar(7);
        if (index >= 5 && index <= 8) {
            // A recent clip that cannot be opened (moved, deleted) gets the reader's message
            // and leaves the loaded clip as it was.
            if (!parts_.OpenClip(parts_.MRU().File(index - 4))) return;
            parts_.Canvas.PasteAvi(s_.CurrentVideoFrame);
            ShowClipCommands();
        }
        if (index == 10) window_.close();
    });
}
