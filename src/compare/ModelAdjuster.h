#pragma once
// Lining the model up with video 1: dragging and zooming it in the blend view, and the split
// view's pan sliders. Each change paints the canvas again through the canvas painter.

#include <QPoint>
#include <QPointF>

struct FrameStore;
class CanvasDrawing;
class CanvasPainter;

class ModelAdjuster {
public:
    // The current frames are the window's own, read at each paint.
    ModelAdjuster(FrameStore& video1, FrameStore& model, CanvasPainter& painter, const short& currentVideoFrame,
                  const short& currentModelFrame);

    // Moves the model by the drag from DragStart to DragPosition, and takes the new start.
    void Move();
    // Scales the model about its centre to `percent` of the clip's size.
    void Zoom(int percent);
    // The split view's halves panned to `panX` frame pixels.
    void PanVideo1(int panX);
    void PanModel(int panX);
    // The canvas's model drag goes to Move: the pointer taken onto the fitted picture's layout.
    void Attach(CanvasDrawing& drawing);
    // Where a zoomed blend view's pointer lies on the layout the placement is laid out against.
    QPointF OnLayout(QPointF canvasPoint) const;

    QPoint DragStart;      // last mouse point taken into account
    QPointF DragPosition;  // current mouse point

private:
    FrameStore& video1_;
    FrameStore& model_;
    CanvasPainter& painter_;
    const short& currentVideoFrame_;
    const short& currentModelFrame_;
};
