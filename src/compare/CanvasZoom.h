#pragma once
// Zoom and pan of the canvas's full view with the mouse: Ctrl+wheel zooms about the pointer,
// a drag with the middle button pans, and the toolbar's "Whole Frame" (Ctrl+0) goes back to
// the whole frame. The split view is left as it is: its halves have their own pan sliders.

#include <QCursor>
#include <QObject>
#include <QPointF>

#include <functional>
#include <optional>

struct FrameStore;
class CanvasPainter;
class QAction;
class QIcon;
class QToolBar;
namespace platform {
class PictureBox;
}

// What the zoom reads from the window around it.
struct CanvasZoomHost {
    CanvasPainter& painter;
    const FrameStore& video1;
    const short& currentVideoFrame;
    const short& currentModelFrame;
    std::function<bool()> busy;  // a clip is loading
    std::function<bool()> clipLoaded;
};

class CanvasZoom : public QObject {
    Q_OBJECT
public:
    // The "Whole Frame" button goes at the end of `toolbar`.
    CanvasZoom(CanvasZoomHost host, QToolBar& toolbar, const QIcon& wholeFrameIcon, QObject* parent);

    QAction* WholeFrameAction() const { return wholeFrame_; }
    // Zooms by `wheelDelta` (eighths of a degree, as the wheel sends them; up enlarges) about
    // the canvas point `pointer`.
    void Zoom(QPointF pointer, int wheelDelta);
    void WholeFrame();
    // A paint finished: "Whole Frame" is there while the view is zoomed.
    void FrameShown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Not while a clip loads, nor without a picture, nor in the split view.
    bool usable() const;
    void repaint();

    CanvasZoomHost host_;
    platform::PictureBox* canvas_;
    QAction* wholeFrame_ = nullptr;
    std::optional<QPointF> panFrom_;  // the last pointer of a middle-button drag
    QCursor cursorBefore_;            // the drawing's cursor, back after the drag
};
