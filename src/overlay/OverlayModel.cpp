#include "overlay/OverlayModel.h"

#include "overlay/ThickLine.h"
#include "platform/RuntimeError.h"

#include <QPainter>
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
        painter.setPen(solidPen(pen_->width, pen_->color));
    else
        painter.setPen(QPen(TextStyle.color, 1));
    painter.setBrush(Qt::NoBrush);
}

void OverlayModel::DrawShape(QPainter& painter, double x1, double x2, double y1, double y2, int kind,
                             const std::optional<Label>& label) const {
    using platform::TryStep;
    // Straight segments go straight into the canvas image when it is one; anything else (or a
    // coordinate far outside) through the painter.
    QPaintDevice* device = painter.device();
    // A painter that scales (an export at the frame's size) must draw everything itself.
    QImage* target = device && device->devType() == QInternal::Image && painter.transform().isIdentity()
                         ? static_cast<QImage*>(device)
                         : nullptr;
    const int width = pen_ ? std::max(1, pen_->width) : 1;
    const QColor color = pen_ ? ColorOf(pen_->color) : TextStyle.color;
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
                    const int lx = RoundToLong(label->x);
                    const int ly = RoundToLong(label->y);
                    if (printer_)
                        printer_->Print(lx, ly, LengthLabelOfText(label->text));
                    else
                        PrintCanvasText(painter, TextStyle, lx, ly, LengthLabelOfText(label->text));
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
            if (PickCount >= 2) {
                const int n = std::min<int>(PickCount, kPickCapacity);
                for (int k = 1; k < n; ++k)
                    segment(PickPoints[std::size_t(k)], PickPoints[std::size_t(k + 1)]);
            }
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

void OverlayModel::DrawingUpdate(QImage& canvas) {
    if (canvas.isNull()) return;
    // One painter for the whole redraw: opening one per mark costs more than the marks.
    QPainter p(&canvas);
    DrawingUpdate(p);
}

void OverlayModel::DrawingUpdate(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, false);
    if (!(layoutFont_ == TextStyle.font)) {
        layouts_.clear();
        layoutFont_ = TextStyle.font;
    }
    CanvasTextPrinter printer(p, TextStyle, &layouts_);
    printer_ = &printer;
    for (int i = 1, n = LineCount; i <= n && i <= kCapacity; ++i) {
        const VLine& l = Lines[std::size_t(i)];
        CreateDrawPens(l.BorderWidth(), l.BorderColor());
        DrawShape(p, l.X1(), l.X2(), l.Y1(), l.Y2(), kDrawLine,
                  Label{double(l.TextX()), double(l.TextY()), l.Text()});
    }
    for (int i = 1, n = ShapeCount; i <= n && i <= kCapacity; ++i) {
        const VShape& s = Shapes[std::size_t(i)];
        CreateDrawPens(s.BorderWidth(), s.BorderColor());
        DrawShape(p, s.Left(), double(s.Left()) + s.Width(), s.Top(), double(s.Top()) + s.Height(),
                  s.Shape());
    }
    for (int i = 1, n = AngleCount; i <= n && i <= kCapacity; ++i) {
        const VAngle& a = Angles[std::size_t(i)];
        CreateDrawPens(a.BorderWidth(), a.BorderColor());
        DrawShape(p, a.X1(), a.X2(), a.Y1(), a.Y2(), kDrawLine);
        DrawShape(p, a.X2(), a.X3(), a.Y2(), a.Y3(), kDrawLine);
        // An angle below half a degree stores an empty text; it reads back as 0.
        ShowAngleLabel(angleReadout, AngleTextValue(a.Text()), printer, a.TextX(), a.TextY());
    }
    // The stored polylines are drawn through the point buffer, which is then given back to the
    // figure being placed: leftovers of a stored polyline would be taken for the user's vertices.
    const auto placing = PickPoints;
    const short placingCount = PickCount;
    for (int i = 1, n = PolyLineCount; i <= n && i <= kCapacity; ++i) {
        const VPolyLine& pl = PolyLines[std::size_t(i)];
        PickCount = short(pl.Points());
        for (int k = 1; k <= 6; ++k) PickPoints[std::size_t(k)] = QPoint(pl.X(k), pl.Y(k));
        CreateDrawPens(pl.BorderWidth(), pl.BorderColor());
        DrawShape(p, pl.X1(), pl.Y1(), 0, 0, kDrawPolyline);
    }
    PickPoints = placing;
    PickCount = placingCount;
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
    ++LineCount;
    return &(Lines[std::size_t(LineCount)] = VLine{});
}

VShape* OverlayModel::NewShape() {
    if (!HasRoom(kHistShape)) return nullptr;
    redoable_ = 0;
    ++ShapeCount;
    return &(Shapes[std::size_t(ShapeCount)] = VShape{});
}

VAngle* OverlayModel::NewAngle() {
    if (!HasRoom(kHistAngle)) return nullptr;
    redoable_ = 0;
    ++AngleCount;
    return &(Angles[std::size_t(AngleCount)] = VAngle{});
}

VPolyLine* OverlayModel::NewPolyLine() {
    if (!HasRoom(kHistPolyLine)) return nullptr;
    redoable_ = 0;
    ++PolyLineCount;
    return &(PolyLines[std::size_t(PolyLineCount)] = VPolyLine{});
}

bool OverlayModel::AppendHistory(int historyKind) {
    if (DrawHistoryIndex >= kCapacity) return false;
    redoable_ = 0;
    ++DrawHistoryIndex;
    DrawHistory[std::size_t(DrawHistoryIndex)] = historyKind;
    return true;
}

bool OverlayModel::UndoLast() {
    if (DrawHistoryIndex <= 0) return false;
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
    LineCount = 0;
    ShapeCount = 0;
    AngleCount = 0;
    PolyLineCount = 0;
    DrawHistoryIndex = 0;
    redoable_ = 0;
}
