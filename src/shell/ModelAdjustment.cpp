// Lining the model up with video 1: dragging and zooming it in the blend view, and the
// split view's pan sliders.

#include "compare/ModelGeometry.h"
#include "compare/frmModelTool.h"
#include "overlay/CanvasDrawing.h"
#include "platform/PictureBox.h"
#include "platform/RuntimeError.h"
#include "ui/Globals.h"
#include "shell/MainToolbar.h"
#include "shell/frm_Main.h"

#include <QScrollBar>

#include <cmath>

void frm_Main::Model_Move() {
    Model.placement = MovedPlacement(Model.placement, ModelDragStart, ModelDragPosition);
    PasteModel(CurrentModelFrame);
    ModelDragStart = QPoint(int(std::lrint(ModelDragPosition.x())), int(std::lrint(ModelDragPosition.y())));
}

void frm_Main::Model_Zoom() {
    Model.placement =
        ZoomedPlacement(Model.placement, ModelTool->scrZoom->value(), Model.sourceWidth, Model.sourceHeight);
    PasteModel(CurrentModelFrame);
}

void frm_Main::hscrAvi1_Scroll() {
    platform::TryStep([&] { Video1.panX = hscrAvi1->value(); });
    platform::TryStep([&] { PasteAvi(short(CurrentVideoFrame)); });
}

void frm_Main::hscrAvi2_Scroll() {
    platform::TryStep([&] { Model.panX = hscrAvi2->value(); });
    platform::TryStep([&] { PasteModelToMainWindow(short(CurrentModelFrame)); });
}

void frm_Main::connectModelAdjustment() {
    connect(ModelTool, &frmModelTool::Changed, this, [this] {
        if (Toolbar1->Value(10))
            PasteModel(CurrentModelFrame);
        else
            PasteModelToMainWindow(CurrentModelFrame);
    });
    connect(ModelTool, &frmModelTool::ZoomChanged, this, [this] {
        // The zoom belongs to the blend view; in the split view it waits for the next change.
        if (G().FullWindow) platform::TryStep([&] { Model_Zoom(); });
    });
    connect(ModelTool, &ToolWindow::CloseBoxClicked, this, [this] {
        // The command hides it and ends the mode; shown any other way, it only hides.
        if (G().ModelAdjust)
            Toolbar_Click(8);
        else
            HideToolWindow(ModelTool, G().ToolPos.adjustTool);
    });
    connect(hscrAvi1, &QScrollBar::valueChanged, this, &frm_Main::hscrAvi1_Scroll);
    connect(hscrAvi2, &QScrollBar::valueChanged, this, &frm_Main::hscrAvi2_Scroll);

    Drawing->modelShown = [] { return G().ModelShown; };
    Drawing->paintModel = [this] { ModelDraw(CurrentModelFrame); };
    Drawing->modelAdjustMode = [] { return G().ModelAdjust; };
    // The placement is laid out against the fitted picture; a zoomed blend view shows it
    // enlarged, so the pointer is taken back onto that layout first.
    const auto onLayout = [this](double x, double y) {
        return Toolbar1->Value(10) ? Zoom.Unmap(QPointF(x, y), Video1.CanvasRect(), pic_video->size()) : QPointF(x, y);
    };
    Drawing->modelDragStart = [this, onLayout](int x, int y) {
        const QPointF at = onLayout(x, y);
        ModelDragStart = QPoint(int(std::lrint(at.x())), int(std::lrint(at.y())));
    };
    Drawing->modelDragMove = [this, onLayout](int button, float canvasX, float canvasY) {
        const QPointF at = onLayout(canvasX, canvasY);
        const double x = at.x(), y = at.y();
        const QRect& m = Model.placement;
        const bool outside =
            x >= m.x() + double(m.width()) || x <= m.x() || y >= m.y() + double(m.height()) || y <= m.y();
        Drawing->SetMousePointer(outside ? 12 : 5);
        if (outside || button == 0 || button == 2) return;
        ModelDragPosition = QPointF(x, y);
        // A drag that would carry the model beyond the 32-bit range leaves it where it is.
        platform::TryStep([&] { Model_Move(); });
    };
}
