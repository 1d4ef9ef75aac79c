#pragma once
// A canvas and the drawing tool box with the drawing between them, driven by a script of steps
// and checks, for the drawing tests. Steps are separated by "; ". A step with " = " is a check:
// what the words before it read must equal the text after it. Other steps act:
//   tool N            toolbar command N          button N          a click on tool box button N
//   click X Y         left click on the canvas   right X Y         right click
//   drag X1 Y1 X2 Y2  left drag with two moves   down/to/up X Y    left press, move, release
//   press X Y         a left press whose release a modal box swallowed
//   move X Y          a move with no button      paint, undo, redo, clear
//   fill              lines take the rest of the capacity
//   colour #RRGGBB    the line and shape colour  shapecolour #RRGGBB  the shape colour alone
//   width N           the line and shape width   scale F           metres per picture pixel
//   answer TEXT       the next input box answer  busy, idle        a clip loading or not
//   model             a model is shown (counted in modelpaints)
// Checks: counts (lines shapes polylines angles history), at X Y (a canvas pixel: "frame" or
// #rrggbb), screen X Y (the widget as shown), picks, ruler (clicks), scale, readout (the
// readout's text, "hidden"), polytext (shown/hidden), boxes (message titles, "|" between),
// prompt (the last message), asked (input prompts), repaints, modelpaints, drawbutton (the
// Drawing button), tool, checked (tool box buttons down), commands (toolbar commands the tool
// box sent), held, band (the rectangle band), line N, shape N, newest (the newest figure).

#include "MsgBoxRecorder.h"
#include "overlay/CanvasDrawing.h"
#include "overlay/frmDrawToolBox.h"
#include "platform/PictureBox.h"
#include "shell/Globals.h"

#include <QAction>
#include <QLineEdit>
#include <QTest>
#include <QToolBar>

#include <memory>

struct DrawRig {
    static inline const QColor kFrame{40, 90, 40};  // what the "video frame" paints
    std::unique_ptr<platform::PictureBox> canvas = std::make_unique<platform::PictureBox>();
    std::unique_ptr<frmDrawToolBox> toolBox = std::make_unique<frmDrawToolBox>(nullptr);
    CanvasDrawing drawing;
    MsgBoxRecorder boxes;
    int framePaints = 0, modelPaints = 0;
    bool drawButton = false;
    QStringList commands;

    DrawRig() {
        canvas->SetScaleMode(platform::PictureBox::vbPixels);
        canvas->resize(640, 480);
        canvas->SetBackColor(Qt::black);
        canvas->SetForeColor(Qt::white);
        drawing.Attach(canvas.get(), toolBox.get());
        // Stands in for the frame compositor: paints the frame, then the overlay.
        drawing.repaintFrame = [this] {
            ++framePaints;
            canvas->Image().fill(kFrame);
            drawing.DrawingUpdate();
        };
        drawing.setToolbarValue = [this](int i, bool v) { drawButton = i == 3 ? v : drawButton; };
        drawing.toolbarClick = [this](int i) {
            commands << QString::number(i);
            drawing.ToolbarCommand(i);
        };
        canvas->Image().fill(kFrame);
        drawing.ToolbarCommand(3);  // drawing on
    }
    OverlayModel& o() { return drawing.Overlay(); }

    static int bgr(const QString& name) {
        const QColor c(name);
        return c.red() | c.green() << 8 | c.blue() << 16;
    }
    static QString colourName(const QColor& c) { return c == kFrame ? QStringLiteral("frame") : c.name(); }
    static QString pt(double x, double y) {
        return QString::number(x) + QLatin1Char(',') + QString::number(y);
    }

    void drag(QPoint from, QPoint to, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mousePress(canvas.get(), b, {}, from);
        QTest::mouseMove(canvas.get(), (from + to) / 2);
        QTest::mouseMove(canvas.get(), to);
        QTest::mouseRelease(canvas.get(), b, {}, to);
    }
    void click(QPoint at, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mousePress(canvas.get(), b, {}, at);
        QTest::mouseRelease(canvas.get(), b, {}, at);
    }

    // What a check's words read.
    QString read(const QStringList& w) {
        const QString& k = w[0];
        const int n = w.size() > 1 ? w[1].toInt() : 0;
        QStringList out;
        if (k == QLatin1String("counts")) {
            for (int v :
                 {o().LineCount, o().ShapeCount, o().PolyLineCount, o().AngleCount, o().DrawHistoryIndex})
                out << QString::number(v);
        } else if (k == QLatin1String("at")) {
            return colourName(canvas->Image().pixelColor(n, w[2].toInt()));
        } else if (k == QLatin1String("screen")) {
            return colourName(canvas->grab().toImage().pixelColor(n, w[2].toInt()));
        } else if (k == QLatin1String("readout")) {
            return toolBox->txtAngle->isHidden() ? QStringLiteral("hidden") : toolBox->txtAngle->text();
        } else if (k == QLatin1String("polytext")) {
            return toolBox->txtPolyline->isHidden() ? QStringLiteral("hidden") : QStringLiteral("shown");
        } else if (k == QLatin1String("boxes") || k == QLatin1String("prompt")) {
            for (const auto& c : boxes.calls) out << (k == QLatin1String("boxes") ? c.title : c.prompt);
            return k == QLatin1String("boxes") ? out.join(QLatin1Char('|')) : out.value(out.size() - 1);
        } else if (k == QLatin1String("asked")) {
            for (const auto& c : boxes.inputs) out << c.prompt;
            return out.join(QLatin1Char('|'));
        } else if (k == QLatin1String("checked")) {
            for (int i = 1; i <= frmDrawToolBox::kButtonCount; ++i)
                if (toolBox->Button(i) && toolBox->Button(i)->isChecked()) out << QString::number(i);
        } else if (k == QLatin1String("line")) {
            const VLine& l = o().Lines[std::size_t(n)];
            return pt(l.X1(), l.Y1()) + ' ' + pt(l.X2(), l.Y2()) + " @" + pt(l.TextX(), l.TextY()) + ' ' +
                   o().LineLabelOf(n) + ' ' + ColorOf(l.BorderColor()).name();
        } else if (k == QLatin1String("shape")) {
            const VShape& s = o().Shapes[std::size_t(n)];
            return pt(s.Left(), s.Top()) + ' ' + pt(s.Width(), s.Height()) + ' ' +
                   QString::number(s.Shape()) + ' ' + ColorOf(s.BorderColor()).name();
        } else if (k == QLatin1String("band")) {
            const ShapeControl& s = o().Shape1;
            return s.Visible ? pt(s.Left, s.Top) + ' ' + pt(s.Width, s.Height) : QStringLiteral("hidden");
        } else if (k == QLatin1String("newest")) {
            if (o().DrawHistory[std::size_t(o().DrawHistoryIndex)] == kHistAngle) {
                const VAngle& a = o().Angles[std::size_t(o().AngleCount)];
                return pt(a.X1(), a.Y1()) + ' ' + pt(a.X2(), a.Y2()) + ' ' + pt(a.X3(), a.Y3()) + ' ' +
                       a.Text() + '@' + pt(a.TextX(), a.TextY());
            }
            const VPolyLine& p = o().PolyLines[std::size_t(o().PolyLineCount)];
            for (int i = 1; i <= p.Points(); ++i) out << pt(p.X(i), p.Y(i));
        } else {
            const std::map<QString, double> numbers = {
                {"picks", o().PickCount},  {"ruler", o().Ruler.RulerClicks}, {"scale", o().MetresPerPixel},
                {"repaints", framePaints}, {"modelpaints", modelPaints},     {"drawbutton", drawButton},
                {"tool", o().DrawTool},    {"held", drawing.ButtonHeld()}};
            return numbers.count(k) ? QString::number(numbers.at(k)) : QStringLiteral("unknown check ") + k;
        }
        return out.join(QLatin1Char(' '));
    }

    void run(const QString& script) {
        for (const QString& step : script.split(QLatin1String("; "))) {
            const qsizetype eq = step.indexOf(QLatin1String(" = "));
            if (eq >= 0) {
                const QString got = read(step.left(eq).split(QLatin1Char(' ')));
                QVERIFY2(got == step.mid(eq + 3), qPrintable(step + QStringLiteral(" (read ") + got + ')'));
                continue;
            }
            const QStringList w = step.split(QLatin1Char(' '));
            const QString& k = w[0];
            const QString rest = step.section(QLatin1Char(' '), 1);
            auto at = [&](int i) { return QPoint(w.value(i).toInt(), w.value(i + 1).toInt()); };
            if (k == QLatin1String("tool")) {
                drawing.ToolbarCommand(w[1].toInt());
            } else if (k == QLatin1String("button")) {
                QWidget* b = toolBox->Toolbar1->widgetForAction(toolBox->Button(w[1].toInt()));
                QVERIFY(b);
                QTest::mouseClick(b, Qt::LeftButton);
            } else if (k == QLatin1String("click") || k == QLatin1String("right")) {
                click(at(1), k == QLatin1String("click") ? Qt::LeftButton : Qt::RightButton);
            } else if (k == QLatin1String("drag")) {
                drag(at(1), at(3));
            } else if (k == QLatin1String("down")) {
                QTest::mousePress(canvas.get(), Qt::LeftButton, {}, at(1));
            } else if (k == QLatin1String("to")) {
                QTest::mouseMove(canvas.get(), at(1));
            } else if (k == QLatin1String("up")) {
                QTest::mouseRelease(canvas.get(), Qt::LeftButton, {}, at(1));
            } else if (k == QLatin1String("press")) {
                emit canvas->MouseDown(platform::vbLeftButton, 0, float(at(1).x()), float(at(1).y()));
            } else if (k == QLatin1String("move")) {
                emit canvas->MouseMove(0, 0, float(at(1).x()), float(at(1).y()));
            } else if (k == QLatin1String("paint")) {
                drawing.repaintFrame();
            } else if (k == QLatin1String("undo")) {
                drawing.Undo();
            } else if (k == QLatin1String("redo")) {
                drawing.Redo();
            } else if (k == QLatin1String("clear")) {
                drawing.Clear();
            } else if (k == QLatin1String("fill")) {
                while (o().NewLine()) o().AppendHistory(kHistLine);
            } else if (k == QLatin1String("colour") || k == QLatin1String("shapecolour")) {
                o().Shape1.BorderColor = bgr(rest);
                if (k == QLatin1String("colour")) o().Line1.BorderColor = bgr(rest);
            } else if (k == QLatin1String("width")) {
                o().Line1.BorderWidth = o().Shape1.BorderWidth = rest.toInt();
            } else if (k == QLatin1String("scale")) {
                o().MetresPerPixel = rest.toFloat();
            } else if (k == QLatin1String("answer")) {
                boxes.inputAnswers << rest;
            } else if (k == QLatin1String("busy") || k == QLatin1String("idle")) {
                G().BusyLoading = k == QLatin1String("busy");
            } else if (k == QLatin1String("model")) {
                drawing.modelShown = [] { return true; };
                drawing.paintModel = [this] { ++modelPaints; };
            } else {
                QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
            }
        }
    }
};
