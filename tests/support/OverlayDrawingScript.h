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
//   model             a model is shown (counted in modelpaints)   german  a comma locale
//   movebox X Y       the tool box moved (twips)  showbox, close    the tool box shown, its close box
//   adjust            model adjustment on (its drags listed in commands; command 8 ends it)
// Checks: counts (lines shapes polylines angles history), at X Y (a canvas pixel: "frame" or
// #rrggbb), screen X Y (the widget as shown), picks, ruler (clicks), scale, readout (the
// readout's text, "hidden"), polytext (shown/hidden), boxes (message titles, "|" between),
// prompt (the last message), asked (input prompts), repaints, modelpaints, drawbutton (the
// Drawing button), tool, checked (tool box buttons down), commands (toolbar commands the tool
// box sent), held, band (the rectangle band), line N, shape N, newest (the newest figure),
// cursor (its shape), toolbox (shown/hidden, its place and the one kept, in twips).

#include "MsgBoxRecorder.h"
#include "overlay/CanvasDrawing.h"
#include "overlay/frmDrawToolBox.h"
#include "platform/PictureBox.h"
#include "ui/Globals.h"

#include <QAction>
#include <QLineEdit>
#include <QLocale>
#include <QTest>
#include <QToolBar>

#include <functional>
#include <map>
#include <memory>

struct DrawRig {
    static inline const QColor kFrame{40, 90, 40};  // what the "video frame" paints
    std::unique_ptr<platform::PictureBox> canvas = std::make_unique<platform::PictureBox>();
    std::unique_ptr<frmDrawToolBox> toolBox = std::make_unique<frmDrawToolBox>(nullptr);
    Globals program;
    CanvasDrawing drawing{program};
    MsgBoxRecorder boxes;
    int framePaints = 0, modelPaints = 0;
    bool drawButton = false, adjusting = false;
    QStringList commands;

    DrawRig() {
        program.ToolPos.drawTool = QPoint(1500, 3000);  // where the tool box was left
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
            adjusting = adjusting && i != 8;  // the main window's command 8 ends model adjustment
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
        const int n = w.value(1).toInt(), m = w.value(2).toInt();
        const OverlayModel& v = o();
        auto number = [](double d) { return QString::number(d); };
        auto is = [&](const char* name) { return k == QLatin1String(name); };
        QStringList out;
        if (is("counts"))
            for (int c : {v.LineCount, v.ShapeCount, v.PolyLineCount, v.AngleCount, v.DrawHistoryIndex})
                out << number(c);
        if (is("at")) return colourName(canvas->Image().pixelColor(n, m));
        if (is("screen")) return colourName(canvas->grab().toImage().pixelColor(n, m));
        if (is("readout"))
            return toolBox->txtAngle->isHidden() ? QStringLiteral("hidden") : toolBox->txtAngle->text();
        if (is("polytext"))
            return toolBox->txtPolyline->isHidden() ? QStringLiteral("hidden") : QStringLiteral("shown");
        if (is("prompt")) return boxes.calls.empty() ? QString() : boxes.calls.back().prompt;
        if (is("boxes"))
            for (const auto& c : boxes.calls) out << c.title;
        if (is("asked"))
            for (const auto& c : boxes.inputs) out << c.prompt;
        if (is("boxes") || is("asked")) return out.join(QLatin1Char('|'));
        if (is("checked"))
            for (int i = 1; i <= frmDrawToolBox::kButtonCount; ++i)
                if (toolBox->Button(i) && toolBox->Button(i)->isChecked()) out << number(i);
        if (is("line")) {
            const VLine& l = v.Lines[std::size_t(n)];
            out << pt(l.X1(), l.Y1()) << pt(l.X2(), l.Y2()) << '@' + pt(l.TextX(), l.TextY())
                << v.LineLabelOf(n) << ColorOf(l.BorderColor()).name();
        }
        if (is("shape")) {
            const VShape& s = v.Shapes[std::size_t(n)];
            out << pt(s.Left(), s.Top()) << pt(s.Width(), s.Height()) << number(s.Shape())
                << ColorOf(s.BorderColor()).name();
        }
        if (is("band") && !v.Shape1.Visible) return QStringLiteral("hidden");
        if (is("band")) out << pt(v.Shape1.Left, v.Shape1.Top) << pt(v.Shape1.Width, v.Shape1.Height);
        if (is("newest") && v.DrawHistory[std::size_t(v.DrawHistoryIndex)] == kHistAngle) {
            const VAngle& a = v.Angles[std::size_t(v.AngleCount)];
            out << pt(a.X1(), a.Y1()) << pt(a.X2(), a.Y2()) << pt(a.X3(), a.Y3())
                << a.Text() + '@' + pt(a.TextX(), a.TextY());
        } else if (is("newest")) {
            const VPolyLine& p = v.PolyLines[std::size_t(v.PolyLineCount)];
            for (int i = 1; i <= p.Points(); ++i) out << pt(p.X(i), p.Y(i));
        }
        if (is("picks")) return number(v.PickCount);
        if (is("ruler")) return number(v.Ruler.RulerClicks);
        if (is("scale")) return number(v.MetresPerPixel);
        if (is("repaints")) return number(framePaints);
        if (is("modelpaints")) return number(modelPaints);
        if (is("drawbutton")) return number(drawButton);
        if (is("tool")) return number(v.DrawTool);
        if (is("held")) return number(drawing.ButtonHeld());
        if (is("cursor")) return number(canvas->cursor().shape());
        if (is("toolbox"))
            return (toolBox->isVisible() ? "shown " : "hidden ") +
                   pt(toolBox->PositionTwips().x(), toolBox->PositionTwips().y()) + " kept " +
                   pt(program.ToolPos.drawTool.x(), program.ToolPos.drawTool.y());
        if (is("commands")) return commands.join(QLatin1Char(' '));
        return out.join(QLatin1Char(' '));
    }

    void act(const QString& step) {
        const QStringList w = step.split(QLatin1Char(' '));
        const QString& k = w[0];
        const QString rest = step.section(QLatin1Char(' '), 1);
        const QPoint at(w.value(1).toInt(), w.value(2).toInt()), to(w.value(3).toInt(), w.value(4).toInt());
        platform::PictureBox* c = canvas.get();
        auto is = [&](const char* name) { return k == QLatin1String(name); };
        if (is("tool")) return drawing.ToolbarCommand(w[1].toInt());
        if (is("button"))
            return QTest::mouseClick(toolBox->Toolbar1->widgetForAction(toolBox->Button(w[1].toInt())),
                                     Qt::LeftButton);
        if (is("click") || is("right")) return click(at, is("click") ? Qt::LeftButton : Qt::RightButton);
        if (is("drag")) return drag(at, to);
        if (is("down")) return QTest::mousePress(c, Qt::LeftButton, {}, at);
        if (is("to")) return QTest::mouseMove(c, at);
        if (is("up")) return QTest::mouseRelease(c, Qt::LeftButton, {}, at);
        if (is("press")) return emit c->MouseDown(platform::vbLeftButton, 0, float(at.x()), float(at.y()));
        if (is("move")) return emit c->MouseMove(0, 0, float(at.x()), float(at.y()));
        if (is("paint")) return drawing.repaintFrame();
        if (is("undo")) return drawing.Undo();
        if (is("redo")) return drawing.Redo();
        if (is("clear")) return drawing.Clear();
        if (is("fill")) {
            while (o().NewLine()) o().AppendHistory(kHistLine);
            return;
        }
        if (is("colour")) o().Line1.BorderColor = bgr(rest);
        if (is("colour") || is("shapecolour")) return void(o().Shape1.BorderColor = bgr(rest));
        if (is("width")) return void(o().Line1.BorderWidth = o().Shape1.BorderWidth = rest.toInt());
        if (is("scale")) return void(o().MetresPerPixel = rest.toFloat());
        if (is("answer")) return void(boxes.inputAnswers << rest);
        if (is("german")) return QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        if (is("busy") || is("idle")) return void(program.BusyLoading = is("busy"));
        if (is("movebox")) return toolBox->MoveTwips(at);
        if (is("showbox") || is("close")) return is("close") ? void(toolBox->close()) : toolBox->show();
        if (is("adjust")) {
            adjusting = true;
            drawing.modelAdjustMode = [this] { return adjusting; };
            drawing.toolbarValue = [this](int i) { return i == 10 || (i == 3 && drawButton); };
            drawing.modelDragStart = [this](int x, int y) { commands << "start " + pt(x, y); };
            drawing.modelDragMove = [this](int, float x, float y) { commands << "move " + pt(x, y); };
            return;
        }
        if (is("model")) {
            drawing.modelShown = [] { return true; };
            drawing.paintModel = [this] { ++modelPaints; };
            return;
        }
        QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }

    void run(const QString& script) {
        for (const QString& step : script.split(QLatin1String("; "))) {
            const qsizetype eq = step.indexOf(QLatin1String(" = "));
            if (eq < 0) act(step);
            if (QTest::currentTestFailed()) return;
            if (eq < 0) continue;
            const QString got = read(step.left(eq).split(QLatin1Char(' ')));
            QVERIFY2(got == step.mid(eq + 3), qPrintable(step + QStringLiteral(" (read ") + got + ')'));
        }
    }
};
