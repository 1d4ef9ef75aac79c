#include "playback/ClipNavigation.h"

#include "clips/FrameSource.h"
#include "platform/ImageBox.h"
#include "platform/Twips.h"
#include "playback/frmVideoControls.h"

#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kWheelNotch = 120;  // one notch of a mouse wheel, in eighths of a degree
constexpr int kLowestBar = 10;    // pixels: a bar squeezed lower than this is still usable

}  // namespace

ClipNavigation::ClipNavigation(const Parts& parts, QObject* parent) : QObject(parent), p_(parts) {
    setObjectName(QStringLiteral("ClipNavigation"));
    bar_ = new QSlider(Qt::Horizontal, p_.canvas->parentWidget());
    bar_->setObjectName(QStringLiteral("sldScrub"));
    bar_->setToolTip(QStringLiteral("Drag to any frame"));
    bar_->setFocusPolicy(Qt::NoFocus);  // the frame keys work wherever the focus is
    bar_->setSingleStep(1);
    bar_->setPageStep(10);
    bar_->hide();
    connect(bar_, &QSlider::valueChanged, this, &ClipNavigation::scrubTo);

    // The bar keeps its place whatever moves or shows around it.
    for (QWidget* neighbour :
         {p_.canvas, static_cast<QWidget*>(p_.pan1), static_cast<QWidget*>(p_.pan2), p_.strip})
        neighbour->installEventFilter(this);

    p_.controls->clipRate = [this](short choice) {
        const bool model = choice == 2;
        if (model ? !p_.modelShown : p_.clipKind != 2) return 0.0;
        const FrameSource& clip = model ? p_.model : p_.video;
        return clip.FramesPerSecond();
    };
}

void ClipNavigation::FrameShown(short iFrame) {
    if (p_.clipKind != 2 || !p_.video.IsClip()) {
        bar_->hide();
        lastShown_ = -1;
        return;
    }
    const int first = p_.video.FirstFrame();
    {
        const QSignalBlocker quiet(bar_);  // showing the frame is not scrubbing to it
        bar_->setRange(first, first + std::max(0, p_.video.Count() - 1));
        bar_->setValue(iFrame);
    }
    if (bar_->isHidden() && !p_.canvas->isHidden()) {
        place();
        bar_->show();
    }
    // While a clip plays the strip stays where the user left it; the highlight does too.
    if (!p_.playing() && iFrame != lastShown_) RevealThumbnail(iFrame - first);
    lastShown_ = iFrame;
}

void ClipNavigation::scrubTo(int frame) {
    if (p_.loading || p_.clipKind != 2 || !p_.video.IsClip()) return;
    p_.showThumbnail(frame - p_.video.FirstFrame());
}

void ClipNavigation::RevealThumbnail(int index) {
    if (index < 0 || size_t(index) >= p_.thumbnails.size() || !p_.thumbnails[size_t(index)]) return;
    // The strip shows one row per step of its scroll bar, rows a thumbnail and 50 twips apart,
    // the first 2 vertical units down.
    const long unitY = p_.screenUnitY;
    const double rowPitch = 12.0 * unitY + 50;
    const double fromFirstRow = platform::PixelsToTwipsY(p_.thumbnails[size_t(index)]->y()) - 2.0 * unitY;
    p_.stripScroll->setValue(int(std::lround(fromFirstRow / rowPitch)));
}

void ClipNavigation::place() {
    const QRect picture = p_.canvas->geometry();
    int top = picture.bottom() + 1;
    for (QScrollBar* pan : {p_.pan1, p_.pan2})
        if (!pan->isHidden()) top = std::max(top, pan->geometry().bottom() + 1);
    int height = bar_->sizeHint().height();
    if (!p_.strip->isHidden() && p_.strip->y() > top)
        height = std::min(height, std::max(kLowestBar, p_.strip->y() - top));
    bar_->setGeometry(picture.x(), top, picture.width(), height);
    bar_->raise();
}

void ClipNavigation::step(int wheelDelta) {
    // A notch steps one frame: up goes back, down goes on, as the strip reads left to right.
    // High-resolution wheels send parts of a notch, which add up.
    wheelRest_ += wheelDelta;
    frmVideoControls* c = p_.controls;
    for (; wheelRest_ >= kWheelNotch; wheelRest_ -= kWheelNotch) c->cmdBackFast->click();
    for (; wheelRest_ <= -kWheelNotch; wheelRest_ += kWheelNotch) c->cmdForwardFast->click();
}

bool ClipNavigation::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Wheel: {
            if (watched != p_.canvas) break;
            auto* wheel = static_cast<QWheelEvent*>(event);
            // Ctrl+wheel is left to the picture itself.
            if (wheel->modifiers() & Qt::ControlModifier) break;
            if (p_.loading || p_.clipKind != 2) break;
            const QPoint turn = wheel->angleDelta();
            step(turn.y() != 0 ? turn.y() : turn.x());
            wheel->accept();
            return true;
        }
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            if (!bar_->isHidden()) place();
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}
