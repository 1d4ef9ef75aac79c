#include "shell/ClipNavigation.h"

#include "clips/cVideo.h"
#include "platform/ImageBox.h"
#include "platform/PictureBox.h"
#include "platform/Twips.h"
#include "playback/frmVideoControls.h"
#include "ui/Globals.h"
#include "shell/frm_Main.h"

#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kWheelNotch = 120;  // one notch of a mouse wheel, in eighths of a degree
constexpr int kLowestBar = 10;    // pixels: a bar squeezed lower than this is still usable

}  // namespace

ClipNavigation::ClipNavigation(frm_Main& window) : QObject(&window), w_(window) {
    setObjectName(QStringLiteral("ClipNavigation"));
    bar_ = new QSlider(Qt::Horizontal, w_.pic_video->parentWidget());
    bar_->setObjectName(QStringLiteral("sldScrub"));
    bar_->setToolTip(QStringLiteral("Drag to any frame"));
    bar_->setFocusPolicy(Qt::NoFocus);  // the frame keys work wherever the focus is
    bar_->setSingleStep(1);
    bar_->setPageStep(10);
    bar_->hide();
    connect(bar_, &QSlider::valueChanged, this, &ClipNavigation::scrubTo);
    connect(&w_, &frm_Main::FrameShown, this, &ClipNavigation::follow);

    // The bar keeps its place whatever moves or shows around it.
    for (QWidget* neighbour : {static_cast<QWidget*>(w_.pic_video), static_cast<QWidget*>(w_.hscrAvi1),
                               static_cast<QWidget*>(w_.hscrAvi2), w_.picPVideoFrames})
        neighbour->installEventFilter(this);

    w_.VideoControls->clipRate = [this](short choice) {
        const bool model = choice == 2;
        if (model ? !G().ModelShown : w_.ClipKind != 2) return 0.0;
        const FrameStore& clip = model ? w_.Model : w_.Video1;
        return clip.FramesPerSecond();
    };
}

void ClipNavigation::follow(short iFrame) {
    if (w_.ClipKind != 2 || !w_.Video1.IsClip()) {
        bar_->hide();
        lastShown_ = -1;
        return;
    }
    const int first = w_.Video1.FirstFrame();
    {
        const QSignalBlocker quiet(bar_);  // showing the frame is not scrubbing to it
        bar_->setRange(first, first + std::max(0, w_.Video1.Count() - 1));
        bar_->setValue(iFrame);
    }
    if (bar_->isHidden() && !w_.pic_video->isHidden()) {
        place();
        bar_->show();
    }
    // While a clip plays the strip stays where the user left it; the highlight does too.
    const bool playing = w_.VideoTimer->isActive() || w_.bothTimer->isActive();
    if (!playing && iFrame != lastShown_) RevealThumbnail(iFrame - first);
    lastShown_ = iFrame;
}

void ClipNavigation::scrubTo(int frame) {
    if (G().BusyLoading || w_.ClipKind != 2 || !w_.Video1.IsClip()) return;
    w_.ImgVideoFrames_Click(frame - w_.Video1.FirstFrame());
}

void ClipNavigation::RevealThumbnail(int index) {
    if (index < 0 || size_t(index) >= w_.ImgVideoFrames.size() || !w_.ImgVideoFrames[size_t(index)]) return;
    // The strip shows one row per step of its scroll bar, rows a thumbnail and 50 twips apart,
    // the first 2 vertical units down.
    const long unitY = G().ScreenUnitY;
    const double rowPitch = 12.0 * unitY + 50;
    const double fromFirstRow = platform::PixelsToTwipsY(w_.ImgVideoFrames[size_t(index)]->y()) - 2.0 * unitY;
    w_.HScrVideoFrames->setValue(int(std::lround(fromFirstRow / rowPitch)));
}

void ClipNavigation::place() {
    const QRect picture = w_.pic_video->geometry();
    int top = picture.bottom() + 1;
    for (QScrollBar* pan : {w_.hscrAvi1, w_.hscrAvi2})
        if (!pan->isHidden()) top = std::max(top, pan->geometry().bottom() + 1);
    int height = bar_->sizeHint().height();
    if (!w_.picPVideoFrames->isHidden() && w_.picPVideoFrames->y() > top)
        height = std::min(height, std::max(kLowestBar, w_.picPVideoFrames->y() - top));
    bar_->setGeometry(picture.x(), top, picture.width(), height);
    bar_->raise();
}

void ClipNavigation::step(int wheelDelta) {
    // A notch steps one frame: up goes back, down goes on, as the strip reads left to right.
    // High-resolution wheels send parts of a notch, which add up.
    wheelRest_ += wheelDelta;
    frmVideoControls* c = w_.VideoControls;
    for (; wheelRest_ >= kWheelNotch; wheelRest_ -= kWheelNotch) c->cmdBackFast->click();
    for (; wheelRest_ <= -kWheelNotch; wheelRest_ += kWheelNotch) c->cmdForwardFast->click();
}

bool ClipNavigation::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Wheel: {
            if (watched != w_.pic_video) break;
            auto* wheel = static_cast<QWheelEvent*>(event);
            // Ctrl+wheel is left to the picture itself.
            if (wheel->modifiers() & Qt::ControlModifier) break;
            if (G().BusyLoading || w_.ClipKind != 2) break;
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
