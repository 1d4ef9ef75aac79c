#pragma once
// The main window "Golf Swing Analysis": file browser, canvas, frame strip, information
// panel, toolbar, status bar and the four tool windows. It owns the program's state and
// carries the commands of the menus and toolbar.

#include "clips/ClipLoader.h"
#include "clips/FrameStore.h"
#include "compare/CanvasPainter.h"
#include "compare/ExportController.h"
#include "compare/ModelAdjuster.h"
#include "overlay/MarksStore.h"
#include "platform/FileDialog.h"
#include "shell/MainLayout.h"

#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QPointF>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QAction;
class ClipOpener;
class FileBrowser;
class FrameStrip;
struct PictureScene;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
struct VideoExportJob;
class QScrollBar;
class QStatusBar;
class QTimer;
class MainToolbar;
class cMRUFileList;
class CanvasDrawing;
class MoviePreview;
class frmDrawToolBox;
class frmImageTool;
class frmModelTool;
class frmVideoControls;
class KeyPositionsController;
class MainCommands;
class ModelViews;
class ModelInsertion;
struct KeyPositionsWindow;
struct CanvasZoomHost;
class ToolWindow;
namespace playback {
class ClipPlayer;
}

namespace platform {
class ImageBox;
class PictureBox;
class DriveListBox;
class DirListBox;
class FileListBox;
}  // namespace platform

class frm_Main : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and runs its load step (layout and settings).
    explicit frm_Main(QWidget* parent = nullptr);
    ~frm_Main() override;

    // --- Controls, named as the window design names them.
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
    QTimer* VideoTimer = nullptr;
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

    // The swing's key positions of video 1 and the model.
    KeyPositionsController* SwingKeys = nullptr;
    // The measurement marks over the canvas and the drawing on it.
    CanvasDrawing* Drawing = nullptr;

    // The geometry the load step computed, in twips.
    const MainLayout& Layout() const { return layout_; }
    cMRUFileList& MRU() { return *mru_; }

    // --- Clips: the frame stores and what is shown.
    FrameStore Video1;
    FrameStore Model;
    short CurrentVideoFrame = 0;
    short CurrentModelFrame = 0;
    int ClipKind = 0;  // 1 still picture or one-frame clip, 2 clip of several frames

    // Reads a whole clip into video 1 (thumbnails, information panel, recent files).
    // A clip that cannot be read or is refused leaves the loaded one as it was.
    bool fOpenAvi(const QString& path);
    // Reads a whole clip into the model slot; fails silently.
    bool fOpenModel(const QString& path);
    // Loads a BMP or JPEG picture into video 1 as a one-frame store.
    bool fOpenPic(const QString& path);
    // The clip's panel; `shownFrame` is the frame on the canvas (the current one by default).
    void ShowVideoInfo(platform::PictureBox* box, int shownFrame = -1);
    // Paints frame iFrame of video 1 into the canvas with the marks on top, then tells
    // FrameShown. Always true.
    bool PasteAvi(short iFrame);
    // The paints of the canvas, which the members below forward to.
    CanvasPainter Canvas{Video1, Model, canvasHooks()};
    // The pixel work of the paints below; its holders keep the last paint's regions.
    FrameCompositor& Compositor = Canvas.Compositor;
    // What the canvas shows and how, as the compositor takes it: the view's geometry now, and
    // the tool windows' effect settings now.
    CompositeGeometry CanvasGeometry() const;
    // The same without the zoom: the whole frame, as the exports take it.
    CompositeGeometry WholeFrameGeometry() const;
    // Zoom and pan of the full view (video 1 and the model blended over it); a newly opened
    // clip or picture starts with the whole frame.
    ViewZoom& Zoom = Canvas.Zoom;
    CompositeEffects EffectSettings() const;
    // Effect flags of the last video-1 paint, and those the image tool asks for now.
    int Flags() const { return Canvas.Flags(); }
    int ImageToolFlags() const;
    // Paints model frame i into the blend view's model surface, then video 1 over which
    // it is blended. Does nothing while no model is inserted.
    void PasteModel(short i);
    // Paints model frame i straight into the right half of the canvas (split view).
    void PasteModelToMainWindow(short i);
    // Paints model frame i by the view: the split view's right half, or the blend view.
    void ModelDraw(short i);
    int ModelToolFlags() const;

    // --- Model adjustment: dragging and zooming the model in the blend view, and the
    // split view's pan sliders.
    ModelAdjuster Adjuster{Video1, Model, Canvas, CurrentVideoFrame, CurrentModelFrame};
    QPoint& ModelDragStart = Adjuster.DragStart;         // last mouse point taken into account
    QPointF& ModelDragPosition = Adjuster.DragPosition;  // current mouse point
    void Model_Move();
    void Model_Zoom();
    void hscrAvi1_Scroll();
    void hscrAvi2_Scroll();

    // Redraws the measurement marks over the canvas; set by the overlay.
    std::function<void()> DrawingUpdate;
    // Plays a clip in the preview box under the file list; set by the preview.
    std::function<void(const QString&)> previewClip;

    // --- Toolbar and Tools menu.
    // The commands' actions, shared by the toolbar, the menus and the keys.
    MainCommands* Commands = nullptr;
    bool ImageToolOn = false;
    // Carries out toolbar command `index` (also reached from the menus and tool windows).
    void Toolbar_Click(int index);
    // Inserts the clip at `path` as the model, as "Insert Model" does with the clip chosen in
    // its dialog; false when it could not be read (the reader said why).
    bool InsertModelFile(const QString& path);
    // Tool windows appear at their stored position and store it when hidden.
    void ShowToolWindow(ToolWindow* window, const QPoint& positionTwips);
    void HideToolWindow(ToolWindow* window, QPoint& positionTwips);
    // After a clip or picture was opened: the Tools menu and the clip's toolbar buttons
    // come alive, and the full view is on.
    void ShowClipCommands();
    void mnuTools_Click(int index);

    // --- Playback: the video controls' buttons and the three playback timers.
    // iButton: 0 first, 1 last, 2 play, 3 nothing, 4 back, 5 forward, 6 stop;
    // iVideo: 0 video 1, 1 both windows, 2 model.
    void VideoControl_Click(short iButton, short iVideo);
    void VideoTimer_Timer();
    void ModelTimer_Timer();
    void bothTimer_Timer();

    // --- Frame browser.
    void File1_MouseUp(int button, int shift);
    void HScrVideoFrames_Change();
    void ImgVideoFrames_Click(int index);

    // --- Operations used across the program.
    void AddMRUFile(const QString& path);
    void ClockTimer_Timer();
    void mnuFile_Click(int index);
    // File > Export Picture and Export Video, which the members below forward to.
    ExportController Exports{Video1, Model, Canvas, CurrentVideoFrame, CurrentModelFrame, this, exportHooks()};
    // File > Export Picture...: asks for a name and writes the canvas's picture there.
    void mnuExportPicture_Click();
    // What the canvas shows now, for an export at the frame's own resolution.
    PictureScene CanvasScene();
    // File > Export Video...: asks for the frames and a name, then writes the MP4 in the
    // background behind a progress dialog.
    void mnuExportVideo_Click();
    // Everything an export of video frames from..to needs, taken now: the view, the effects,
    // the marks, and the model frame that goes with each frame.
    VideoExportJob VideoExportJobFor(int from, int to);
    bool VideoExportRunning() const;
    // Cancels a running export and waits for it: called before a clip's frames are released.
    void StopVideoExport();

    // The shut-down order; runs once, from the close request.
    void Form_Unload();

signals:
    // Frame iFrame of video 1 is on the canvas now.
    void FrameShown(short iFrame);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    // What the canvas painter reads from the window, asked at each paint.
    CanvasHooks canvasHooks();
    ExportHooks exportHooks();
    KeyPositionsWindow keyPositionsWindow();
    CanvasZoomHost canvasZoomHost();
    // Toolbar commands 7, 10 and 11.
    void insertModel();
    void closeModel();
    void fullWindow();
    void splitWindow();
    void leaveSplitView();
    ModelViews& views();
    ModelViews* views_ = nullptr;  // made at first use, a child of the window
    ModelInsertion& modelSlot();
    ModelInsertion* modelSlot_ = nullptr;  // made at first use, a child of the window
    // Wires the video controls window and the clip player to the main window; called once while building.
    void connectVideoControls();
    // The scrub bar and the wheel over the picture.
    void connectClipNavigation();
    playback::ClipPlayer* player_ = nullptr;
    // Wires the model adjustment window, the pan sliders and the canvas's model drag.
    void connectModelAdjustment();
    void buildMenus();
    void Form_Load();
    void loadSettings();
    void placeControls();
    // The controls' places from layout_ (the browser's folders are left alone).
    void placeControlGeometry();
    // After the window was resized: the layout scaled to its new size, the frames fitted
    // again to the canvas and painted.
    void fitLayoutToWindow();
    void placeToolWindows();
    void RefreshRecentMenu();
    void Drive1_Change();
    void Dir1_Change();
    // The strip's thumbnails laid out again in the units of the layout in place (after a resize).
    void reflowThumbnails();
    // Builds the clip opener and the file browser around the window's controls.
    void connectClips();
    FrameStrip* strip_ = nullptr;
    std::unique_ptr<ClipOpener> opener_;
    std::unique_ptr<FileBrowser> browser_;
    // The marks of the clip or picture in video 1 go to its sidecar before it is released, and
    // those of the one opened come from its own (the key positions with them, for a clip).
    // `quietly`: a failure is only logged (the program is ending).
    void leaveMarks(bool quietly);
    void enterMarks(const QString& path, bool isClip);

    MainLayout layout_;
    DesignSizes design_;
    // The window's size when first shown, where it has the designed layout; later sizes scale
    // the layout from it. Empty until then.
    QSize designedSize_;
    QSizeF layoutScale_{1, 1};  // of the layout in place
    std::unique_ptr<cMRUFileList> mru_;
    std::unique_ptr<MoviePreview> preview_;  // the clip playing under the file list
    ClipMarks clipMarks_;

    bool unloaded_ = false;
};
