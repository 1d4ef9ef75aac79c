#pragma once
// The main window "Golf Swing Analysis": file browser, canvas, frame strip, information
// panel, toolbar, status bar and the four tool windows. Its controls (MainWidgets) and what it
// shows (MainState) keep the design's names; MainParts builds them and the parts that work on
// them, and the window's members below hand their work on to those parts.

#include "compare/CanvasPainter.h"
#include "shell/MainLayout.h"
#include "shell/MainState.h"
#include "shell/MainWidgets.h"

#include <QMainWindow>
#include <QPoint>
#include <QPointF>

#include <memory>

class ExportController;
class MainParts;
class ModelAdjuster;
class ToolWindow;
class cMRUFileList;
struct PictureScene;
struct VideoExportJob;

class frm_Main : public QMainWindow, public MainWidgets, public MainState {
    Q_OBJECT
    // First: the references below are bound to its parts.
    std::unique_ptr<MainParts> parts_;
    bool unloaded_ = false;

public:
    // Builds the window and runs its load step (layout and settings).
    explicit frm_Main(QWidget* parent = nullptr);
    ~frm_Main() override;

    const MainLayout& Layout() const;
    cMRUFileList& MRU();

    // --- Clips.
    // Reads a whole clip into video 1 (thumbnails, information panel, recent files).
    // A clip that cannot be read or is refused leaves the loaded one as it was.
    bool fOpenAvi(const QString& path);
    // Reads a whole clip into the model slot; fails silently.
    bool fOpenModel(const QString& path);
    // Loads a BMP or JPEG picture into video 1 as a one-frame store.
    bool fOpenPic(const QString& path);
    // The clip's panel; `shownFrame` is the frame on the canvas (the current one by default).
    void ShowVideoInfo(platform::PictureBox* box, int shownFrame = -1);

    // --- The canvas's paints (see CanvasPainter).
    CanvasPainter& Canvas;
    // The pixel work of the paints; its holders keep the last paint's regions.
    FrameCompositor& Compositor;
    // Zoom and pan of the full view; a newly opened clip or picture starts with the whole frame.
    ViewZoom& Zoom;
    // Paints frame iFrame of video 1 with the marks on top, then tells FrameShown. Always true.
    bool PasteAvi(short iFrame);
    void PasteModel(short i);
    void PasteModelToMainWindow(short i);
    // Model frame i by the view: the split view's right half, or the blend view.
    void ModelDraw(short i);
    CompositeGeometry CanvasGeometry() const;
    CompositeGeometry WholeFrameGeometry() const;
    CompositeEffects EffectSettings() const;
    int Flags() const { return Canvas.Flags(); }
    int ImageToolFlags() const;
    int ModelToolFlags() const;

    // --- Model adjustment: dragging and zooming the model in the blend view, and the
    // split view's pan sliders.
    ModelAdjuster& Adjuster;
    QPoint& ModelDragStart;      // last mouse point taken into account
    QPointF& ModelDragPosition;  // current mouse point
    void Model_Move();
    void Model_Zoom();
    void hscrAvi1_Scroll();
    void hscrAvi2_Scroll();

    // --- Commands, by the design's numbers (see ToolbarCommands).
    void Toolbar_Click(int index);
    void mnuTools_Click(int index);
    void mnuFile_Click(int index);
    // Inserts the clip at `path` as the model, as "Insert Model" does with the clip chosen in
    // its dialog; false when it could not be read (the reader said why).
    bool InsertModelFile(const QString& path);
    void ShowToolWindow(ToolWindow* window, const QPoint& positionTwips);
    void HideToolWindow(ToolWindow* window, QPoint& positionTwips);
    void ShowClipCommands();

    // --- Playback. iButton: 0 first, 1 last, 2 play, 3 nothing, 4 back, 5 forward, 6 stop;
    // iVideo: 0 video 1, 1 both windows, 2 model.
    void VideoControl_Click(short iButton, short iVideo);
    void VideoTimer_Timer();
    void ModelTimer_Timer();
    void bothTimer_Timer();

    // --- Frame browser.
    void File1_MouseUp(int button, int shift);
    void ImgVideoFrames_Click(int index);
    void AddMRUFile(const QString& path);
    void ClockTimer_Timer();

    // --- File > Export Picture and Export Video (see ExportController).
    ExportController& Exports;
    void mnuExportPicture_Click();
    void mnuExportVideo_Click();
    // What the canvas shows now, for an export at the frame's own resolution.
    PictureScene CanvasScene();
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
};
