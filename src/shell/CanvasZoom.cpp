#include "shell/CanvasZoom.h"

#include "platform/PictureBox.h"
#include "ui/Artwork.h"
#include "ui/Globals.h"
#include "shell/MainToolbar.h"
#include "shell/frm_Main.h"

#include <QAction>
#include <QMouseEvent>
#include <QWheelEvent>

#include <cmath>

namespace {
constexpr double kWheelNotch = 120;  // one notch of a mouse wheel, in eighths of a degree
}

CanvasZoom::CanvasZoom(frm_Main& window) : QObject(&window), w_(window) {
    setObjectName(QStringLiteral("CanvasZoom"));
    // After the twelve designed buttons, so their indices and places stay as they are.
    wholeFrame_ = w_.Toolbar1->addAction(WholeFrameIcon(), QStringLiteral("Whole Frame"));
    wholeFrame_->setObjectName(QStringLiteral("WholeFrame"));
    wholeFrame_->setToolTip(QStringLiteral("Whole Frame (Ctrl+0)"));
    wholeFrame_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    wholeFrame_->setShortcutContext(Qt::ApplicationShortcut);
    wholeFrame_->setEnabled(false);
    connect(wholeFrame_, &QAction::triggered, this, &CanvasZoom::WholeFrame);
    connect(&w_, &frm_Main::FrameShown, this, [this] { wholeFrame_->setEnabled(w_.Zoom.IsZoomed()); });
    w_.pic_video->installEventFilter(this);
}

bool CanvasZoom::usable() const {
    return !G().BusyLoading && G().ClipLoaded && w_.Toolbar1->Value(10) && !w_.Video1.CanvasRect().isEmpty();
}

void CanvasZoom::repaint() {
    // The model surface is laid out again with the picture; it ends by painting video 1.
    if (G().ModelShown)
        w_.PasteModel(w_.CurrentModelFrame);
    else
        w_.PasteAvi(w_.CurrentVideoFrame);
}

void CanvasZoom::Zoom(QPointF pointer, int wheelDelta) {
    if (!usable() || wheelDelta == 0) return;
    const double factor = w_.Zoom.factor * std::pow(ViewZoom::kNotch, wheelDelta / kWheelNotch);
    w_.Zoom.ZoomAbout(pointer, factor, w_.Video1.CanvasRect(), w_.pic_video->size());
    repaint();
}

void CanvasZoom::WholeFrame() {
    if (G().BusyLoading || !w_.Zoom.IsZoomed()) return;
    w_.Zoom.Reset();
    if (G().ClipLoaded) repaint();
    wholeFrame_->setEnabled(false);
}

bool CanvasZoom::eventFilter(QObject* watched, QEvent* event) {
    if (watched != w_.pic_video) return false;
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
            if (usable() && w_.Zoom.IsZoomed()) {
                panFrom_ = press->position();
                cursorBefore_ = w_.pic_video->cursor();
                w_.pic_video->setCursor(Qt::ClosedHandCursor);
            }
            return true;
        }
        case QEvent::MouseMove: {
            if (!panFrom_) return false;
            auto* move = static_cast<QMouseEvent*>(event);
            if (!usable()) return true;
            w_.Zoom.PanBy(move->position() - *panFrom_, w_.Video1.CanvasRect(), w_.pic_video->size());
            panFrom_ = move->position();
            repaint();
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto* release = static_cast<QMouseEvent*>(event);
            if (release->button() != Qt::MiddleButton) return false;
            if (panFrom_) w_.pic_video->setCursor(cursorBefore_);
            panFrom_.reset();
            return true;
        }
        default:
            return false;
    }
}
