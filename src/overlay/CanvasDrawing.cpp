#include "overlay/CanvasDrawing.h"

#include "overlay/frmDrawToolBox.h"
#include "platform/MessageBox.h"
#include "platform/PictureBox.h"
#include "platform/RuntimeError.h"
#include "ui/Globals.h"

#include <QAction>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

using platform::TryStep;

const QColor kCrossColor(128, 0, 0);

}  // namespace

CanvasDrawing::CanvasDrawing(Globals& program, QObject* parent) : QObject(parent), program_(program) {}

void CanvasDrawing::Attach(platform::PictureBox* canvas, frmDrawToolBox* toolBox) {
    canvas_ = canvas;
    toolBox_ = toolBox;
    if (canvas_) {
        connect(canvas_, &platform::PictureBox::MouseDown, this, &CanvasDrawing::pic_video_MouseDown);
        connect(canvas_, &platform::PictureBox::MouseMove, this, &CanvasDrawing::pic_video_MouseMove);
        connect(canvas_, &platform::PictureBox::MouseUp, this, &CanvasDrawing::pic_video_MouseUp);
        canvas_->SetOverlayPainter([this](QPainter& p) { overlay_.PaintRubberBands(p); });
        syncTextStyle();
    }
    if (toolBox_) {
        toolBox_->SetOverlay(&overlay_);
        toolBox_->toolbarClick = [this](int index) {
            if (toolbarClick)
                toolbarClick(index);
            else
                ToolbarCommand(index);
        };
        toolBox_->undo = [this] { Undo(); };
        overlay_.angleReadout = [this](const QString& text) {
            if (toolBox_) toolBox_->ShowReadout(text);
        };
        connect(toolBox_, &ToolWindow::CloseBoxClicked, this, &CanvasDrawing::DrawToolBox_QueryUnload);
    }
}

bool CanvasDrawing::buttonValue(int index) const {
    if (toolbarValue) return toolbarValue(index);
    return index >= 0 && index < int(localToolbar_.size()) && localToolbar_[std::size_t(index)];
}

void CanvasDrawing::setButtonValue(int index, bool pressed) {
    if (setToolbarValue) setToolbarValue(index, pressed);
    if (index >= 0 && index < int(localToolbar_.size())) localToolbar_[std::size_t(index)] = pressed;
}

void CanvasDrawing::SetMousePointer(int code) {
    if (!canvas_) return;
    switch (code) {
        case 2:
            canvas_->setCursor(Qt::CrossCursor);
            break;
        case 5:
            canvas_->setCursor(Qt::SizeAllCursor);
            break;
        case 12:
            canvas_->setCursor(Qt::ForbiddenCursor);
            break;
        default:
            canvas_->unsetCursor();
            break;
    }
}

void CanvasDrawing::syncTextStyle() {
    if (!canvas_) return;
    overlay_.TextStyle.font = canvas_->Font();
    overlay_.TextStyle.color = canvas_->ForeColor();
}

void CanvasDrawing::DrawingUpdate() {
    if (!canvas_) return;
    syncTextStyle();
    overlay_.DrawingUpdate(canvas_->Image());
    canvas_->Refresh();
}

void CanvasDrawing::repaint() {
    if (repaintFrame)
        repaintFrame();
    else
        DrawingUpdate();
}

// ---------------------------------------------------------------------------------------------
// Commands

void CanvasDrawing::ToolbarCommand(int index) {
    switch (index) {
        case 3:
            if (!overlay_.DrawingOn) {
                if (modelAdjustMode && modelAdjustMode() && toolbarClick) toolbarClick(8);
                overlay_.DrawingOn = true;
                setButtonValue(3, true);
                SetMousePointer(2);
                if (toolBox_) {
                    toolBox_->MoveTwips(program_.ToolPos.drawTool);
                    toolBox_->show();
                }
            } else {
                overlay_.DrawingOn = false;
                setButtonValue(3, false);
                SetMousePointer(0);
                if (toolBox_) {
                    program_.ToolPos.drawTool = toolBox_->PositionTwips();
                    toolBox_->hide();
                }
            }
            break;
        case 20:
            overlay_.DrawTool = kToolLine;
            break;
        case 21:
            overlay_.DrawTool = kToolRectangle;
            overlay_.Shape1.Shape = ShapeControl::Rectangle;
            break;
        case 22:
            overlay_.DrawTool = kToolEllipse;
            overlay_.Shape1.Shape = ShapeControl::Oval;
            break;
        case 23:
            overlay_.DrawTool = kToolPolyline;
            break;
        case 24:
            overlay_.DrawTool = kToolAngle;
            break;
        case 25:
            Clear();
            break;
        case 26:
            overlay_.DrawTool = kToolRuler;
            break;
        default:
            break;
    }
}

void CanvasDrawing::DrawToolBox_QueryUnload() {
    // The box is not unloaded: drawing is switched off, which hides it. (Were drawing already
    // off, the command would switch it on again; the box is then only hidden.)
    if (overlay_.DrawingOn)
        ToolbarCommand(3);
    else if (toolBox_)
        toolBox_->hide();
    if (toolBox_) {
        if (QAction* circle = toolBox_->Button(3)) circle->setChecked(false);
        program_.ToolPos.drawTool = toolBox_->PositionTwips();
    }
}

void CanvasDrawing::Undo() {
    if (!overlay_.UndoLast()) return;
    if (modelShown && modelShown()) {
        if (paintModel) paintModel();
    } else if (canvas_) {
        canvas_->Cls();
    }
    repaint();
}

void CanvasDrawing::Redo() {
    if (!overlay_.RedoLast()) return;
    // Painted as Undo paints, so the model view is redrawn under the marks too.
    if (modelShown && modelShown()) {
        if (paintModel) paintModel();
    } else if (canvas_) {
        canvas_->Cls();
    }
    repaint();
}

void CanvasDrawing::Clear() {
    overlay_.ClearAll();
    if (canvas_) canvas_->Cls();
    if (modelShown && modelShown() && paintModel) paintModel();
    repaint();
    overlay_.CreateDrawPens(overlay_.Line1.BorderWidth, overlay_.Line1.BorderColor);
    if (overlay_.DrawTool >= 1) setButtonValue(3, true);
}

// ---------------------------------------------------------------------------------------------
// Canvas mouse

bool CanvasDrawing::refuseWhenFull(int historyKind) {
    if (overlay_.HasRoom(historyKind)) return false;
    platform::MsgBox(QStringLiteral("The picture already holds %1 marks, as many as it can keep. "
                                    "Use Undo or Clear to make room for a new one.")
                         .arg(OverlayModel::kCapacity),
                     platform::vbExclamation, QStringLiteral("Drawing Error"));
    return true;
}

void CanvasDrawing::drawCrosses() {
    if (!canvas_) return;
    for (int k = 1; k <= overlay_.PickCount && k <= OverlayModel::kPickCapacity; ++k) {
        const QPointF c = overlay_.ToCanvas(overlay_.PickPoints[std::size_t(k)]);
        const QPoint v(RoundToLong(c.x()), RoundToLong(c.y()));
        canvas_->Line(v.x() - 2, v.y(), v.x() + 3, v.y(), kCrossColor);
        canvas_->Line(v.x(), v.y() - 2, v.x(), v.y() + 3, kCrossColor);
    }
    canvas_->Refresh();
}

void CanvasDrawing::addPickPoint(float x, float y) {
    // A buffer already full (a repaint may have filled it) takes no more vertices.
    if (overlay_.PickCount >= OverlayModel::kPickCapacity) platform::Raise(platform::errSubscriptOutOfRange);
    // The pixel under the pointer, kept in picture pixels.
    const QPointF v = overlay_.ToPicture(QPointF(RoundToLong(x), RoundToLong(y)));
    ++overlay_.PickCount;
    overlay_.PickPoints[std::size_t(overlay_.PickCount)] = v;
}

void CanvasDrawing::pic_video_MouseDown(int button, int, float x, float y) {
    if (program_.BusyLoading) return;
    syncTextStyle();
    OverlayModel& o = overlay_;
    // A left press while one is held means its release never came (a modal box took it): that
    // press is over. Only a drag (line, rectangle, ellipse, the model) holds the button; a press
    // that opens a box (ruler length, capacity, polyline limit) never does.
    if (button == platform::vbLeftButton) buttonHeld_ = false;
    if (button == platform::vbLeftButton && o.DrawingOn) {
        switch (o.DrawTool) {
            case kToolLine:
                if (refuseWhenFull(kHistLine)) return;
                o.Line1.X1 = o.Line1.X2 = x;
                o.Line1.Y1 = o.Line1.Y2 = y;
                o.Line1.Visible = true;
                buttonHeld_ = true;
                break;
            case kToolRectangle:
            case kToolEllipse:
                if (refuseWhenFull(kHistShape)) return;
                dragAnchorX_ = x;
                dragAnchorY_ = y;
                o.Shape1.Left = x;
                o.Shape1.Top = y;
                o.Shape1.Width = 0;
                o.Shape1.Height = 0;
                o.Shape1.Visible = true;
                buttonHeld_ = true;
                break;
            case kToolPolyline:
                if (o.FigureDone) {
                    o.PickCount = 0;
                    o.FigureDone = false;
                }
                if (o.PickCount == 0 && refuseWhenFull(kHistPolyLine)) return;
                if (o.PickCount > 5) {
                    platform::MsgBox(QStringLiteral("Polyline can have only 5 lines (6 points)"),
                                     platform::vbExclamation, QStringLiteral("Polyline Error"));
                    return;
                }
                TryStep([&] { addPickPoint(x, y); });
                o.CreateDrawPens(o.Line1.BorderWidth, o.Line1.BorderColor);
                TryStep([&] { drawCrosses(); });
                break;
            case kToolAngle:
                if (o.FigureDone) {
                    o.PickCount = 0;
                    o.FigureDone = false;
                }
                if (o.PickCount == 0 && refuseWhenFull(kHistAngle)) return;
                TryStep([&] { addPickPoint(x, y); });
                o.CreateDrawPens(o.Line1.BorderWidth, o.Line1.BorderColor);
                TryStep([&] { drawCrosses(); });
                if (o.PickCount == 3) createAngle();
                break;
            case kToolRuler:
                rulerClick(x, y);
                break;
            default:
                break;
        }
        if (canvas_) canvas_->Refresh();
    }
    if (button == platform::vbLeftButton && modelAdjustMode && modelAdjustMode()) {
        TryStep([&] {
            const int dx = RoundToLong(x);
            const int dy = RoundToLong(y);
            if (modelDragStart) modelDragStart(dx, dy);
        });
        buttonHeld_ = true;
    }
    // Only a polyline the user is placing is finished: not one already stored (a second right
    // click, a right double-click), and nothing with drawing off or while the model is adjusted.
    if (button == platform::vbRightButton && o.DrawingOn && o.DrawTool == kToolPolyline && !o.FigureDone &&
        o.PickCount >= 2)
        finishPolyline();
}

void CanvasDrawing::rulerClick(float x, float y) {
    OverlayModel& o = overlay_;
    auto cross = [this](float cx, float cy) {
        if (!canvas_) return;
        canvas_->Line(cx - 3, cy, cx + 3, cy, kCrossColor);
        canvas_->Line(cx, cy - 3, cx, cy + 3, kCrossColor);
        canvas_->Refresh();
    };
    // The scale is per picture pixel: the points are kept in picture pixels.
    const QPointF at = o.ToPicture(QPointF(x, y));
    if (o.Ruler.RulerClicks == 0) {
        o.Ruler.RulerX[0] = float(at.x());
        o.Ruler.RulerY[0] = float(at.y());
        o.Ruler.RulerClicks = 1;
        cross(x, y);
        return;
    }
    o.Ruler.RulerX[1] = float(at.x());
    o.Ruler.RulerY[1] = float(at.y());
    o.Ruler.RulerClicks = 0;
    cross(x, y);
    TryStep([&] { CalibrateRuler(o.Ruler, o.MetresPerPixel); });
    // The repaint takes the crosses away.
    TryStep([&] { repaint(); });
}

void CanvasDrawing::createAngle() {
    OverlayModel& o = overlay_;
    VAngle* a = o.NewAngle();
    if (!a) {
        // No room: the figure ends without a record and the repaint removes its crosses.
        refuseWhenFull(kHistAngle);
        o.FigureDone = true;
        TryStep([&] { repaint(); });
        return;
    }
    a->SetBorderColor(o.Line1.BorderColor);
    a->SetBorderStyle(o.Line1.BorderStyle);
    a->SetBorderWidth(o.Line1.BorderWidth);
    a->SetX1(o.PickPoints[1].x());
    a->SetY1(o.PickPoints[1].y());
    a->SetX2(o.PickPoints[2].x());
    a->SetY2(o.PickPoints[2].y());
    a->SetX3(o.PickPoints[3].x());
    a->SetY3(o.PickPoints[3].y());
    a->SetTextX(a->X2());
    a->SetTextY(a->Y2());
    const double angle = ThreePointAngle(a->X1(), a->X2(), a->X3(), a->Y1(), a->Y2(), a->Y3());
    a->SetText(AngleText(angle));
    o.CreateDrawPens(o.Line1.BorderWidth, o.Line1.BorderColor);
    // The readout shows the angle itself, not the whole number the label prints.
    if (o.angleReadout) o.angleReadout(AngleReadoutText(angle));
    if (canvas_) {
        const AngleReadout readout = std::exchange(o.angleReadout, nullptr);
        o.DrawRecord(canvas_->Image(), kHistAngle, o.AngleCount);
        o.angleReadout = readout;
        canvas_->Refresh();
    }
    o.FigureDone = true;
    o.AppendHistory(kHistAngle);
}

void CanvasDrawing::finishPolyline() {
    OverlayModel& o = overlay_;
    VPolyLine* p = o.NewPolyLine();
    if (!p) {
        refuseWhenFull(kHistPolyLine);
        o.FigureDone = true;
        TryStep([&] { repaint(); });
        return;
    }
    p->SetBorderColor(o.Line1.BorderColor);
    p->SetBorderStyle(o.Line1.BorderStyle);
    p->SetBorderWidth(o.Line1.BorderWidth);
    for (int k = 1; k <= 6; ++k) {
        p->SetX(k, o.PickPoints[std::size_t(k)].x());
        p->SetY(k, o.PickPoints[std::size_t(k)].y());
    }
    TryStep([&] { p->SetPoints(o.PickCount); });
    o.CreateDrawPens(o.Line1.BorderWidth, o.Line1.BorderColor);
    if (canvas_) o.DrawRecord(canvas_->Image(), kHistPolyLine, o.PolyLineCount);
    o.FigureDone = true;
    if (canvas_) canvas_->Refresh();
    o.AppendHistory(kHistPolyLine);
}

void CanvasDrawing::pic_video_MouseMove(int button, int, float x, float y) {
    OverlayModel& o = overlay_;
    const bool drawingDown = buttonValue(3);
    SetMousePointer(drawingDown ? 2 : 0);
    if (buttonValue(10) && modelAdjustMode && modelAdjustMode()) {
        if (modelDragMove) modelDragMove(button, x, y);
        return;
    }
    if (!drawingDown || !buttonHeld_) return;
    switch (o.DrawTool) {
        case kToolLine: {
            o.Line1.X2 = x;
            o.Line1.Y2 = y;
            const QPointF a = o.ToPicture(QPointF(o.Line1.X1, o.Line1.Y1));
            const QPointF b = o.ToPicture(QPointF(o.Line1.X2, o.Line1.Y2));
            if (toolBox_) toolBox_->ShowReadout(LineLabel(a.x(), a.y(), b.x(), b.y(), o.MetresPerPixel));
            break;
        }
        case kToolRectangle:
        case kToolEllipse:
            // Both edges follow at every move, so a drag that crosses back over its start
            // still spans the anchor and the pointer.
            o.Shape1.Left = std::min(dragAnchorX_, x);
            o.Shape1.Width = std::abs(x - dragAnchorX_);
            o.Shape1.Top = std::min(dragAnchorY_, y);
            o.Shape1.Height = std::abs(y - dragAnchorY_);
            break;
        default:
            return;
    }
    // The rubber band is painted above the picture; the canvas pixels stay as they are.
    if (canvas_) canvas_->update();
}

void CanvasDrawing::makeLine() {
    OverlayModel& o = overlay_;
    o.Line1.Visible = false;
    // A click without a drag measures nothing.
    if (RoundToLong(o.Line1.X1) == RoundToLong(o.Line1.X2) &&
        RoundToLong(o.Line1.Y1) == RoundToLong(o.Line1.Y2))
        return;
    VLine* l = o.NewLine();
    if (!l) {
        refuseWhenFull(kHistLine);
        return;
    }
    l->SetBorderColor(o.Line1.BorderColor);
    l->SetBorderStyle(o.Line1.BorderStyle);
    l->SetBorderWidth(o.Line1.BorderWidth);
    // The canvas pixels under the press and the release, and the label's below the middle,
    // kept in picture pixels.
    TryStep([&] {
        const QPointF a = o.ToPicture(QPointF(RoundToLong(o.Line1.X1), RoundToLong(o.Line1.Y1)));
        l->SetX1(a.x());
        l->SetY1(a.y());
    });
    TryStep([&] {
        const QPointF b = o.ToPicture(QPointF(RoundToLong(o.Line1.X2), RoundToLong(o.Line1.Y2)));
        l->SetX2(b.x());
        l->SetY2(b.y());
    });
    TryStep([&] {
        const double midX = (double(RoundToLong(o.Line1.X1)) + RoundToLong(o.Line1.X2)) / 2;
        const double midY = (double(RoundToLong(o.Line1.Y1)) + RoundToLong(o.Line1.Y2)) / 2;
        const QPointF at = o.ToPicture(QPointF(RoundToLong(midX), RoundToLong(midY)));
        l->SetTextX(at.x());
        l->SetTextY(at.y());
    });
    o.CreateDrawPens(o.Line1.BorderWidth, o.Line1.BorderColor);
    if (canvas_) o.DrawRecord(canvas_->Image(), kHistLine, o.LineCount);
    o.AppendHistory(kHistLine);
}

void CanvasDrawing::makeShape() {
    OverlayModel& o = overlay_;
    if (RoundToLong(o.Shape1.Width) == 0 && RoundToLong(o.Shape1.Height) == 0) {
        o.Shape1.Visible = false;
        return;
    }
    VShape* s = o.NewShape();
    if (!s) {
        o.Shape1.Visible = false;
        refuseWhenFull(kHistShape);
        return;
    }
    s->SetBorderColor(o.Shape1.BorderColor);
    s->SetBorderStyle(o.Shape1.BorderStyle);
    s->SetBorderWidth(o.Shape1.BorderWidth);
    TryStep([&] {
        const QRectF box = o.CanvasBoxToPicture(QRectF(RoundToLong(o.Shape1.Left), RoundToLong(o.Shape1.Top),
                                                       RoundToLong(o.Shape1.Width), RoundToLong(o.Shape1.Height)));
        s->SetLeft(box.left());
        s->SetTop(box.top());
        s->SetWidth(box.width());
        s->SetHeight(box.height());
    });
    s->SetShape(o.DrawTool == kToolRectangle ? kDrawRectangle : kDrawEllipse);
    // The first drawing uses the line's style, as the rubber band's holder did.
    o.CreateDrawPens(o.Line1.BorderWidth, o.Line1.BorderColor);
    if (canvas_) o.DrawRecord(canvas_->Image(), kHistShape, o.ShapeCount);
    o.Shape1.Visible = false;
    o.AppendHistory(kHistShape);
}

void CanvasDrawing::pic_video_MouseUp(int, int, float, float) {
    if (modelAdjustMode && modelAdjustMode()) {
        SetMousePointer(12);
        buttonHeld_ = false;
        return;
    }
    syncTextStyle();
    // Only a drag that a press started makes a record: a release after an ignored press
    // (during a load, a right press) would otherwise repeat the last rubber band.
    if (overlay_.DrawingOn && buttonHeld_) {
        switch (overlay_.DrawTool) {
            case kToolLine:
                makeLine();
                break;
            case kToolRectangle:
            case kToolEllipse:
                makeShape();
                break;
            default:
                break;
        }
        if (canvas_) canvas_->Refresh();
    }
    buttonHeld_ = false;
}
