// The commands of the main toolbar and the Tools menu.

#include "compare/frmImageTool.h"
#include "overlay/CanvasDrawing.h"
#include "platform/Clipboard.h"
#include "platform/FileListBoxes.h"
#include "platform/PictureBox.h"
#include "shell/Globals.h"
#include "shell/MainToolbar.h"
#include "shell/ReportError.h"
#include "shell/cFileDlg.h"
#include "shell/frm_Main.h"

#include <QAction>
#include <QMenu>

#include <cmath>

namespace {

// The folder of the file a dialog returned: its buffer up to the first NUL, up to and
// including the last "/".
QString folderFromDialog(const cFileDlg& dlg) {
    const QString path = dlg.InitDirectory.section(QChar(0), 0, 0);
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
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
    mnuToolsTOP->setEnabled(true);
    mnuToolsTOP->menuAction()->setEnabled(true);
    mnuTools[4]->setEnabled(false);
    for (int b : {3, 4, 5, 7, 10, 11}) Toolbar1->SetEnabled(b, true);
    Toolbar1->SetValue(10, true);
    mnuTools[6]->setChecked(true);
    mnuTools[7]->setChecked(false);
}

void frm_Main::Toolbar_Click(int index) {
    TrapErrors([&] {
        switch (index) {
            case 1: {
                cFileDlg dlg;
                dlg.OwnerHwnd = this;
                dlg.Filter = QStringLiteral("AVI Files|*.avi|Picture Files|*.bmp;*.jpg;*.jpeg");
                dlg.DlgTitle = QStringLiteral("Open AVI File");
                dlg.InitDirectory = G().WorkingDir;
                QString fileName;
                if (!dlg.VBGetOpenFileNamePreview(fileName)) return;
                const QString path = dlg.InitDirectory.section(QChar(0), 0, 0);
                G().WorkingDir = folderFromDialog(dlg);
                Dir1->SetPath(G().WorkingDir);
                if (path.right(4).toLower() == QLatin1String(".avi")) {
                    // A clip that cannot be opened leaves the loaded one and every control as it was.
                    if (!fOpenAvi(path)) return;
                    PasteAvi(platform::CheckedInt16(Video1.reader->FirstFrame()));
                } else {
                    if (!fOpenPic(path)) return;
                    PasteAvi(0);
                }
                ShowClipCommands();
                mnuTools[9]->setEnabled(true);
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
                    Toolbar1->SetValue(4, true);
                    mnuTools[0]->setChecked(true);
                    ShowToolWindow(ImageTool, G().ToolPos.imageTool);
                } else {
                    ImageToolOn = false;
                    Toolbar1->SetValue(4, false);
                    mnuTools[0]->setChecked(false);
                    HideToolWindow(ImageTool, G().ToolPos.imageTool);
                }
                break;
            case 5:
                // The canvas as the user sees it: the frame with its marks.
                platform::SetClipboardImage(pic_video->Image());
                break;
            default:
                // Commands of later features: nothing yet.
                break;
        }
    });
}
