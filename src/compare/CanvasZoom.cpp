#include "compare/CanvasZoom.h"

#include "clips/FrameStore.h"
#include "compare/CanvasPainter.h"
#include "platform/PictureBox.h"

#include <QAction>
#include <QToolBar>
#include <QMouseEvent>
#include <QWheelEvent>

#include <cmath>
#include <utility>

namespace {
constexpr double kWheelNotch = 120;  // one notch of a mouse wheel, in eighths of a degree
}

CanvasZoom::CanvasZoom(CanvasZoomHost host, QToolBar& toolbar, const QIcon& wholeFrameIcon, QObject* parent)
    : QObject(parent), host_(std::move(host)), canvas_(&host_.painter.Canvas()) {
    setObjectName(QStringLiteral("CanvasZoom"));
    // After the twelve designed buttons, so their indices and places stay as they are.
    wholeFrame_ = toolbar.addAction(wholeFrameIcon, QStringLiteral("Whole Frame"));
    wholeFrame_->setObjectName(QStringLiteral("WholeFrame"));
    wholeFrame_->setToolTip(QStringLiteral("Whole Frame (Ctrl+0)"));
    wholeFrame_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    wholeFrame_->setShortcutContext(Qt::ApplicationShortcut);
    wholeFrame_->setEnabled(false);
    connect(wholeFrame_, &QAction::triggered, this, &CanvasZoom::WholeFrame);
    canvas_->installEventFilter(this);
}

void CanvasZoom::FrameShown() { wholeFrame_->setEnabled(host_.painter.Zoom.IsZoomed()); }

bool CanvasZoom::usable() const {
    return !host_.busy() && host_.clipLoaded() && host_.painter.Controls().fullView &&
           !host_.video1.CanvasRect().isEmpty();
}

void CanvasZoom::repaint() {
    // The model surface is laid out again with the picture; it ends by painting video 1.
    if (host_.painter.Controls().modelShown)
        host_.painter.PasteModel(host_.currentModelFrame);
    else
        host_.painter.PasteAvi(host_.currentVideoFrame);
}

void CanvasZoom::Zoom(QPointF pointer, int wheelDelta) {
    if (!usable() || wheelDelta == 0) return;
    const double factor = host_.painter.Zoom.factor * std::pow(ViewZoom::kNotch, wheelDelta / kWheelNotch);
    host_.painter.Zoom.ZoomAbout(pointer, factor, host_.video1.CanvasRect(), canvas_->size());
    repaint();
}

void CanvasZoom::WholeFrame() {
    if (host_.busy() || !host_.painter.Zoom.IsZoomed()) return;
    host_.painter.Zoom.Reset();
    if (host_.clipLoaded()) repaint();
    wholeFrame_->setEnabled(false);
}

bool CanvasZoom::eventFilter(QObject* watched, QEvent* event) {
    if (watched != canvas_) return false;
    switch (event->type()) {
        case QEvent::Wheel: {
            auto* wheel = static_cast<QWheelEvent*>(event);
            if (!(wheel->modifiers() & Qt::ControlModifier)) return false;
            const QPoint turn = wheel->angleDelta();
            Zoom(wheel->position(), turn.y() != 0 ? turn.y() : turn.x());
            wheel->accept();
            return true;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto* press = static_cast<QMouseEvent*>(event);
            if (press->button() != Qt::MiddleButton) return false;
            // The middle button is the pan's alone: the marks never see it.
            if (usable() && host_.painter.Zoom.IsZoomed()) {
                panFrom_ = press->position();
                cursorBefore_ = canvas_->cursor();
                canvas_->setCursor(Qt::ClosedHandCursor);
            }
            return true;
        }
        case QEvent::MouseMove: {
            if (!panFrom_) return false;
            auto* move = static_cast<QMouseEvent*>(event);
            if (!usable()) return true;
            host_.painter.Zoom.PanBy(move->position() - *panFrom_, host_.video1.CanvasRect(), canvas_->size());
            panFrom_ = move->position();
            repaint();
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto* release = static_cast<QMouseEvent*>(event);
            if (release->button() != Qt::MiddleButton) return false;
            if (panFrom_) canvas_->setCursor(cursorBefore_);
            panFrom_.reset();
            return true;
        }
        default:
            return false;
    }
}
