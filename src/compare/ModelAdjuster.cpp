#include "compare/ModelAdjuster.h"

#include "clips/FrameStore.h"
#include "compare/CanvasPainter.h"
#include "compare/ModelGeometry.h"
#include "overlay/CanvasDrawing.h"
#include "platform/PictureBox.h"
#include "platform/RuntimeError.h"

#include <cmath>

ModelAdjuster::ModelAdjuster(FrameStore& video1, FrameStore& model, CanvasPainter& painter,
                             const short& currentVideoFrame, const short& currentModelFrame)
    : video1_(video1),
      model_(model),
      painter_(painter),
      currentVideoFrame_(currentVideoFrame),
      currentModelFrame_(currentModelFrame) {}

void ModelAdjuster::Move() {
    model_.placement = MovedPlacement(model_.placement, DragStart, DragPosition);
    painter_.PasteModel(currentModelFrame_);
    DragStart = QPoint(int(std::lrint(DragPosition.x())), int(std::lrint(DragPosition.y())));
}

void ModelAdjuster::Zoom(int percent) {
    model_.placement = ZoomedPlacement(model_.placement, percent, model_.sourceWidth, model_.sourceHeight);
    painter_.PasteModel(currentModelFrame_);
}

void ModelAdjuster::PanVideo1(int panX) {
    platform::TryStep([&] { video1_.panX = panX; });
    platform::TryStep([&] { painter_.PasteAvi(currentVideoFrame_); });
}

void ModelAdjuster::PanModel(int panX) {
    platform::TryStep([&] { model_.panX = panX; });
    platform::TryStep([&] { painter_.PasteModelToMainWindow(currentModelFrame_); });
}

QPointF ModelAdjuster::OnLayout(QPointF canvasPoint) const {
    // The placement is laid out against the fitted picture; a zoomed blend view shows it
    // enlarged, so the pointer is taken back onto that layout first.
    if (!painter_.Controls().fullView) return canvasPoint;
    return painter_.Zoom.Unmap(canvasPoint, video1_.CanvasRect(), painter_.Canvas().size());
}

void ModelAdjuster::Attach(CanvasDrawing& drawing) {
    drawing.paintModel = [this] { painter_.ModelDraw(currentModelFrame_); };
    drawing.modelDragStart = [this](int x, int y) {
        const QPointF at = OnLayout(QPointF(x, y));
        DragStart = QPoint(int(std::lrint(at.x())), int(std::lrint(at.y())));
    };
    drawing.modelDragMove = [this, &drawing](int button, float canvasX, float canvasY) {
        const QPointF at = OnLayout(QPointF(canvasX, canvasY));
        const double x = at.x(), y = at.y();
        const QRect& m = model_.placement;
        const bool outside =
            x >= m.x() + double(m.width()) || x <= m.x() || y >= m.y() + double(m.height()) || y <= m.y();
        drawing.SetMousePointer(outside ? 12 : 5);
        if (outside || button == 0 || button == 2) return;
        DragPosition = QPointF(x, y);
        // A drag that would carry the model beyond the 32-bit range leaves it where it is.
        platform::TryStep([&] { Move(); });
    };
}
