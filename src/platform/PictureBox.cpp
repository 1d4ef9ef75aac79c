#include "platform/PictureBox.h"

#include "platform/Twips.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace platform {

int ButtonCode(Qt::MouseButtons buttons) {
    int code = 0;
    if (buttons & Qt::LeftButton) code |= vbLeftButton;
    if (buttons & Qt::RightButton) code |= vbRightButton;
    if (buttons & Qt::MiddleButton) code |= vbMiddleButton;
    return code;
}

int ShiftCodeOf(Qt::KeyboardModifiers modifiers) {
    int code = 0;
    if (modifiers & Qt::ShiftModifier) code |= vbShiftMask;
    if (modifiers & Qt::ControlModifier) code |= vbCtrlMask;
    if (modifiers & Qt::AltModifier) code |= vbAltMask;
    return code;
}

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    image_ = QImage(1, 1, QImage::Format_RGB32);
    image_.fill(backColor_);
}

qreal PictureBox::wantedRatio() const {
    return devicePixels_ ? devicePixelRatioF() : 1.0;
}

QRect PictureBox::boxRect() const {
    return QRect(QPoint(), image_.deviceIndependentSize().toSize());
}

void PictureBox::syncBuffer() const {
    if (boxRect().size() != size().expandedTo(QSize(1, 1)) || image_.devicePixelRatio() != wantedRatio())
        const_cast<PictureBox*>(this)->SetBufferSize(size());
}

void PictureBox::SetDevicePixels(bool on) {
    devicePixels_ = on;
    syncBuffer();
}

void PictureBox::Cls() {
    syncBuffer();
    image_.fill(backColor_);
    CurrentX = 0;
    CurrentY = 0;
}

void PictureBox::ClsAround(const QRect& covered) {
    syncBuffer();
    const QRect all = boxRect();
    const QRect keep = covered & all;
    if (keep.isEmpty()) {
        image_.fill(backColor_);
    } else {
        QPainter painter(&image_);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        const QRect strips[] = {
            QRect(0, 0, all.width(), keep.top()),
            QRect(0, keep.bottom() + 1, all.width(), all.height() - keep.bottom() - 1),
            QRect(0, keep.top(), keep.left(), keep.height()),
            QRect(keep.right() + 1, keep.top(), all.width() - keep.right() - 1, keep.height())};
        for (const QRect& r : strips)
            if (!r.isEmpty()) painter.fillRect(r, backColor_);
    }
    CurrentX = 0;
    CurrentY = 0;
}

void PictureBox::Refresh() {
    update();
}

void PictureBox::SetScaleMode(int mode) {
    scaleMode_ = mode == vbPixels ? vbPixels : vbTwips;
}

double PictureBox::unitX() const {
    return scaleMode_ == vbPixels ? 1.0 : TwipsPerPixelX();
}
double PictureBox::unitY() const {
    return scaleMode_ == vbPixels ? 1.0 : TwipsPerPixelY();
}

double PictureBox::ScaleWidth() const {
    syncBuffer();
    return boxRect().width() * unitX();
}
double PictureBox::ScaleHeight() const {
    syncBuffer();
    return boxRect().height() * unitY();
}

QPointF PictureBox::ToPixels(QPointF scaled) const {
    return {scaled.x() / unitX(), scaled.y() / unitY()};
}
QPointF PictureBox::FromPixels(QPointF px) const {
    return {px.x() * unitX(), px.y() * unitY()};
}

void PictureBox::Line(double x1, double y1, double x2, double y2, const QColor& color) {
    syncBuffer();
    QPainter p(&image_);
    p.setPen(QPen(color, drawWidth_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(ToPixels({x1, y1}), ToPixels({x2, y2}));
    CurrentX = x2;
    CurrentY = y2;
}

void PictureBox::Print(const QString& text) {
    syncBuffer();
    QPainter p(&image_);
    p.setFont(font());
    p.setPen(foreColor_);
    const QFontMetrics fm(font());
    const QPointF at = ToPixels({CurrentX, CurrentY});
    p.drawText(QPointF(at.x(), at.y() + fm.ascent()), text);
    CurrentX = 0;
    CurrentY += fm.height() * unitY();
}

double PictureBox::TextHeight(const QString& text) const {
    const QFontMetrics fm(font());
    return fm.boundingRect(QRect(0, 0, 100000, 100000), 0, text.isEmpty() ? QStringLiteral(" ") : text)
               .height() *
           unitY();
}

double PictureBox::TextWidth(const QString& text) const {
    return QFontMetrics(font()).horizontalAdvance(text) * unitX();
}

void PictureBox::SetOverlayPainter(std::function<void(QPainter&)> painter) {
    overlay_ = std::move(painter);
    update();
}

void PictureBox::SetBufferSize(QSize size) {
    size = size.expandedTo(QSize(1, 1));
    const qreal ratio = wantedRatio();
    if (size == boxRect().size() && ratio == image_.devicePixelRatio()) return;
    QImage next((QSizeF(size) * ratio).toSize().expandedTo(QSize(1, 1)), image_.format());
    next.setDevicePixelRatio(ratio);
    next.fill(backColor_);
    {
        QPainter p(&next);
        p.drawImage(0, 0, image_);
    }
    image_ = std::move(next);
}

void PictureBox::paintEvent(QPaintEvent* event) {
    syncBuffer();
    QPainter p(this);
    const QRect dirty = event->rect();
    const qreal ratio = image_.devicePixelRatio();
    p.drawImage(QRectF(dirty), image_,
                QRectF(dirty.x() * ratio, dirty.y() * ratio, dirty.width() * ratio, dirty.height() * ratio));
    if (overlay_) overlay_(p);
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    SetBufferSize(event->size());
    QWidget::resizeEvent(event);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    pressed_ = true;
    const QPointF at = FromPixels(event->position());
    emit MouseDown(ButtonCode(event->button()), ShiftCodeOf(event->modifiers()), float(at.x()),
                   float(at.y()));
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = FromPixels(event->position());
    emit MouseMove(ButtonCode(event->buttons()), ShiftCodeOf(event->modifiers()), float(at.x()),
                   float(at.y()));
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF at = FromPixels(event->position());
    emit MouseUp(ButtonCode(event->button()), ShiftCodeOf(event->modifiers()), float(at.x()), float(at.y()));
    if (pressed_ && rect().contains(event->position().toPoint())) emit Click();
    pressed_ = false;
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click arrives as this event alone, never as a press too:
    // it is that press's one MouseDown.
    mousePressEvent(event);
    emit DblClick();
}

}  // namespace platform
