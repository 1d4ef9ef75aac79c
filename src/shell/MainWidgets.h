#pragma once
// The main window's parts by the names the window design gives them, by which the program and
// the tests reach them. MainControls makes the controls, menus and tool windows; MainParts adds
// the commands, the playback timers, the drawing and the key positions.

#include <array>
#include <map>
#include <vector>

class CanvasDrawing;
class KeyPositionsController;
class MainCommands;
class MainToolbar;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QScrollBar;
class QStatusBar;
class QTimer;
class QWidget;
class frmDrawToolBox;
class frmImageTool;
class frmModelTool;
class frmVideoControls;
namespace platform {
class DirListBox;
class DriveListBox;
class FileListBox;
class ImageBox;
class PictureBox;
}  // namespace platform

struct MainWidgets {
    MainToolbar* Toolbar1 = nullptr;
    QProgressBar* prgbarProcess = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    std::array<QLabel*, 4> Panels{};  // status-bar panels 1..4 at [0..3]
    platform::DriveListBox* Drive1 = nullptr;
    platform::DirListBox* Dir1 = nullptr;
    platform::FileListBox* File1 = nullptr;
    platform::PictureBox* picVideo = nullptr;      // preview of the clip under the mouse
    platform::PictureBox* pic_video = nullptr;     // canvas of video 1
    platform::PictureBox* picVideoInfo = nullptr;  // clip information panel
    QScrollBar* hscrAvi1 = nullptr;
    QScrollBar* hscrAvi2 = nullptr;
    QWidget* picPVideoFrames = nullptr;  // frame strip, outer
    QWidget* picCVideoFrames = nullptr;  // frame strip, inner (scrolled)
    // Thumbnails; [0] exists from the start; element k shows frame (first frame + k).
    std::vector<platform::ImageBox*> ImgVideoFrames;
    QScrollBar* HScrVideoFrames = nullptr;
    QFrame* shapeVideoFrame = nullptr;  // red frame around the current thumbnail
    QLabel* imgLogo = nullptr;
    QTimer* ClockTimer = nullptr;
    QTimer* VideoTimer = nullptr;  // the clip player's three
    QTimer* ModelTimer = nullptr;
    QTimer* bothTimer = nullptr;

    QMenu* menu_File = nullptr;
    std::map<int, QAction*> mnuFile;  // indices 0, 1, 2, 5..8, 9, 10
    QAction* mnuExportPicture = nullptr;
    QAction* mnuExportVideo = nullptr;
    QMenu* mnuToolsTOP = nullptr;
    std::vector<QAction*> mnuTools;  // indices 0..9
    QMenu* mnu_help = nullptr;
    std::vector<QAction*> mnuhelp;  // indices 0..3

    frmDrawToolBox* DrawToolBox = nullptr;
    frmImageTool* ImageTool = nullptr;
    frmModelTool* ModelTool = nullptr;
    frmVideoControls* VideoControls = nullptr;

    // The commands' actions, shared by the toolbar, the menus and the keys.
    MainCommands* Commands = nullptr;
    // The swing's key positions of video 1 and the model.
    KeyPositionsController* SwingKeys = nullptr;
    // The measurement marks over the canvas and the drawing on it.
    CanvasDrawing* Drawing = nullptr;
};
