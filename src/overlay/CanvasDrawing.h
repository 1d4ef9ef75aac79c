#pragma once
// Drawing on the main canvas: turns presses, drags and releases on the canvas into overlay
// records according to the chosen tool, shows the rubber bands above the picture, places the
// vertices of polylines and angles, calibrates the ruler, and carries the drawing commands of
// the toolbar (drawing on/off, tool choice, Clear) and Undo. It owns the overlay.
//
// The main window creates one, attaches its canvas and the tool box, and sets the hooks that
// reach its own state (frame repaint, model view, toolbar buttons, model adjustment).

#include "overlay/OverlayModel.h"

#include <QObject>

#include <array>
#include <functional>

class frmDrawToolBox;
struct Globals;

namespace platform {
class PictureBox;
}

class CanvasDrawing : public QObject {
    Q_OBJECT
public:
    // `program`: the tool box's kept position, and the busy flag that stops the canvas mouse
    // while frames load.
    explicit CanvasDrawing(Globals& program, QObject* parent = nullptr);

    // Connects the canvas's mouse events and rubber bands, and the tool box's buttons,
    // readout and close box. Either may be null.
    void Attach(platform::PictureBox* canvas, frmDrawToolBox* toolBox);

    OverlayModel& Overlay() { return overlay_; }
    const OverlayModel& Overlay() const { return overlay_; }

    // --- Hooks set by the main window. Each has a sound default for use on its own.
    // Repaints the current video frame; it ends by calling DrawingUpdate().
    // Default: DrawingUpdate() over what the canvas holds.
    std::function<void()> repaintFrame;
    // A model is inserted, and paints it by the view's rule. Default: no model.
    std::function<bool()> modelShown;
    std::function<void()> paintModel;
    // Model adjustment mode, and the drag that then takes over the canvas mouse.
    std::function<bool()> modelAdjustMode;
    std::function<void(int x, int y)> modelDragStart;
    std::function<void(int button, float x, float y)> modelDragMove;  // pointer and Model_Move
    // The main window's toolbar command for the numbers handled elsewhere (8).
    std::function<void(int index)> toolbarClick;
    // Main toolbar buttons' pressed state. Default: a state kept here.
    std::function<bool(int index)> toolbarValue;
    std::function<void(int index, bool pressed)> setToolbarValue;

    // --- Canvas mouse (canvas pixels, the runtime's button codes).
    void pic_video_MouseDown(int button, int shift, float x, float y);
    void pic_video_MouseMove(int button, int shift, float x, float y);
    void pic_video_MouseUp(int button, int shift, float x, float y);

    // Toolbar commands 3 (drawing on/off) and 20..26 (tool choice, 25 Clear); others ignored.
    void ToolbarCommand(int index);
    void Undo();
    // Brings back the mark the last Undo removed (see OverlayModel::RedoLast).
    void Redo();
    void Clear();
    // Redraws the overlay over the canvas picture (the end of every frame paint).
    void DrawingUpdate();

    // The drawing tool box's close box: drawing off, its position kept.
    void DrawToolBox_QueryUnload();

    // Pointer codes: 0 default, 2 crosshair, 5 size-all, 12 no-drop.
    void SetMousePointer(int code);

    bool ButtonHeld() const { return buttonHeld_; }
    float DragAnchorX() const { return dragAnchorX_; }
    float DragAnchorY() const { return dragAnchorY_; }

private:
    bool buttonValue(int index) const;
    void setButtonValue(int index, bool pressed);
    void repaint();
    void syncTextStyle();
    bool refuseWhenFull(int historyKind);
    void addPickPoint(float x, float y);
    void drawCrosses();
    void createAngle();
    void finishPolyline();
    void makeLine();
    void makeShape();
    void rulerClick(float x, float y);

    Globals& program_;
    OverlayModel overlay_;
    platform::PictureBox* canvas_ = nullptr;
    frmDrawToolBox* toolBox_ = nullptr;
    bool buttonHeld_ = false;
    float dragAnchorX_ = 0;
    float dragAnchorY_ = 0;
    std::array<bool, 13> localToolbar_{};
};
