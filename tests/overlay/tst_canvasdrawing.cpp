// Drawing on a real canvas through its mouse events: every tool, the rubber bands, the ruler
// and the labels that follow it, Undo and Clear, the busy-loading flag, the capacity limit, the
// hand-over to the model, and marks that stay on the picture's pixels in the main window.

#include "ClipWriter.h"
#include "MsgBoxRecorder.h"
#include "TestDesktop.h"
#include "compare/frmImageTool.h"
#include "overlay/CanvasDrawing.h"
#include "overlay/frmDrawToolBox.h"
#include "platform/FileDialog.h"
#include "platform/PictureBox.h"
#include "platform/Twips.h"
#include "shell/Globals.h"
#include "shell/MainToolbar.h"
#include "shell/frm_Main.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QLocale>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

const QColor kFrame(40, 90, 40);  // what the "video frame" paints

struct Rig {
    std::unique_ptr<platform::PictureBox> canvas = std::make_unique<platform::PictureBox>();
    std::unique_ptr<frmDrawToolBox> toolBox = std::make_unique<frmDrawToolBox>(nullptr);
    CanvasDrawing drawing;
    int framePaints = 0;

    Rig() {
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
        canvas->Image().fill(kFrame);
        drawing.ToolbarCommand(3);  // drawing on
    }
    OverlayModel& o() { return drawing.Overlay(); }
    QColor at(int x, int y) { return canvas->Image().pixelColor(x, y); }

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
    // Steps: "tool N" (toolbar command), "click X Y", "right X Y", "press X Y" (a left press
    // whose release a modal box swallowed), "move X Y" (no button held), "paint", "undo" and
    // "fill" (lines take the rest of the capacity).
    void run(const QStringList& steps) {
        for (const QString& step : steps) {
            const QStringList w = step.split(QLatin1Char(' '));
            const QPoint at = w.size() == 3 ? QPoint(w[1].toInt(), w[2].toInt()) : QPoint();
            if (w[0] == QLatin1String("tool"))
                drawing.ToolbarCommand(w[1].toInt());
            else if (w[0] == QLatin1String("click"))
                click(at);
            else if (w[0] == QLatin1String("right"))
                click(at, Qt::RightButton);
            else if (w[0] == QLatin1String("press"))
                emit canvas->MouseDown(platform::vbLeftButton, 0, float(at.x()), float(at.y()));
            else if (w[0] == QLatin1String("move"))
                emit canvas->MouseMove(0, 0, float(at.x()), float(at.y()));
            else if (w[0] == QLatin1String("paint"))
                drawing.repaintFrame();
            else if (w[0] == QLatin1String("undo"))
                drawing.Undo();
            else if (w[0] == QLatin1String("fill"))
                while (o().NewLine()) o().AppendHistory(kHistLine);
            else
                QFAIL(qPrintable(step));
        }
    }
};

}  // namespace

class TestCanvasDrawing : public QObject {
    Q_OBJECT
private slots:
    void init() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        platform::OverrideScreenMetrics(platform::ScreenMetrics{1024, 768, 96, 96, 24});
        G().BusyLoading = false;
        G().ToolPos.drawTool = QPoint(1500, 3000);
    }
    void cleanup() { platform::OverrideScreenMetrics(std::nullopt); }

    void lineWithLiveLengthAndRoundedLabel() {
        Rig r;
        r.drawing.ToolbarCommand(20);
        r.o().MetresPerPixel = 0.01f;
        QTest::mousePress(r.canvas.get(), Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseMove(r.canvas.get(), QPoint(13, 14));
        QCOMPARE(r.toolBox->txtAngle->text(), QStringLiteral(".05 m"));
        QVERIFY(!r.toolBox->txtAngle->isHidden());
        QTest::mouseRelease(r.canvas.get(), Qt::LeftButton, {}, QPoint(13, 14));
        QCOMPARE(r.o().LineCount, short(1));
        const VLine& l = r.o().Lines[1];
        QCOMPARE(QList<double>({l.X1(), l.X2(), l.Y1(), l.Y2()}), QList<double>({10, 13, 10, 14}));
        QCOMPARE(l.TextX(), 12.0);  // 11.5 to the even 12
        QCOMPARE(l.TextY(), 12.0);
        QCOMPARE(r.o().LineLabelOf(1), QStringLiteral(".05 m"));
        QCOMPARE(r.o().DrawHistoryIndex, short(1));
        QCOMPARE(r.o().DrawHistory[1], int(kHistLine));
        QVERIFY(!r.o().Line1.Visible);
        QVERIFY(!r.drawing.ButtonHeld());
    }

    void rubberBandsNeverTouchTheCanvas() {
        Rig r;
        r.o().Line1 = LineControl{0, 0, 0, 0, false, 0x000000, 1, 1};
        r.o().Shape1.BorderColor = 0x404040;
        r.o().Shape1.BorderWidth = 1;
        r.drawing.ToolbarCommand(21);
        const QImage before = r.canvas->Image().copy();
        QTest::mousePress(r.canvas.get(), Qt::LeftButton, {}, QPoint(50, 40));
        QTest::mouseMove(r.canvas.get(), QPoint(20, 60));
        const ShapeControl& s = r.o().Shape1;
        QVERIFY(s.Visible);
        QCOMPARE(QList<float>({s.Left, s.Top, s.Width, s.Height}), QList<float>({20, 40, 30, 20}));
        QCOMPARE(r.drawing.DragAnchorX(), 50.0f);
        QCOMPARE(r.canvas->Image(), before);
        // The band is on screen, above the picture.
        QCOMPARE(r.canvas->grab().toImage().pixelColor(35, 40), QColor(64, 64, 64));
        QTest::mouseRelease(r.canvas.get(), Qt::LeftButton, {}, QPoint(20, 60));
        QVERIFY(!s.Visible);
        const VShape& rec = r.o().Shapes[1];
        QCOMPARE(QList<double>({rec.Left(), rec.Top(), rec.Width(), rec.Height(), double(rec.Shape())}),
                 QList<double>({20, 40, 30, 20, 2}));
        QCOMPARE(rec.BorderColor(), 0x404040);
        // First drawn with the line's style (black), redrawn later with the record's own.
        QCOMPARE(r.at(35, 40), QColor(Qt::black));
        r.drawing.repaintFrame();
        QCOMPARE(r.at(35, 40), QColor(64, 64, 64));
        QCOMPARE(r.at(35, 50), kFrame);  // not filled
    }

    // The band and the record span the press and the pointer in both axes, however the drag
    // wandered; a press and release on one point stores nothing.
    void dragSpansPressAndPointer_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QList<QPoint>>("path");  // press, moves, release at the last
        QTest::addColumn<QList<int>>("box");      // left, top, width, height; empty: no record
        using P = QList<QPoint>;
        using B = QList<int>;
        QTest::newRow("rectangle back over the press in x")
            << 21 << P{{50, 40}, {20, 60}, {80, 60}} << B{50, 40, 30, 20};
        QTest::newRow("ellipse back over the press in y")
            << 22 << P{{50, 40}, {60, 10}, {70, 90}} << B{50, 40, 20, 50};
        QTest::newRow("rectangle back over the press in both")
            << 21 << P{{50, 40}, {20, 10}, {90, 70}} << B{50, 40, 40, 30};
        QTest::newRow("rectangle up and left") << 21 << P{{50, 40}, {80, 70}, {20, 10}} << B{20, 10, 30, 30};
        QTest::newRow("rectangle click") << 21 << P{{50, 40}} << B{};
        QTest::newRow("ellipse click") << 22 << P{{50, 40}} << B{};
        QTest::newRow("rectangle back to the press") << 21 << P{{50, 40}, {80, 70}, {50, 40}} << B{};
        QTest::newRow("line click") << 20 << P{{50, 40}} << B{};
        QTest::newRow("line back to the press") << 20 << P{{50, 40}, {90, 10}, {50, 40}} << B{};
    }
    void dragSpansPressAndPointer() {
        QFETCH(int, command);
        QFETCH(QList<QPoint>, path);
        QFETCH(QList<int>, box);
        Rig r, mirrored;  // the second with the picture flipped and halved on the canvas
        mirrored.o().SetView(QTransform(-0.5, 0, 0, 0.5, 639.25, -0.25), QRect());
        const QImage before = r.canvas->Image().copy();
        for (Rig* rig : {&mirrored, &r}) {
            rig->drawing.ToolbarCommand(command);
            QTest::mousePress(rig->canvas.get(), Qt::LeftButton, {}, path.first());
            for (qsizetype i = 1; i < path.size(); ++i) QTest::mouseMove(rig->canvas.get(), path[i]);
        }
        const ShapeControl& band = r.o().Shape1;
        if (!box.isEmpty())
            QCOMPARE(QList<float>({band.Left, band.Top, band.Width, band.Height}),
                     QList<float>(box.begin(), box.end()));
        for (Rig* rig : {&mirrored, &r}) QTest::mouseRelease(rig->canvas.get(), Qt::LeftButton, {}, path.last());
        QVERIFY(!band.Visible && !r.o().Line1.Visible);
        // Drawn where it was dragged whatever the view, then and at every redraw.
        QCOMPARE(mirrored.canvas->Image(), r.canvas->Image());
        mirrored.drawing.repaintFrame();
        r.drawing.repaintFrame();
        QCOMPARE(mirrored.canvas->Image(), r.canvas->Image());
        if (box.isEmpty()) {
            QCOMPARE(r.o().LineCount + r.o().ShapeCount + r.o().DrawHistoryIndex, 0);
            QCOMPARE(r.canvas->Image(), before);
            return;
        }
        const VShape& s = r.o().Shapes[1];
        QCOMPARE(QList<int>({int(s.Left()), int(s.Top()), int(s.Width()), int(s.Height())}), box);
        QCOMPARE(s.Shape(), command == 21 ? kDrawRectangle : kDrawEllipse);
        QCOMPARE(r.o().DrawHistoryIndex, short(1));
    }

    // Polylines and angles are made only from vertices the user placed for them: never from a
    // redraw's leftovers, never twice, and a figure refused for want of room starts empty. A
    // modal box during a press ends the press.
    void figuresNeedPointsPlacedForThem_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QList<int>>("counts");   // lines, polylines, angles, history
        QTest::addColumn<QStringList>("titles");  // message boxes shown
        QTest::addColumn<QPoint>("first");        // the newest figure's first vertex, if any
        const QString polyline2 = QStringLiteral("tool 23,click 20 20,click 60 20,right 0 0");
        const QString angle3 = QStringLiteral("tool 24,click 100 100,click 110 100,click 110 110");
        const QStringList drawingError = {QStringLiteral("Drawing Error")};
        auto steps = [](const QString& s) { return s.split(QLatin1Char(',')); };
        QTest::newRow("right click again after finishing")
            << steps(polyline2 + ",right 60 60") << QList<int>{0, 1, 0, 1} << QStringList() << QPoint(20, 20);
        QTest::newRow("right click after a redraw, drawing off")
            << steps(polyline2 + "," + angle3 + ",paint,tool 3,tool 23,right 0 0") << QList<int>{0, 1, 1, 2}
            << QStringList() << QPoint(100, 100);
        QTest::newRow("angle after a refusal")
            << steps(polyline2 + ",tool 24,fill,click 300 300,paint,undo," + angle3)
            << QList<int>{98, 1, 1, 100} << drawingError << QPoint(100, 100);
        QTest::newRow("polyline after a refusal")
            << steps(QStringLiteral("tool 23,click 20 20,click 40 20,click 60 20,click 80 20,click 100 20,"
                                    "click 120 20,right 0 0,fill,click 300 300,paint,undo,click 100 100,"
                                    "click 140 100,right 0 0"))
            << QList<int>{98, 2, 0, 100} << drawingError << QPoint(100, 100);
        QTest::newRow("ruler's length box ends the press")
            << steps(QStringLiteral("tool 26,click 100 50,press 400 450,tool 20,move 300 300,right 300 300"))
            << QList<int>{0, 0, 0, 0} << QStringList() << QPoint();
        QTest::newRow("capacity message ends the press")
            << steps(QStringLiteral(
                   "tool 24,click 10 10,click 20 10,fill,press 20 20,undo,tool 20,move 300 300,"
                   "right 300 300"))
            << QList<int>{99, 0, 0, 99} << drawingError << QPoint();
    }
    void figuresNeedPointsPlacedForThem() {
        QFETCH(QStringList, steps);
        QFETCH(QList<int>, counts);
        QFETCH(QStringList, titles);
        QFETCH(QPoint, first);
        Rig r;
        MsgBoxRecorder boxes;
        r.run(steps);
        const OverlayModel& o = r.o();
        QCOMPARE(QList<int>({o.LineCount, o.PolyLineCount, o.AngleCount, o.DrawHistoryIndex}), counts);
        QStringList shown;
        for (const auto& call : boxes.calls) shown << call.title;
        QCOMPARE(shown, titles);
        if (first.isNull()) return;
        const bool polyline = o.DrawHistory[std::size_t(o.DrawHistoryIndex)] == kHistPolyLine;
        const QPointF newest = polyline ? QPointF(o.PolyLines[std::size_t(o.PolyLineCount)].X1(),
                                                  o.PolyLines[std::size_t(o.PolyLineCount)].Y1())
                                        : QPointF(o.Angles[std::size_t(o.AngleCount)].X1(),
                                                  o.Angles[std::size_t(o.AngleCount)].Y1());
        QCOMPARE(newest, QPointF(first));
    }

    void polylineLimitAndRightClick() {
        Rig r;
        MsgBoxRecorder boxes;
        r.drawing.ToolbarCommand(23);
        r.click(QPoint(100, 100));
        r.click(QPoint(100, 100), Qt::RightButton);  // one vertex: nothing
        QCOMPARE(r.o().PolyLineCount, short(0));
        QCOMPARE(r.at(101, 100), QColor(128, 0, 0));  // its cross
        QCOMPARE(r.at(103, 100), QColor(128, 0, 0));
        for (int i = 1; i < 6; ++i) r.click(QPoint(100 + 40 * i, 100 + (i % 2) * 50));
        QCOMPARE(r.o().PickCount, short(6));
        QVERIFY(boxes.calls.empty());
        r.click(QPoint(400, 400));
        QCOMPARE(boxes.calls.size(), std::size_t(1));
        QCOMPARE(boxes.calls[0].prompt, QStringLiteral("Polyline can have only 5 lines (6 points)"));
        QCOMPARE(boxes.calls[0].title, QStringLiteral("Polyline Error"));
        QCOMPARE(boxes.calls[0].style, int(platform::vbExclamation));
        QCOMPARE(r.o().PickCount, short(6));
        r.o().Line1.BorderColor = 0xFF0000;
        r.click(QPoint(10, 10), Qt::RightButton);
        QCOMPARE(r.o().PolyLineCount, short(1));
        QCOMPARE(r.o().PolyLines[1].Points(), 6);
        QCOMPARE(r.o().PolyLines[1].X6(), 300.0);
        QVERIFY(r.o().FigureDone);
        QCOMPARE(r.at(120, 125), QColor(Qt::blue));  // on the first segment (100,100)-(140,150)
        // A further left click starts a new figure.
        r.click(QPoint(500, 50));
        QCOMPARE(r.o().PickCount, short(1));
        QVERIFY(!r.o().FigureDone);
    }

    void rightPressHistoryOnlyWhenFinishing() {
        Rig r;
        r.drawing.ToolbarCommand(20);
        r.drag(QPoint(10, 300), QPoint(200, 300));
        r.drawing.ToolbarCommand(21);
        r.drag(QPoint(300, 300), QPoint(350, 350));
        // A right press and release with the rectangle tool makes nothing.
        r.click(QPoint(400, 400), Qt::RightButton);
        QCOMPARE(r.o().DrawHistoryIndex, short(2));
        r.drawing.Undo();
        r.drawing.Undo();
        QCOMPARE(r.o().LineCount + r.o().ShapeCount, 0);
        const int paints = r.framePaints;
        r.drawing.Undo();  // empty: no repaint either
        QCOMPARE(r.framePaints, paints);
    }

    void angleFromThreeCrosses() {
        Rig r;
        r.drawing.ToolbarCommand(24);
        r.o().Line1.BorderColor = 0x00FF00;
        r.click(QPoint(100, 100));
        r.click(QPoint(110, 100));
        QCOMPARE(r.o().AngleCount, short(0));
        r.click(QPoint(110, 110));
        QCOMPARE(r.o().AngleCount, short(1));
        const VAngle& a = r.o().Angles[1];
        QCOMPARE(QList<double>({a.X2(), a.Y2(), a.TextX(), a.TextY()}), QList<double>({110, 100, 110, 100}));
        QCOMPARE(a.Text(), QStringLiteral("90"));
        QCOMPARE(r.toolBox->txtAngle->text(), QStringLiteral("90 deg"));
        QCOMPARE(r.o().DrawHistory[1], int(kHistAngle));
        QCOMPARE(r.at(105, 100), QColor(Qt::green));
        // The fourth click starts a new angle.
        r.click(QPoint(300, 300));
        QCOMPARE(r.o().PickCount, short(1));
        QCOMPARE(r.o().AngleCount, short(1));
    }

    void rulerCalibration() {
        Rig r;
        MsgBoxRecorder boxes;
        r.drawing.ToolbarCommand(26);
        boxes.inputAnswers << QStringLiteral("1");
        r.click(QPoint(100, 50));
        QCOMPARE(r.o().Ruler.RulerClicks, short(1));
        QCOMPARE(r.at(102, 50), QColor(128, 0, 0));
        const int paints = r.framePaints;
        r.click(QPoint(400, 450));
        QCOMPARE(r.o().Ruler.RulerClicks, short(0));
        QCOMPARE(boxes.inputs.size(), std::size_t(1));
        QCOMPARE(boxes.inputs[0].prompt, QStringLiteral("Enter distance in Meters"));
        QCOMPARE(r.o().MetresPerPixel, 0.002f);
        QCOMPARE(r.framePaints, paints + 1);
        QCOMPARE(r.at(102, 50), kFrame);  // the crosses are gone

        // Bad answers: never a crash, never a NaN or infinite scale; the count resets anyway.
        r.drawing.ToolbarCommand(26);
        const QStringList answers = {QStringLiteral("abc"), QStringLiteral("0")};
        const QList<float> expected = {0.002f, 0.0f};
        for (int i = 0; i < answers.size(); ++i) {
            boxes.inputAnswers << answers[i];
            r.click(QPoint(100, 50));
            r.click(QPoint(400, 450));
            QCOMPARE(r.o().Ruler.RulerClicks, short(0));
            QCOMPARE(r.o().MetresPerPixel, expected[i]);
        }
    }

    void busyLoadingIgnoresPresses() {
        Rig r;
        r.drawing.ToolbarCommand(20);
        r.drag(QPoint(10, 10), QPoint(50, 50));
        QCOMPARE(r.o().LineCount, short(1));
        G().BusyLoading = true;
        r.drag(QPoint(100, 100), QPoint(200, 200));
        r.click(QPoint(300, 300));
        G().BusyLoading = false;
        // The releases did not repeat the last line either.
        QCOMPARE(r.o().LineCount, short(1));
        QCOMPARE(r.o().DrawHistoryIndex, short(1));
        QCOMPARE(r.at(150, 150), kFrame);
        // Drawing off: presses make nothing.
        r.drawing.ToolbarCommand(3);
        r.drag(QPoint(100, 100), QPoint(200, 200));
        QCOMPARE(r.o().LineCount, short(1));
        // A drag that leaves the picture does no harm.
        r.drawing.ToolbarCommand(3);
        r.drag(QPoint(600, 400), QPoint(900, 700));
        QCOMPARE(r.o().LineCount, short(2));
        QCOMPARE(r.o().Lines[2].X2(), 900.0);
    }

    void capacityRefusesTheHundredAndFirst() {
        Rig r;
        MsgBoxRecorder boxes;
        r.drawing.ToolbarCommand(20);
        for (int i = 0; i < 100; ++i) r.drag(QPoint(5 + i * 6, 10), QPoint(5 + i * 6, 60));
        QCOMPARE(r.o().LineCount, short(100));
        QVERIFY(boxes.calls.empty());
        r.drag(QPoint(10, 200), QPoint(300, 200));
        QCOMPARE(r.o().LineCount, short(100));
        QCOMPARE(r.o().DrawHistoryIndex, short(100));
        QCOMPARE(boxes.calls.size(), std::size_t(1));
        QCOMPARE(boxes.calls[0].title, QStringLiteral("Drawing Error"));
        QVERIFY(boxes.calls[0].prompt.contains(QStringLiteral("100")));
        QCOMPARE(r.at(150, 200), kFrame);
        QCOMPARE(r.o().Lines[100].X1(), 599.0);
        // Other kinds are refused too, before any vertex is placed.
        r.drawing.ToolbarCommand(24);
        r.click(QPoint(300, 300));
        QCOMPARE(r.o().PickCount, short(0));
        QCOMPARE(boxes.calls.size(), std::size_t(2));
        r.drawing.Undo();
        r.click(QPoint(300, 300));
        QCOMPARE(r.o().PickCount, short(1));
    }

    void clearRemovesAllAndPressesDrawing() {
        Rig r;
        r.drawing.ToolbarCommand(20);
        r.drag(QPoint(10, 100), QPoint(600, 100));
        r.drawing.ToolbarCommand(3);  // drawing off: button 3 up
        r.drawing.ToolbarCommand(25);
        QCOMPARE(r.o().LineCount, short(0));
        QCOMPARE(r.o().DrawHistoryIndex, short(0));
        QCOMPARE(r.at(300, 100), kFrame);
        r.drawing.Undo();  // the line comes back, and goes again with Redo
        QCOMPARE(r.at(300, 100), ColorOf(kDefaultMarkColor));
        r.drawing.Redo();
        QCOMPARE(r.at(300, 100), kFrame);
        QVERIFY(r.o().CurrentPen());
        // A tool is chosen, so the Drawing button is shown pressed.
        bool pressed = false;
        r.drawing.setToolbarValue = [&](int i, bool v) {
            if (i == 3) pressed = v;
        };
        r.drawing.ToolbarCommand(25);
        QVERIFY(pressed);
    }

    void undoRepaintsTheModelWhenShown() {
        Rig r;
        int modelPaints = 0;
        r.drawing.modelShown = [] { return true; };
        r.drawing.paintModel = [&] { ++modelPaints; };
        r.drawing.ToolbarCommand(20);
        r.drag(QPoint(10, 100), QPoint(600, 100));
        r.drawing.Undo();
        QCOMPARE(modelPaints, 1);
        r.drawing.Clear();
        QCOMPARE(modelPaints, 2);
    }

    void drawingCommandShowsAndHidesTheToolBox() {
        Rig r;  // drawing is on
        QVERIFY(r.o().DrawingOn);
        QVERIFY(r.toolBox->isVisible());
        QCOMPARE(r.toolBox->PositionTwips(), QPoint(1500, 3000));
        QCOMPARE(r.canvas->cursor().shape(), Qt::CrossCursor);
        r.toolBox->MoveTwips(QPoint(3000, 4500));
        r.drawing.ToolbarCommand(3);
        QVERIFY(!r.o().DrawingOn);
        QVERIFY(r.toolBox->isHidden());
        QCOMPARE(G().ToolPos.drawTool, QPoint(3000, 4500));
        // Model adjustment is switched off first.
        QList<int> commands;
        bool adjust = true;
        r.drawing.modelAdjustMode = [&] { return adjust; };
        r.drawing.toolbarClick = [&](int i) {
            commands << i;
            adjust = false;
        };
        r.drawing.ToolbarCommand(3);
        QCOMPARE(commands, QList<int>({8}));
        QVERIFY(r.o().DrawingOn);
    }

    // A line's label follows the scale: pixels before the ruler, metres after, and a line drawn
    // before a calibration reads exactly as one drawn after it.
    void labelsFollowTheRuler_data() {
        QTest::addColumn<QStringList>("answers");  // ruler lengths given, in order
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("german");
        QTest::newRow("uncalibrated") << QStringList() << QStringLiteral("250 px") << false;
        QTest::newRow("calibrated") << QStringList{QStringLiteral("1")} << QStringLiteral(".5 m") << false;
        QTest::newRow("recalibrated") << QStringList{"1", "2"} << QStringLiteral("1. m") << false;
        QTest::newRow("comma locale") << QStringList{"0,5", "1"} << QStringLiteral(",5 m") << true;
    }
    void labelsFollowTheRuler() {
        QFETCH(QStringList, answers);
        QFETCH(QString, label);
        QFETCH(bool, german);
        if (german) QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        MsgBoxRecorder boxes;
        auto calibrate = [&](Rig& r) {
            r.drawing.ToolbarCommand(26);
            for (const QString& answer : answers) {
                boxes.inputAnswers << answer;
                r.run({QStringLiteral("click 100 50"), QStringLiteral("click 400 450")});
            }
        };
        Rig before, after;
        for (Rig* r : {&before, &after}) {
            if (r == &after) calibrate(*r);
            r->drawing.ToolbarCommand(20);
            QTest::mousePress(r->canvas.get(), Qt::LeftButton, {}, QPoint(100, 100));
            QTest::mouseMove(r->canvas.get(), QPoint(250, 300));
            const QString readout = r->toolBox->txtAngle->text();  // while dragging
            QTest::mouseRelease(r->canvas.get(), Qt::LeftButton, {}, QPoint(250, 300));
            if (r == &before) calibrate(*r);
            QCOMPARE(r->o().LineLabelOf(1), label);
            if (r == &after) QCOMPARE(readout, label);
        }
        for (Rig* r : {&before, &after}) r->drawing.repaintFrame();
        QCOMPARE(before.canvas->Image(), after.canvas->Image());
    }

    // Marks stay on the picture's pixels in the main window: drawn in one view, they show over
    // the same picture column in another (the clip's red channel is its column), and not at
    // all where that column is not shown.
    void marksStayOnThePicture_data() {
        QTest::addColumn<QSize>("canvas");  // empty: the window's own
        QTest::addColumn<QStringList>("drawIn");
        QTest::addColumn<QStringList>("thenShow");
        QTest::addColumn<bool>("shown");
        const QStringList none;
        const QStringList flip{QStringLiteral("flip")};
        QTest::newRow("full view") << QSize() << none << none << true;
        QTest::newRow("flip x") << QSize() << none << flip << true;
        QTest::newRow("split, panned to it") << QSize() << none << QStringList{"split", "pan 0"} << true;
        QTest::newRow("split, panned away") << QSize() << none << QStringList{"split", "pan max"} << false;
        QTest::newRow("drawn split, flipped and panned")
            << QSize() << QStringList{"split", "pan 40", "flip"} << QStringList{"flip", "full"} << true;
        QTest::newRow("smaller canvas, flip x") << QSize(300, 150) << none << flip << true;
        // Zoom: "zoom X Y N" turns the wheel N notches with Ctrl at the fraction X, Y of the
        // picture; "pan DX DY" drags with the middle button; "whole" is the toolbar's reset.
        QTest::newRow("zoomed about the mark") << QSize() << none << QStringList{"zoom .25 .5 4"} << true;
        QTest::newRow("zoomed to the full eight times")
            << QSize() << none << QStringList{"zoom .25 .5 20"} << true;
        QTest::newRow("zoomed, mark off the canvas")
            << QSize() << none << QStringList{"zoom .9 .5 8"} << false;
        QTest::newRow("zoomed, panned with the middle button")
            << QSize() << none << QStringList{"zoom .5 .5 6", "pan 300 -30"} << true;
        QTest::newRow("zoomed, flipped") << QSize() << none << QStringList{"zoom .7 .3 5", "flip"} << true;
        QTest::newRow("zoomed, back to the whole frame")
            << QSize() << none << QStringList{"zoom .9 .5 8", "whole"} << true;
        QTest::newRow("drawn zoomed and flipped, shown whole")
            << QSize() << QStringList{"zoom .3 .6 7", "flip", "pan -15 10"} << QStringList{"whole", "flip"}
            << true;
        QTest::newRow("no zoom while a clip loads")
            << QSize() << none << QStringList{"busy", "zoom .9 .5 8", "whole", "idle"} << true;
        QTest::newRow("split view refuses the zoom")
            << QSize() << none << QStringList{"split", "pan 0", "zoom .1 .5 6", "pan 40 0"} << true;
    }
    void marksStayOnThePicture() {
        QFETCH(QSize, canvas);
        QFETCH(QStringList, drawIn);
        QFETCH(QStringList, thenShow);
        QFETCH(bool, shown);
        TestDesktop desktop;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("columns.avi"));
        QImage columns(256, 160, QImage::Format_RGB32);
        for (int y = 0; y < columns.height(); ++y)
            for (int x = 0; x < columns.width(); ++x) columns.setPixel(x, y, qRgb(x, 0, 100));
        cliptools::ClipSpec clipFormat;
        clipFormat.width = columns.width();
        clipFormat.height = columns.height();
        clipFormat.codec = cliptools::Codec::RawBGR24;
        QVERIFY(cliptools::WriteClip(path, clipFormat, 2, [&](int) { return columns; }));
        platform::SetFileDialogAnswerer([&](const platform::FileDialogRequest&) {
            return platform::FileDialogResult{true, path, {}, 1, false};
        });
        frm_Main w;
        if (!canvas.isEmpty()) w.pic_video->resize(canvas);
        w.Toolbar_Click(1);
        platform::SetFileDialogAnswerer({});
        auto apply = [&](const QStringList& steps) {
            for (const QString& step : steps) {
                const QStringList a = step.split(QLatin1Char(' '));
                if (a[0] == QLatin1String("zoom")) {
                    // The picture's column under the pointer stays under it (read in the shown
                    // part's top row, clear of the marks; red is the column).
                    const QRect fitted = w.Video1.CanvasRect();
                    const QPoint at(fitted.x() + int(fitted.width() * a[1].toDouble()),
                                    fitted.y() + int(fitted.height() * a[2].toDouble()));
                    const auto columnAt = [&](int x) {
                        const QRect part = w.CanvasGeometry().frameCanvas & w.pic_video->Image().rect();
                        return qRed(w.pic_video->Image().pixel(x, part.y() + 1));
                    };
                    const int before = columnAt(at.x());
                    QWheelEvent wheel(at, w.pic_video->mapToGlobal(at), QPoint(),
                                      QPoint(0, 120 * a[3].toInt()), Qt::NoButton, Qt::ControlModifier,
                                      Qt::NoScrollPhase, false);
                    QApplication::sendEvent(w.pic_video, &wheel);
                    QVERIFY(std::abs(columnAt(at.x()) - before) <= 1);
                } else if (a.size() == 3 && a[0] == QLatin1String("pan")) {
                    const QPoint from = w.pic_video->rect().center(),
                                 to = from + QPoint(a[1].toInt(), a[2].toInt());
                    QTest::mousePress(w.pic_video, Qt::MiddleButton, {}, from);
                    QTest::mouseMove(w.pic_video, to);
                    QTest::mouseRelease(w.pic_video, Qt::MiddleButton, {}, to);
                } else if (step == QLatin1String("busy") || step == QLatin1String("idle")) {
                    G().BusyLoading = step == QLatin1String("busy");
                } else if (step == QLatin1String("whole")) {
                    w.findChild<QAction*>(QStringLiteral("WholeFrame"))->trigger();
                    QCOMPARE(w.CanvasGeometry().frameCanvas, w.Video1.CanvasRect());
                } else if (step == QLatin1String("flip"))
                    w.ImageTool->chkFlag[2]->setChecked(!w.ImageTool->chkFlag[2]->isChecked());
                else if (step == QLatin1String("split") || step == QLatin1String("full"))
                    w.mnuTools_Click(step == QLatin1String("split") ? 7 : 6);
                else
                    w.hscrAvi1->setValue(step.endsWith(QLatin1String("max")) ? w.hscrAvi1->maximum()
                                                                              : step.section(' ', 1).toInt());
            }
        };
        const QImage& img = w.pic_video->Image();
        const QColor mark(0, 255, 0);  // never in the clip
        apply(drawIn);
        // A vertical polyline over the picture column a quarter in from the shown part's left.
        const QRect shownRect = w.CanvasGeometry().frameCanvas & img.rect();
        const int x = shownRect.x() + shownRect.width() / 4;
        const int column = qRed(img.pixel(x, shownRect.y() + 1));
        w.Toolbar_Click(3);
        w.Toolbar_Click(23);
        w.Drawing->Overlay().Line1.BorderColor = 0x00FF00;
        w.Drawing->Overlay().Line1.BorderWidth = 1;
        const int top = shownRect.y() + shownRect.height() / 3, bottom = top + shownRect.height() / 3;
        for (int y : {top, bottom}) QTest::mouseClick(w.pic_video, Qt::LeftButton, {}, QPoint(x, y));
        QTest::mouseClick(w.pic_video, Qt::RightButton, {}, QPoint(x, bottom));
        QCOMPARE(w.Drawing->Overlay().PolyLineCount, short(1));
        if (drawIn.isEmpty()) QCOMPARE(img.pixelColor(x, (top + bottom) / 2), mark);  // as drawn
        apply(thenShow);
        // Every mark pixel lies over that column, inside video 1's part of the canvas, and the
        // mark keeps its width on the screen whatever the zoom.
        const QRect now = w.CanvasGeometry().frameCanvas & img.rect();
        int marked = 0;
        for (int cy = 0; cy < img.height(); ++cy) {
            int inRow = 0;
            for (int cx = 0; cx < img.width(); ++cx) {
                if (img.pixelColor(cx, cy) != mark) continue;
                ++marked;
                ++inRow;
                QVERIFY(now.contains(cx, cy));
                // The picture under it: a pixel of the same canvas column clear of the mark, or,
                // where the mark runs down the whole canvas, the one beside it.
                QPoint clear(cx, now.y() + 1);
                while (clear.y() < now.bottom() && img.pixelColor(clear) == mark) clear.ry()++;
                while (img.pixelColor(clear) == mark && clear.x() < now.right()) clear.rx()++;
                QVERIFY(std::abs(qRed(img.pixel(clear)) - column) <= 1);
            }
            QVERIFY(inRow <= 2);
        }
        QCOMPARE(marked > 0, shown);
    }

    void modelAdjustmentTakesTheMouse() {
        Rig r;
        r.drawing.ToolbarCommand(3);  // drawing off, as the adjust command would do
        QPoint start;
        QList<QPointF> moves;
        r.drawing.modelAdjustMode = [] { return true; };
        r.drawing.modelDragStart = [&](int x, int y) { start = QPoint(x, y); };
        r.drawing.modelDragMove = [&](int, float x, float y) { moves << QPointF(x, y); };
        r.drawing.toolbarValue = [](int i) { return i == 10; };
        r.drag(QPoint(30, 40), QPoint(70, 80));
        QCOMPARE(start, QPoint(30, 40));
        QCOMPARE(moves.size(), 2);
        QCOMPARE(moves.last(), QPointF(70, 80));
        QCOMPARE(r.canvas->cursor().shape(), Qt::ForbiddenCursor);
        QVERIFY(!r.drawing.ButtonHeld());
        QCOMPARE(r.o().DrawHistoryIndex, short(0));
    }
};

QTEST_MAIN(TestCanvasDrawing)
#include "tst_canvasdrawing.moc"
