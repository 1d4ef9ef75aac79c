#pragma once
// Zoom and pan of the canvas's full view with the mouse: Ctrl+wheel zooms about the pointer,
// a drag with the middle button pans, and the toolbar's "Whole Frame" (Ctrl+0) goes back to
// the whole frame. The split view is left as it is: its halves have their own pan sliders.

#include <QCursor>
#include <QObject>
#include <QPointF>

#include <optional>

class QAction;
class frm_Main;

class CanvasZoom : public QObject {
    Q_OBJECT
public:
    explicit CanvasZoom(frm_Main& window);

    QAction* WholeFrameAction() const { return wholeFrame_; }
    // Zooms by `wheelDelta` (eighths of a degree, as the wheel sends them; up enlarges) about
    // the canvas point `pointer`.
    void Zoom(QPointF pointer, int wheelDelta);
    void WholeFrame();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Not while a clip loads, nor without a picture, nor in the split view.
    bool usable() const;
    void repaint();

    frm_Main& w_;
    QAction* wholeFrame_ = nullptr;
    std::optional<QPointF> panFrom_;  // the last pointer of a middle-button drag
    QCursor cursorBefore_;            // the drawing's cursor, back after the drag
};
