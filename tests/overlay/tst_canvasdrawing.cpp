// Drawing on a real canvas through its mouse events: every tool, the rubber bands, the ruler
// and the labels that follow it, Undo and Clear, the busy-loading flag, the capacity limit, the
// hand-over to the model, and marks that stay on the picture's pixels in the main window.

#include "OverlayDrawingScript.h"
#include "CompareWindowFixture.h"
#include "platform/Twips.h"

#include <QApplication>
#include <QLocale>
#include <QRegularExpression>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

class TestCanvasDrawing : public QObject {
    Q_OBJECT
private slots:
    void init() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        platform::OverrideScreenMetrics(platform::ScreenMetrics{1024, 768, 96, 96, 24});
    }
    void cleanup() { platform::OverrideScreenMetrics(std::nullopt); }

    // Scripts of OverlayDrawingScript.h; counts are lines, shapes, polylines, angles, history.
    void scripts_data() {
        QTest::addColumn<QString>("script");
        const QString polyline2 = QStringLiteral("tool 23; click 20 20; click 60 20; right 0 0; ");
        const QString angle3 = QStringLiteral("tool 24; click 100 100; click 110 100; click 110 110; ");
        const QString angleRecord = QStringLiteral("newest = 100,100 110,100 110,110 90@110,100");
        QTest::newRow("a line's length shown while dragged, its label's place rounded")
            << "tool 20; scale 0.01; down 10 10; to 13 14; readout = .05 m; held = 1; up 13 14; held = 0; "
               "counts = 1 0 0 0 1; line 1 = 10,10 13,14 @12,12 .05 m #ffff00";
        // A new shape is first drawn in the line's colour, then redrawn in its own.
        QTest::newRow("the band is shown above the picture, never on it")
            << "colour #000000; width 1; shapecolour #404040; tool 21; down 50 40; to 20 60; band = 20,40 "
               "30,20; at 35 40 = frame; screen 35 40 = #404040; up 20 60; band = hidden; shape 1 = 20,40 "
               "30,20 2 #404040; at 35 40 = #000000; paint; at 35 40 = #404040; at 35 50 = frame";
        // Polylines and angles are made only from vertices the user placed for them: never from a
        // redraw's leftovers, never twice, and a figure refused for want of room starts empty. A
        // modal box during a press ends the press.
        QTest::newRow("right click again after finishing")
            << polyline2 + "right 60 60; counts = 0 0 1 0 1; boxes = ; newest = 20,20 60,20";
        QTest::newRow("right click after a redraw, drawing off")
            << polyline2 + angle3 + "paint; tool 3; tool 23; right 0 0; counts = 0 0 1 1 2; boxes = ; " +
                   angleRecord;
        QTest::newRow("angle after a refusal")
            << polyline2 + "tool 24; fill; click 300 300; paint; undo; " + angle3 +
                   "counts = 98 0 1 1 100; boxes = Drawing Error; " + angleRecord;
        QTest::newRow("polyline after a refusal")
            << "tool 23; click 20 20; click 40 20; click 60 20; click 80 20; click 100 20; click 120 20; "
               "right 0 0; fill; click 300 300; paint; undo; click 100 100; click 140 100; right 0 0; "
               "counts = 98 0 2 0 100; boxes = Drawing Error; newest = 100,100 140,100";
        QTest::newRow("ruler's length box ends the press")
            << "tool 26; click 100 50; press 400 450; tool 20; move 300 300; readout = hidden; "
               "right 300 300; counts = 0 0 0 0 0; boxes = ";
        QTest::newRow("capacity message ends the press")
            << "tool 24; click 10 10; click 20 10; fill; press 20 20; undo; tool 20; move 300 300; right "
               "300 300; counts = 99 0 0 0 99; boxes = Drawing Error";
        QTest::newRow("polyline: six vertices at most, a right click finishes it")
            << "tool 23; click 100 100; right 100 100; counts = 0 0 0 0 0; at 101 100 = #800000; at 103 100 "
               "= #800000; click 140 150; click 180 100; click 220 150; click 260 100; click 300 150; picks "
               "= 6; boxes = ; click 400 400; boxes = Polyline Error; prompt = Polyline can have only 5 "
               "lines (6 points); picks = 6; colour #0000ff; right 10 10; counts = 0 0 1 0 1; newest = "
               "100,100 140,150 180,100 220,150 260,100 300,150; at 120 125 = #0000ff; click 500 50; picks "
               "= 1";
        QTest::newRow("a right press with a drag tool records nothing; Undo of nothing paints nothing")
            << "tool 20; drag 10 300 200 300; tool 21; drag 300 300 350 350; right 400 400; counts = 1 1 0 "
               "0 2; undo; undo; counts = 0 0 0 0 0; repaints = 2; undo; repaints = 2";
        QTest::newRow("angle from three crosses, a fourth starts the next")
            << "tool 24; colour #00ff00; click 100 100; click 110 100; counts = 0 0 0 0 0; click 110 110; "
               "counts = 0 0 0 1 1; " +
                   angleRecord +
                   "; readout = 90 deg; at 105 100 = #00ff00; click 300 300; picks = 1; counts = 0 0 0 1 1";
        // Bad answers: never a crash, never a NaN or infinite scale; the count resets anyway.
        QTest::newRow("ruler calibration")
            << "tool 26; answer 1; click 100 50; ruler = 1; at 102 50 = #800000; click 400 450; ruler = 0; "
               "asked = Enter distance in Meters; scale = 0.002; repaints = 1; at 102 50 = frame; answer "
               "abc; click 100 50; click 400 450; ruler = 0; scale = 0.002; answer 0; click 100 50; click "
               "400 450; ruler = 0; scale = 0";
        QTest::newRow("no drawing while loading or with drawing off; drags may leave the picture")
            << "tool 20; drag 10 10 50 50; busy; drag 100 100 200 200; click 300 300; idle; counts = 1 0 0 "
               "0 1; at 150 150 = frame; tool 3; drag 100 100 200 200; counts = 1 0 0 0 1; tool 3; drag 600 "
               "400 900 700; counts = 2 0 0 0 2; line 2 = 600,400 900,700 @750,550 424 px #ffff00";
        QTest::newRow("capacity refuses the hundred and first, of every kind")
            << "tool 20; fill; drag 10 200 300 200; counts = 100 0 0 0 100; boxes = Drawing Error; prompt = "
               "The picture already holds 100 marks, as many as it can keep. Use Undo or Clear to make room "
               "for a new one.; at 150 200 = frame; line 100 = 0,0 0,0 @0,0 0 px #000000; tool 24; click "
               "300 300; picks = 0; boxes = Drawing Error|Drawing Error; undo; click 300 300; picks = 1";
        QTest::newRow("Clear removes all and presses Drawing; Undo and Redo it")
            << "tool 20; drag 10 100 600 100; tool 3; drawbutton = 0; tool 25; drawbutton = 1; counts = 0 0 "
               "0 0 0; at 300 100 = frame; undo; at 300 100 = #ffff00; redo; at 300 100 = frame";
        // A line's label follows the scale: pixels before the ruler, metres after, whenever drawn.
        const QString line = QStringLiteral("100,100 250,300 @175,200 ");
        QTest::newRow("labels follow the ruler")
            << "tool 20; drag 100 100 250 300; line 1 = " + line +
                   "250 px #ffff00; tool 26; answer 1; click 100 50; "
                   "click 400 450; line 1 = " +
                   line +
                   ".5 m #ffff00; answer 2; click 100 50; click 400 450; tool 20; "
                   "down 100 100; to 250 300; readout = 1. m; up 250 300; line 1 = " +
                   line + "1. m #ffff00; line 2 = " + line + "1. m #ffff00";
        QTest::newRow("labels in a comma locale") << "german; tool 26; answer 0,5; click 100 50; click 400 "
                                                     "450; scale = 0.001; tool 20; down 100 100; "
                                                     "to 250 300; readout = ,25 m; up 250 300; line 1 = " +
                                                         line + ",25 m #ffff00";
        // Model adjustment is switched off before drawing is switched on; while on, it takes the mouse.
        QTest::newRow("the Drawing command shows and hides the tool box where it was")
            << "toolbox = shown 1500,3000 kept 1500,3000; cursor = 2; movebox 3000 4500; tool 3; toolbox = "
               "hidden 3000,4500 kept 3000,4500; cursor = 0; adjust; tool 3; commands = 8; toolbox = shown "
               "3000,4500 kept 3000,4500; drawbutton = 1";
        QTest::newRow("model adjustment takes the mouse")
            << "tool 3; adjust; drag 30 40 70 80; commands = start 30,40 move 50,60 move 70,80; cursor = "
               "14; held = 0; counts = 0 0 0 0 0";
        QTest::newRow("Undo and Clear repaint a model shown")
            << "model; tool 20; drag 10 100 600 100; undo; modelpaints = 1; clear; modelpaints = 2";
    }
    void scripts() {
        QFETCH(QString, script);
        DrawRig r;
        r.run(script);
    }

    // The band and the record span the press and the pointer in both axes, however the drag
    // wandered; a press and release on one point stores nothing. Drawn where it was dragged
    // whatever the view: a rig with the picture flipped and halved runs the same steps.
    void mirroredDrags_data() {
        QTest::addColumn<QString>("script");
        QTest::newRow("rectangle back over the press in x")
            << "tool 21; down 50 40; to 20 60; to 80 60; band = 50,40 30,20; up 80 60; counts = 0 1 0 0 1; "
               "shape 1 = 50,40 30,20 2 #ffff00";
        QTest::newRow("ellipse back over the press in y")
            << "tool 22; down 50 40; to 60 10; to 70 90; band = 50,40 20,50; up 70 90; shape 1 = 50,40 "
               "20,50 3 #ffff00";
        QTest::newRow("rectangle up and left")
            << "tool 21; down 50 40; to 80 70; to 20 10; band = 20,10 30,30; up 20 10; shape 1 = 20,10 "
               "30,30 2 #ffff00";
        QTest::newRow("rectangle click") << "tool 21; down 50 40; up 50 40; counts = 0 0 0 0 0";
        QTest::newRow("rectangle back to the press")
            << "tool 21; down 50 40; to 80 70; to 50 40; up 50 40; counts = 0 0 0 0 0";
        QTest::newRow("line back to the press")
            << "tool 20; down 50 40; to 90 10; to 50 40; up 50 40; counts = 0 0 0 0 0";
    }
    void mirroredDrags() {
        QFETCH(QString, script);
        DrawRig r, mirrored;
        mirrored.o().SetView(QTransform(-0.5, 0, 0, 0.5, 639.25, -0.25), QRect());
        const QImage before = r.canvas->Image().copy();
        r.run(script);
        mirrored.run(script.split(QLatin1String("; "))
                         .filter(QRegularExpression(QStringLiteral("^[a-z]+( -?\\d+)*$")))
                         .join(QLatin1String("; ")));
        QVERIFY(!r.o().Shape1.Visible && !r.o().Line1.Visible);
        QCOMPARE(mirrored.canvas->Image(), r.canvas->Image());
        mirrored.drawing.repaintFrame();
        r.drawing.repaintFrame();
        QCOMPARE(mirrored.canvas->Image(), r.canvas->Image());
        if (r.o().DrawHistoryIndex == 0) QCOMPARE(r.canvas->Image(), before);
    }

    // Marks stay on the picture's pixels in the main window: drawn in one view, they show over
    // the same picture column in another (the clip's red channel is its column), and not at
    // all where that column is not shown.
    void marksStayOnThePicture_data() {
        QTest::addColumn<QSize>("canvas");  // empty: the window's own
        QTest::addColumn<QStringList>("drawIn");
        QTest::addColumn<QStringList>("thenShow");
        QTest::addColumn<bool>("shown");
        auto row = [](const char* name, const char* drawIn, const char* thenShow, bool shown,
                      QSize canvas = {}) {
            auto steps = [](const char* s) {
                return QString::fromLatin1(s).split(QLatin1String(", "), Qt::SkipEmptyParts);
            };
            QTest::newRow(name) << canvas << steps(drawIn) << steps(thenShow) << shown;
        };
        row("full view", "", "", true);
        row("flip x", "", "flip", true);
        row("split, panned to it", "", "split, pan 0", true);
        row("split, panned away", "", "split, pan max", false);
        row("drawn split, flipped and panned", "split, pan 40, flip", "flip, full", true);
        row("smaller canvas, flip x", "", "flip", true, QSize(300, 150));
        // Zoom: "zoom X Y N" turns the wheel N notches with Ctrl at the fraction X, Y of the
        // picture; "pan DX DY" drags with the middle button; "whole" is the toolbar's reset.
        row("zoomed about the mark", "", "zoom .25 .5 4", true);
        row("zoomed to the full eight times", "", "zoom .25 .5 20", true);
        row("zoomed, mark off the canvas", "", "zoom .9 .5 8", false);
        row("zoomed, panned with the middle button", "", "zoom .5 .5 6, pan 300 -30", true);
        row("zoomed, flipped", "", "zoom .7 .3 5, flip", true);
        row("zoomed, back to the whole frame", "", "zoom .9 .5 8, whole", true);
        row("drawn zoomed and flipped, shown whole", "zoom .3 .6 7, flip, pan -15 10", "whole, flip", true);
        row("no zoom while a clip loads", "", "busy, zoom .9 .5 8, whole, idle", true);
        row("split view refuses the zoom", "", "split, pan 0, zoom .1 .5 6, pan 40 0", true);
    }
    void marksStayOnThePicture() {
        QFETCH(QSize, canvas);
        QFETCH(QStringList, drawIn);
        QFETCH(QStringList, thenShow);
        QFETCH(bool, shown);
        TestDesktop desktop;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("columns.avi"));
        QImage row(256, 1, QImage::Format_RGB32);
        for (int x = 0; x < row.width(); ++x) row.setPixel(x, 0, qRgb(x, 0, 100));
        const cliptools::ClipRecipe format{.width = 256, .height = 160, .codec = cliptools::Codec::RawBGR24};
        QVERIFY(cliptools::WriteClip(path, format, 2, [&](int) { return row.scaled(256, 160); }));
        platform::SetFileDialogAnswerer([&](auto&) {
            return platform::FileDialogResult{true, path, {}, 1, false};
        });
        frm_Main w;
        if (!canvas.isEmpty()) w.pic_video->resize(canvas);
        w.Toolbar_Click(1);
        platform::SetFileDialogAnswerer({});
        auto apply = [&](const QStringList& steps) {
            for (const QString& step : steps) {
                const QStringList a = step.split(QLatin1Char(' '));
                const QImage& img = w.pic_video->Image();
                if (a[0] == QLatin1String("zoom")) {
                    // The picture's column under the pointer stays under it (read in the shown
                    // part's top row, clear of the marks; red is the column).
                    const QRect fitted = w.Video1.CanvasRect();
                    const QPoint at(fitted.x() + int(fitted.width() * a[1].toDouble()),
                                    fitted.y() + int(fitted.height() * a[2].toDouble()));
                    auto column = [&] {
                        return qRed(img.pixel(at.x(), (w.CanvasGeometry().frameCanvas & img.rect()).y() + 1));
                    };
                    const int before = column();
                    QWheelEvent wheel(at, w.pic_video->mapToGlobal(at), QPoint(),
                                      QPoint(0, 120 * a[3].toInt()), Qt::NoButton, Qt::ControlModifier,
                                      Qt::NoScrollPhase, false);
                    QApplication::sendEvent(w.pic_video, &wheel);
                    QVERIFY(std::abs(column() - before) <= 1);
                }
                const QPoint from = w.pic_video->rect().center(),
                             to = from + QPoint(a.value(1).toInt(), a.value(2).toInt());
                if (a.size() == 3 && a[0] == QLatin1String("pan")) {
                    QTest::mousePress(w.pic_video, Qt::MiddleButton, {}, from);
                    QTest::mouseMove(w.pic_video, to);
                    QTest::mouseRelease(w.pic_video, Qt::MiddleButton, {}, to);
                }
                if (a.size() == 2 && a[0] == QLatin1String("pan"))
                    w.hscrAvi1->setValue(a[1] == QLatin1String("max") ? w.hscrAvi1->maximum() : a[1].toInt());
                if (step == QLatin1String("busy") || step == QLatin1String("idle"))
                    w.Program.BusyLoading = step == QLatin1String("busy");
                if (step == QLatin1String("flip"))
                    w.ImageTool->chkFlag[2]->setChecked(!w.ImageTool->chkFlag[2]->isChecked());
                if (step == QLatin1String("split") || step == QLatin1String("full"))
                    w.mnuTools_Click(step == QLatin1String("split") ? 7 : 6);
                if (step == QLatin1String("whole")) {
                    w.findChild<QAction*>(QStringLiteral("WholeFrame"))->trigger();
                    QCOMPARE(w.CanvasGeometry().frameCanvas, w.Video1.CanvasRect());
                }
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
        // Every mark pixel lies inside video 1's part of the canvas, over that column (read with
        // the mark undone), and the mark keeps its width on the screen whatever the zoom.
        const QImage marked = img.copy();
        w.Drawing->Undo();
        const QRect now = w.CanvasGeometry().frameCanvas & img.rect();
        int count = 0;
        for (int cy = 0; cy < img.height(); ++cy) {
            int inRow = 0;
            for (int cx = 0; cx < img.width(); ++cx) {
                if (marked.pixelColor(cx, cy) != mark) continue;
                ++count, ++inRow;
                QVERIFY(now.contains(cx, cy) && std::abs(qRed(img.pixel(cx, cy)) - column) <= 1);
            }
            QVERIFY(inRow <= 2);
        }
        QCOMPARE(count > 0, shown);
    }
};

QTEST_MAIN(TestCanvasDrawing)
#include "tst_canvasdrawing.moc"
