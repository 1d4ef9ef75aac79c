#include "overlay/OverlayModel.h"

#include "overlay/ThickLine.h"
#include "platform/Graphics2D.h"
#include "platform/RuntimeError.h"

#include <QPainter>
#include <QScopeGuard>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <optional>

QColor ColorOf(int bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

namespace {

// A solid pen; wide ones have square ends, like the lines written straight into the canvas.
QPen solidPen(int width, int color) {
    return QPen(ColorOf(color), std::max(1, width), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}

// The box whose outline the canvas draws for Rectangle/Ellipse(x1, y1, x2, y2): the right and
// bottom edges are exclusive.
QRect outlineBox(int x1, int y1, int x2, int y2) {
    const int left = std::min(x1, x2);
    const int top = std::min(y1, y2);
    const int right = std::max(x1, x2);
    const int bottom = std::max(y1, y2);
    return QRect(QPoint(left, top), QPoint(std::max(left, right - 1), std::max(top, bottom - 1)));
}

// A point of the outline as the chords take it: the nearest pixel to the curve at angle t.
QPoint ellipsePoint(double cx, double cy, double rx, double ry, double t) {
    return QPoint(int(std::lround(cx + rx * std::cos(t))), int(std::lround(cy + ry * std::sin(t))));
}

// lround(v) when v is safely clear of a rounding boundary (a half), whatever error of the order
// of tolerance v carries; nullopt when it is too close to tell. For |v| below 2^51.
std::optional<int> clearRound(double v, double tolerance) {
    // Adding and taking away 1.5 * 2^52 rounds to the nearest integer in two exact steps, far
    // cheaper than floor without SSE4.1; away from a half that integer is the one lround gives.
    constexpr double kShift = 6755399441055744.0;
    const double nearest = (v + kShift) - kShift;
    if (std::abs(std::abs(v - nearest) - 0.5) < tolerance) return std::nullopt;
    return int(nearest);
}

// The outline of the ellipse inscribed in box, as short chords (about 4 pixels each, well
// within a pixel of the curve) written straight into the image.
bool drawEllipseOutline(QImage& image, const QRect& box, int width, const QColor& color) {
    const double rx = box.width() / 2.0 - 0.5;
    const double ry = box.height() / 2.0 - 0.5;
    const double cx = box.left() + rx;
    const double cy = box.top() + ry;
    const double perimeter = 2 * kPi * std::sqrt((rx * rx + ry * ry) / 2);
    const int n = std::clamp(int(perimeter / 4), 16, 2048);
    const ThickLine pen(image, width, color);
    QPoint prev(int(std::lround(cx + rx)), int(std::lround(cy)));
    // Every chord end lies within a pixel of the box; a box well inside the range the writer
    // takes never fails part-way, so the points can come from the fast rotation below.
    auto roomy = [](int v) {
        const int margin = 4;
        return ThickLine::InRange(v) && ThickLine::InRange(v - margin) && ThickLine::InRange(v + margin);
    };
    const bool inRange = roomy(box.left()) && roomy(box.top()) && roomy(box.right()) && roomy(box.bottom());
    if (!pen.Usable() || !inRange) {
        for (int i = 1; i <= n; ++i) {
            const QPoint next = ellipsePoint(cx, cy, rx, ry, 2 * kPi * i / n);
            if (!pen.Draw(prev, next)) return false;
            prev = next;
        }
        return true;
    }
    // cos and sin of each angle by rotating the previous pair one step, restarted from the
    // library every few steps so the drift stays below 1e-13. A coordinate whose rounding that
    // drift could flip (within the tolerance of a half) is taken from the library instead, so
    // every point is the one the library's values give.
    constexpr int kRestart = 64;
    constexpr double kTolerance = 1e-4;  // far above the drift times radii below 2^25
    const double stepCos = std::cos(2 * kPi / n);
    const double stepSin = std::sin(2 * kPi / n);
    double c = 1, s = 0;
    // All points first, then the chords: the arithmetic of the points runs back to back, each
    // step overlapping the next, instead of waiting on a chord between two steps.
    constexpr int kMaxPoints = 2048 + 1;
    int xs[kMaxPoints];
    int ys[kMaxPoints];
    xs[0] = prev.x();
    ys[0] = prev.y();
    for (int i = 1; i <= n; ++i) {
        if (i % kRestart == 0) {
            const double t = 2 * kPi * i / n;
            c = std::cos(t);
            s = std::sin(t);
        } else {
            const double c1 = c * stepCos - s * stepSin;
            s = s * stepCos + c * stepSin;
            c = c1;
        }
        const std::optional<int> x = clearRound(cx + rx * c, kTolerance);
        const std::optional<int> y = clearRound(cy + ry * s, kTolerance);
        if (x && y) {
            xs[i] = *x;
            ys[i] = *y;
        } else {
            const QPoint exact = ellipsePoint(cx, cy, rx, ry, 2 * kPi * i / n);
            xs[i] = exact.x();
            ys[i] = exact.y();
        }
    }
    pen.DrawChain(xs, ys, n + 1);
    return true;
}

}  // namespace

void OverlayModel::CreateDrawPens(int width, int color) {
    pen_ = OverlayPen{width, color};
}

void OverlayModel::applyPen(QPainter& painter) const {
    // Before the first pen the canvas draws with its own thin pen in the text colour.
    if (pen_)
        painter.setPen(solidPen(penWidth(), pen_->color));
    else
        painter.setPen(QPen(TextStyle.color, 1));
    painter.setBrush(Qt::NoBrush);
}

void OverlayModel::SetView(const QTransform& pictureToCanvas, const QRect& canvasClip) {
    // A view that cannot be inverted (an empty picture) would lose every new mark: the canvas
    // is then taken as the picture.
    const bool usable = pictureToCanvas.isInvertible();
    toCanvas_ = usable ? pictureToCanvas : QTransform();
    toPicture_ = toCanvas_.inverted();
    clip_ = canvasClip;
}

QRectF OverlayModel::CanvasBoxToPicture(const QRectF& box) const {
    // Mirrored, the box's exclusive edge changes sides: the drawing shifts it back by a pixel.
    const double sx = toCanvas_.m11() < 0 ? 1 : 0;
    const double sy = toCanvas_.m22() < 0 ? 1 : 0;
    const QPointF a = ToPicture(QPointF(box.left() - sx, box.top() - sy));
    const QPointF b = ToPicture(QPointF(box.left() + box.width() - sx, box.top() + box.height() - sy));
    return QRectF(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(b.x() - a.x()),
                  std::abs(b.y() - a.y()));
}

int OverlayModel::penWidth() const {
    const int width = pen_ ? std::max(1, pen_->width) : 1;
    return pixelRatio_ == 1 ? width : std::max(1, int(std::lround(width * pixelRatio_)));
}

void OverlayModel::drawInPixels(QImage& canvas, const std::function<void(QImage&)>& draw) {
    const qreal k = canvas.devicePixelRatio();
    QImage pixels = platform::PixelView(canvas);
    const QTransform view = toCanvas_;
    const QRect clip = clip_;
    toCanvas_ = view * QTransform::fromScale(k, k);
    if (!clip.isEmpty()) clip_ = platform::InPixels(clip, canvas);
    pixelRatio_ = k;
    const auto restore = qScopeGuard([&] {
        toCanvas_ = view;
        clip_ = clip;
        pixelRatio_ = 1;
    });
    draw(pixels);
}

QColor OverlayModel::penColor() const {
    return pen_ ? ColorOf(pen_->color) : TextStyle.color;
}

CanvasTextStyle OverlayModel::labelStyle(int canvasHeight) const {
    CanvasTextStyle style = TextStyle;
    style.font.setPixelSize(LabelPixelSize(canvasHeight));
    style.font.setStyleStrategy(QFont::PreferAntialias);
    return style;
}

void OverlayModel::DrawShape(QPainter& painter, double x1, double x2, double y1, double y2, int kind,
                             const std::optional<Label>& label) const {
    if (kind != kDrawPolyline) {
        drawShape(painter, x1, x2, y1, y2, kind, label, nullptr, 0);
        return;
    }
    const int n = std::clamp<int>(PickCount, 0, kPickCapacity);
    std::array<QPoint, kPickCapacity> points;
    int count = 0;
    for (int k = 1; k <= n; ++k) {
        const QPointF c = ToCanvas(PickPoints[std::size_t(k)]);
        platform::TryStep([&] { points[std::size_t(count)] = QPoint(RoundToLong(c.x()), RoundToLong(c.y())); });
        ++count;
    }
    drawShape(painter, x1, x2, y1, y2, kind, label, points.data(), count);
}

void OverlayModel::drawShape(QPainter& painter, double x1, double x2, double y1, double y2, int kind,
                             const std::optional<Label>& label, const QPoint* points, int count) const {
    using platform::TryStep;
    // Straight segments go straight into the canvas image when it is one; anything else (or a
    // coordinate far outside) through the painter.
    QPaintDevice* device = painter.device();
    // A painter that scales (an export at the frame's size) or clips must draw everything itself.
    QImage* target = device && device->devType() == QInternal::Image && painter.transform().isIdentity() &&
                             !painter.hasClipping()
                         ? static_cast<QImage*>(device)
                         : nullptr;
    const int width = penWidth();
    const QColor color = penColor();
    std::optional<ThickLine> direct;
    if (target) direct.emplace(*target, width, color);
    // Each step that fails (a coordinate beyond 32 bits) is skipped; the next one runs. The
    // painter's pen is set only once the painter draws a mark: building a pen per mark costs
    // more than a short mark written directly.
    bool penApplied = false;
    auto usePainter = [&] {
        if (!penApplied) TryStep([&] { applyPen(painter); });
        penApplied = true;
    };
    if (!direct || !direct->Usable()) usePainter();
    auto segment = [&](QPoint a, QPoint b) {
        if (!direct || !direct->Draw(a, b)) {
            usePainter();
            painter.drawLine(a, b);
        }
    };
    switch (kind) {
        case kDrawLine:
            TryStep([&] {
                segment(QPoint(RoundToLong(x1), RoundToLong(y1)), QPoint(RoundToLong(x2), RoundToLong(y2)));
            });
            if (label)
                TryStep([&] {
                    // Clear of the line through the anchor, so the line never cuts the text.
                    const int lx = RoundToLong(label->x) + width / 2 + 1;
                    const int ly = RoundToLong(label->y) + width / 2 + 1;
                    if (printer_) {
                        printer_->Print(lx, ly, label->text, color);
                    } else {
                        const int h = device ? device->height() : 0;
                        CanvasTextPrinter(painter, labelStyle(h)).Print(lx, ly, label->text, color);
                    }
                    // The text took its own pen.
                    penApplied = false;
                    if (!direct || !direct->Usable()) usePainter();
                });
            break;
        case kDrawRectangle:
            TryStep([&] {
                const QRect box =
                    outlineBox(RoundToLong(x1), RoundToLong(y1), RoundToLong(x2), RoundToLong(y2));
                segment(box.topLeft(), box.topRight());
                segment(box.bottomLeft(), box.bottomRight());
                segment(box.topLeft(), box.bottomLeft());
                segment(box.topRight(), box.bottomRight());
            });
            break;
        case kDrawEllipse:
            TryStep([&] {
                const QRect box =
                    outlineBox(RoundToLong(x1), RoundToLong(y1), RoundToLong(x2), RoundToLong(y2));
                if (!target || !drawEllipseOutline(*target, box, width, color)) {
                    usePainter();
                    painter.drawEllipse(box);
                }
            });
            break;
        case kDrawPolyline:
            for (int k = 0; k + 1 < count; ++k) segment(points[k], points[k + 1]);
            break;
        default:
            break;
    }
}

void OverlayModel::DrawShape(QImage& canvas, double x1, double x2, double y1, double y2, int kind,
                             const std::optional<Label>& label) const {
    if (canvas.isNull()) return;
    QPainter p(&canvas);
    DrawShape(p, x1, x2, y1, y2, kind, label);
}

namespace {

// The part of a 32-bit canvas inside clip, sharing its pixels: drawing into it can never
// reach beyond the clip, and straight lines still go straight into the pixels.
QImage clipView(QImage& canvas, const QRect& clip) {
    if (canvas.depth() != 32) return {};
    return QImage(canvas.bits() + qsizetype(clip.y()) * canvas.bytesPerLine() + clip.x() * 4, clip.width(),
                  clip.height(), canvas.bytesPerLine(), canvas.format());
}

}  // namespace

void OverlayModel::DrawingUpdate(QImage& canvas) {
    if (canvas.isNull()) return;
    if (canvas.devicePixelRatio() != 1)
        return drawInPixels(canvas, [this](QImage& pixels) { DrawingUpdate(pixels); });
    const QRect clip = clip_.isEmpty() ? canvas.rect() : clip_ & canvas.rect();
    if (clip.isEmpty()) return;
    const int height = canvas.height();
    // One painter for the whole redraw: opening one per mark costs more than the marks.
    if (clip == canvas.rect()) {
        QPainter p(&canvas);
        drawAll(p, toCanvas_, height);
        return;
    }
    QImage view = clipView(canvas, clip);
    if (view.isNull()) {
        QPainter p(&canvas);
        p.setClipRect(clip);
        drawAll(p, toCanvas_, height);
        return;
    }
    QPainter p(&view);
    drawAll(p, toCanvas_ * QTransform::fromTranslate(-clip.x(), -clip.y()), height);
}

void OverlayModel::DrawingUpdate(QPainter& p) {
    p.save();
    if (!clip_.isEmpty()) p.setClipRect(clip_, Qt::IntersectClip);
    // The label size follows the canvas, whatever the painter maps it onto.
    const double scale = std::abs(p.transform().m22());
    const int height = p.device() ? int(p.device()->height() / (scale > 0 ? scale : 1)) : 0;
    drawAll(p, toCanvas_, height);
    p.restore();
}

void OverlayModel::DrawRecord(QImage& canvas, int historyKind, int index) {
    if (canvas.isNull()) return;
    if (canvas.devicePixelRatio() != 1)
        return drawInPixels(canvas, [&](QImage& pixels) { DrawRecord(pixels, historyKind, index); });
    const QRect clip = clip_.isEmpty() ? canvas.rect() : clip_ & canvas.rect();
    if (clip.isEmpty()) return;
    QImage view = clip == canvas.rect() ? QImage() : clipView(canvas, clip);
    QPainter p(view.isNull() ? &canvas : &view);
    if (view.isNull() && clip != canvas.rect()) p.setClipRect(clip);
    const QTransform toDevice =
        view.isNull() ? toCanvas_ : toCanvas_ * QTransform::fromTranslate(-clip.x(), -clip.y());
    const CanvasTextStyle style = labelStyle(canvas.height());
    CanvasTextPrinter printer(p, style);
    printer_ = &printer;
    drawRecord(p, toDevice, historyKind, index);
    printer_ = nullptr;
}

QString OverlayModel::LineLabelOf(int index) const {
    const VLine& l = Lines[std::size_t(std::clamp(index, 0, int(kCapacity)))];
    return LineLabel(l.X1(), l.Y1(), l.X2(), l.Y2(), MetresPerPixel);
}

void OverlayModel::drawRecord(QPainter& p, const QTransform& t, int historyKind, int index) {
    using platform::TryStep;
    const std::size_t i = std::size_t(std::clamp(index, 0, int(kCapacity)));
    switch (historyKind) {
        case kHistLine: {
            const VLine& l = Lines[i];
            const QPointF a = t.map(QPointF(l.X1(), l.Y1()));
            const QPointF b = t.map(QPointF(l.X2(), l.Y2()));
            const QPointF at = t.map(QPointF(l.TextX(), l.TextY()));
            drawShape(p, a.x(), b.x(), a.y(), b.y(), kDrawLine,
                      Label{at.x(), at.y(), LineLabelOf(index)}, nullptr, 0);
            break;
        }
        case kHistShape: {
            const VShape& s = Shapes[i];
            // The box's right and bottom edges are exclusive; mirrored, that edge is the
            // other one, a pixel further.
            const QPointF shift(t.m11() < 0 ? 1 : 0, t.m22() < 0 ? 1 : 0);
            const QPointF a = t.map(QPointF(s.Left(), s.Top())) + shift;
            const QPointF b = t.map(QPointF(s.Left() + s.Width(), s.Top() + s.Height())) + shift;
            drawShape(p, a.x(), b.x(), a.y(), b.y(), s.Shape(), std::nullopt, nullptr, 0);
            break;
        }
        case kHistAngle: {
            const VAngle& a = Angles[i];
            const QPointF p1 = t.map(QPointF(a.X1(), a.Y1()));
            const QPointF p2 = t.map(QPointF(a.X2(), a.Y2()));
            const QPointF p3 = t.map(QPointF(a.X3(), a.Y3()));
            drawShape(p, p1.x(), p2.x(), p1.y(), p2.y(), kDrawLine, std::nullopt, nullptr, 0);
            drawShape(p, p2.x(), p3.x(), p2.y(), p3.y(), kDrawLine, std::nullopt, nullptr, 0);
            const QPointF at = t.map(QPointF(a.TextX(), a.TextY()));
            // An angle below half a degree stores an empty text; it reads back as 0.
            TryStep([&] {
                const int x = RoundToLong(at.x());
                const int y = RoundToLong(at.y());
                if (printer_) ShowAngleLabel(angleReadout, AngleTextValue(a.Text()), *printer_, x, y, penColor());
            });
            break;
        }
        case kHistPolyLine: {
            const VPolyLine& pl = PolyLines[i];
            std::array<QPoint, 6> points;
            const int n = std::clamp(pl.Points(), 0, 6);
            int count = 0;
            for (int k = 1; k <= n; ++k) {
                const QPointF c = t.map(QPointF(pl.X(k), pl.Y(k)));
                TryStep([&] {
                    points[std::size_t(count)] = QPoint(RoundToLong(c.x()), RoundToLong(c.y()));
                    ++count;
                });
            }
            drawShape(p, 0, 0, 0, 0, kDrawPolyline, std::nullopt, points.data(), count);
            break;
        }
        default:
            break;
    }
}

void OverlayModel::drawAll(QPainter& p, const QTransform& t, int canvasHeight) {
    p.setRenderHint(QPainter::Antialiasing, false);
    const CanvasTextStyle style = labelStyle(canvasHeight);
    if (!(layoutFont_ == style.font)) {
        layouts_.clear();
        layoutFont_ = style.font;
    }
    CanvasTextPrinter printer(p, style, &layouts_);
    printer_ = &printer;
    for (int i = 1, n = LineCount; i <= n && i <= kCapacity; ++i) {
        const VLine& l = Lines[std::size_t(i)];
        CreateDrawPens(l.BorderWidth(), l.BorderColor());
        drawRecord(p, t, kHistLine, i);
    }
    for (int i = 1, n = ShapeCount; i <= n && i <= kCapacity; ++i) {
        const VShape& s = Shapes[std::size_t(i)];
        CreateDrawPens(s.BorderWidth(), s.BorderColor());
        drawRecord(p, t, kHistShape, i);
    }
    for (int i = 1, n = AngleCount; i <= n && i <= kCapacity; ++i) {
        const VAngle& a = Angles[std::size_t(i)];
        CreateDrawPens(a.BorderWidth(), a.BorderColor());
        drawRecord(p, t, kHistAngle, i);
    }
    for (int i = 1, n = PolyLineCount; i <= n && i <= kCapacity; ++i) {
        const VPolyLine& pl = PolyLines[std::size_t(i)];
        CreateDrawPens(pl.BorderWidth(), pl.BorderColor());
        drawRecord(p, t, kHistPolyLine, i);
    }
    printer_ = nullptr;
}

void OverlayModel::PaintRubberBands(QPainter& painter) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    if (Line1.Visible) {
        painter.setPen(solidPen(Line1.BorderWidth, Line1.BorderColor));
        painter.drawLine(QPointF(Line1.X1, Line1.Y1), QPointF(Line1.X2, Line1.Y2));
    }
    if (Shape1.Visible) {
        painter.setPen(solidPen(Shape1.BorderWidth, Shape1.BorderColor));
        const QRectF box(Shape1.Left, Shape1.Top, Shape1.Width, Shape1.Height);
        if (Shape1.Shape == ShapeControl::Oval)
            painter.drawEllipse(box);
        else
            painter.drawRect(box);
    }
    painter.restore();
}

bool OverlayModel::HasRoom(int historyKind) const {
    if (DrawHistoryIndex >= kCapacity) return false;
    switch (historyKind) {
        case kHistLine:
            return LineCount < kCapacity;
        case kHistShape:
            return ShapeCount < kCapacity;
        case kHistPolyLine:
            return PolyLineCount < kCapacity;
        case kHistAngle:
            return AngleCount < kCapacity;
        default:
            return false;
    }
}

VLine* OverlayModel::NewLine() {
    if (!HasRoom(kHistLine)) return nullptr;
    redoable_ = 0;
    clearRedoable_ = false;
    ++LineCount;
    return &(Lines[std::size_t(LineCount)] = VLine{});
}

VShape* OverlayModel::NewShape() {
    if (!HasRoom(kHistShape)) return nullptr;
    redoable_ = 0;
    clearRedoable_ = false;
    ++ShapeCount;
    return &(Shapes[std::size_t(ShapeCount)] = VShape{});
}

VAngle* OverlayModel::NewAngle() {
    if (!HasRoom(kHistAngle)) return nullptr;
    redoable_ = 0;
    clearRedoable_ = false;
    ++AngleCount;
    return &(Angles[std::size_t(AngleCount)] = VAngle{});
}

VPolyLine* OverlayModel::NewPolyLine() {
    if (!HasRoom(kHistPolyLine)) return nullptr;
    redoable_ = 0;
    clearRedoable_ = false;
    ++PolyLineCount;
    return &(PolyLines[std::size_t(PolyLineCount)] = VPolyLine{});
}

bool OverlayModel::AppendHistory(int historyKind) {
    if (DrawHistoryIndex >= kCapacity) return false;
    redoable_ = 0;
    clearRedoable_ = false;
    ++DrawHistoryIndex;
    DrawHistory[std::size_t(DrawHistoryIndex)] = historyKind;
    forgetOldSteps();
    return true;
}

bool OverlayModel::UndoLast() {
    if (DrawHistoryIndex <= 0) {
        if (cleared_.empty()) return false;
        // The marks of the last Clear come back; marks undone since then are gone with the
        // records that took their places.
        const Marks& m = cleared_.back();
        Lines = m.lines;
        Shapes = m.shapes;
        Angles = m.angles;
        PolyLines = m.polyLines;
        LineCount = m.lineCount;
        ShapeCount = m.shapeCount;
        AngleCount = m.angleCount;
        PolyLineCount = m.polyLineCount;
        DrawHistory = m.history;
        DrawHistoryIndex = m.historyIndex;
        cleared_.pop_back();
        redoable_ = 0;
        clearRedoable_ = true;
        return true;
    }
    auto drop = [](short& count) {
        if (count > 0) --count;
    };
    switch (DrawHistory[std::size_t(DrawHistoryIndex)]) {
        case kHistLine:
            drop(LineCount);
            break;
        case kHistShape:
            drop(ShapeCount);
            break;
        case kHistPolyLine:
            drop(PolyLineCount);
            break;
        case kHistAngle:
            drop(AngleCount);
            break;
        default:
            break;
    }
    --DrawHistoryIndex;
    ++redoable_;
    return true;
}

bool OverlayModel::RedoLast() {
    if (redoable_ <= 0 && clearRedoable_) {
        clearMarks();
        return true;
    }
    if (redoable_ <= 0 || DrawHistoryIndex >= kCapacity) return false;
    auto restore = [](short& count) {
        if (count < kCapacity) ++count;
    };
    switch (DrawHistory[std::size_t(DrawHistoryIndex + 1)]) {
        case kHistLine:
            restore(LineCount);
            break;
        case kHistShape:
            restore(ShapeCount);
            break;
        case kHistPolyLine:
            restore(PolyLineCount);
            break;
        case kHistAngle:
            restore(AngleCount);
            break;
        default:
            break;
    }
    ++DrawHistoryIndex;
    --redoable_;
    return true;
}

void OverlayModel::ClearAll() {
    redoable_ = 0;
    clearMarks();
}

void OverlayModel::clearMarks() {
    clearRedoable_ = false;
    if (DrawHistoryIndex > 0 || LineCount > 0 || ShapeCount > 0 || AngleCount > 0 || PolyLineCount > 0) {
        cleared_.push_back(Marks{Lines, Shapes, Angles, PolyLines, LineCount, ShapeCount, AngleCount,
                                 PolyLineCount, DrawHistory, DrawHistoryIndex});
    }
    LineCount = 0;
    ShapeCount = 0;
    AngleCount = 0;
    PolyLineCount = 0;
    DrawHistoryIndex = 0;
    forgetOldSteps();
}

void OverlayModel::forgetOldSteps() {
    // Each Clear is a step, and so is each record it took away.
    auto steps = [this] {
        int n = DrawHistoryIndex;
        for (const Marks& m : cleared_) n += m.historyIndex + 1;
        return n;
    };
    while (!cleared_.empty() && steps() > kCapacity) cleared_.erase(cleared_.begin());
}
