// The drawing tool box (tool buttons, refusals, hue bar, close box) and the line width chooser.

#include "MsgBoxRecorder.h"
#include "overlay/CanvasDrawing.h"
#include "overlay/frmDrawToolBox.h"
#include "overlay/frmDrawWidth.h"
#include "platform/PictureBox.h"
#include "platform/Twips.h"
#include "shell/Globals.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

#include <memory>

namespace {

struct Rig {
    std::unique_ptr<platform::PictureBox> canvas = std::make_unique<platform::PictureBox>();
    std::unique_ptr<frmDrawToolBox> box = std::make_unique<frmDrawToolBox>(nullptr);
    CanvasDrawing drawing;

    Rig() {
        canvas->SetScaleMode(platform::PictureBox::vbPixels);
        canvas->resize(640, 480);
        drawing.Attach(canvas.get(), box.get());
        drawing.ToolbarCommand(3);
    }
    OverlayModel& o() { return drawing.Overlay(); }
    // A real click on the tool box button.
    void press(int index) {
        QWidget* w = box->Toolbar1->widgetForAction(box->Button(index));
        QVERIFY(w);
        QTest::mouseClick(w, Qt::LeftButton);
    }
    void drag(QPoint from, QPoint to) {
        QTest::mousePress(canvas.get(), Qt::LeftButton, {}, from);
        QTest::mouseMove(canvas.get(), to);
        QTest::mouseRelease(canvas.get(), Qt::LeftButton, {}, to);
    }
    void canvasClick(QPoint at, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mousePress(canvas.get(), b, {}, at);
        QTest::mouseRelease(canvas.get(), b, {}, at);
    }
};

QColor huePixel(frmDrawToolBox& box, int column) {
    return box.picHue->Image().pixelColor(column, 5);
}

}  // namespace

class TestDrawToolBox : public QObject {
    Q_OBJECT
private slots:
    void init() {
        platform::OverrideScreenMetrics(platform::ScreenMetrics{1024, 768, 96, 96, 24});
        G().BusyLoading = false;
    }
    void cleanup() {
        platform::OverrideScreenMetrics(std::nullopt);
        frmDrawWidth::SetModalRunner({});
    }

    void toolButtonsChooseTools() {
        Rig r;
        QList<int> commands;
        r.drawing.toolbarClick = [&](int i) {
            commands << i;
            r.drawing.ToolbarCommand(i);
        };
        r.press(1);
        QCOMPARE(r.o().DrawTool, short(kToolLine));
        r.press(2);
        QCOMPARE(r.o().DrawTool, short(kToolRectangle));
        QCOMPARE(r.o().Shape1.Shape, int(ShapeControl::Rectangle));
        QVERIFY(!r.box->Button(1)->isChecked());
        r.press(3);
        QCOMPARE(r.o().Shape1.Shape, int(ShapeControl::Oval));
        r.press(3);  // pressing it again keeps it down
        QVERIFY(r.box->Button(3)->isChecked());
        r.press(4);
        QCOMPARE(r.o().DrawTool, short(kToolPolyline));
        QVERIFY(!r.box->txtPolyline->isHidden());
        r.press(5);
        QCOMPARE(r.o().DrawTool, short(kToolAngle));
        QVERIFY(r.box->txtPolyline->isHidden());
        QVERIFY(!r.box->txtAngle->isHidden());
        QCOMPARE(r.box->txtAngle->text(), QStringLiteral("Deg ???"));
        r.press(6);
        QCOMPARE(r.o().DrawTool, short(kToolRuler));
        QVERIFY(r.box->txtAngle->isHidden());
        QCOMPARE(commands, QList<int>({20, 21, 22, 22, 23, 24, 26}));
    }

    void clearAndUndoButtons() {
        Rig r;
        r.press(1);
        r.drag(QPoint(10, 10), QPoint(100, 10));
        r.press(2);
        r.drag(QPoint(10, 10), QPoint(100, 100));
        QCOMPARE(r.o().DrawHistoryIndex, short(2));
        r.press(8);
        QCOMPARE(r.o().ShapeCount, short(0));
        QCOMPARE(r.o().LineCount, short(1));
        r.press(5);
        r.press(9);  // Clear; the angle readout comes back since button 5 is down
        QCOMPARE(r.o().DrawHistoryIndex, short(0));
        QVERIFY(!r.box->txtAngle->isHidden());
    }

    void unfinishedPolylineRefusesEveryButton() {
        Rig r;
        MsgBoxRecorder boxes;
        r.press(4);
        r.press(1);
        r.drag(QPoint(20, 20), QPoint(30, 30));
        r.press(4);
        r.canvasClick(QPoint(50, 50));
        r.press(8);  // Undo with one vertex placed
        QCOMPARE(boxes.calls.size(), std::size_t(1));
        QCOMPARE(boxes.calls[0].title, QStringLiteral("Drawing Polyline Error"));
        QCOMPARE(boxes.calls[0].prompt,
                 QStringLiteral("You need to add another point to finish drawing the polyline"));
        QCOMPARE(boxes.calls[0].style, int(platform::vbExclamation));
        QCOMPARE(r.o().LineCount, short(1));  // nothing removed
        r.canvasClick(QPoint(80, 50));
        r.press(1);
        QCOMPARE(boxes.calls.size(), std::size_t(2));
        QCOMPARE(boxes.calls[1].title, QStringLiteral("Polyline Error"));
        QCOMPARE(boxes.calls[1].prompt,
                 QStringLiteral("You need to RIGHT Click to finish drawing the polyline"));
        QCOMPARE(r.o().DrawTool, short(kToolPolyline));
        QVERIFY(r.box->Button(4)->isChecked());
        QVERIFY(!r.box->Button(1)->isChecked());
        // Finished: the tools are free again.
        r.canvasClick(QPoint(80, 80), Qt::RightButton);
        r.press(1);
        QCOMPARE(r.o().DrawTool, short(kToolLine));
        QCOMPARE(boxes.calls.size(), std::size_t(2));
    }

    void unfinishedAngleRefusesEveryButton() {
        Rig r;
        MsgBoxRecorder boxes;
        r.press(5);
        r.canvasClick(QPoint(100, 100));
        r.press(2);
        QCOMPARE(boxes.calls.size(), std::size_t(1));
        QCOMPARE(boxes.calls[0].title, QStringLiteral("Drawing Angle Error"));
        QCOMPARE(boxes.calls[0].prompt,
                 QStringLiteral("You need to draw two more crosses to finish drawing the angle"));
        r.canvasClick(QPoint(150, 100));
        r.press(9);
        QCOMPARE(boxes.calls[1].prompt,
                 QStringLiteral("You need to draw one more cross to finish drawing the angle"));
        QCOMPARE(r.o().DrawTool, short(kToolAngle));
        QVERIFY(r.box->Button(5)->isChecked());
        r.canvasClick(QPoint(150, 50));
        QCOMPARE(r.o().AngleCount, short(1));
        r.press(2);  // complete: works at once
        QCOMPARE(r.o().DrawTool, short(kToolRectangle));
        QCOMPARE(boxes.calls.size(), std::size_t(2));
    }

    void hueBarPaintedAndPicked() {
        Rig r;
        frmDrawToolBox& box = *r.box;
        QCOMPARE(box.picHue->Image().width(), frmDrawToolBox::kHueColumns);
        QCOMPARE(huePixel(box, 0), QColor(255, 0, 255));   // h = -1
        QCOMPARE(huePixel(box, 40), QColor(255, 0, 0));    // h = 0
        QCOMPARE(huePixel(box, 80), QColor(255, 255, 0));  // h = 1
        QCOMPARE(huePixel(box, 120), QColor(0, 255, 0));
        QCOMPARE(huePixel(box, 200), QColor(0, 0, 255));
        QCOMPARE(huePixel(box, 260), QColor(255, 0, 255));
        QCOMPARE(box.SelectedColor(), 0);
        QCOMPARE(box.picSelected->Image().pixelColor(2, 2), QColor(Qt::black));
        // The first column picks nothing.
        QTest::mousePress(box.picHue, Qt::LeftButton, {}, QPoint(0, 5));
        QCOMPARE(box.SelectedColor(), 0);
        // Column 40: red, onto the swatch; drawn only from mouse up.
        QTest::mousePress(box.picHue, Qt::LeftButton, {}, QPoint(40, 5));
        QCOMPARE(box.SelectedColor(), 0x0000FF);
        QCOMPARE(box.picSelected->Image().pixelColor(2, 2), QColor(255, 0, 0));
        QCOMPARE(r.o().Line1.BorderColor, kDefaultMarkColor);
        QTest::mouseMove(box.picHue, QPoint(120, 5));  // dragging with the button held
        QCOMPARE(box.SelectedColor(), 0x00FF00);
        QTest::mouseRelease(box.picHue, Qt::LeftButton, {}, QPoint(120, 5));
        QCOMPARE(r.o().Line1.BorderColor, 0x00FF00);
        QCOMPARE(r.o().Shape1.BorderColor, 0x00FF00);
        QVERIFY(r.o().CurrentPen());
        QCOMPARE(r.o().CurrentPen()->color, 0x00FF00);
    }

    void widthChooserHighlightsAndSets() {
        Rig r;
        r.o().Line1.BorderWidth = 3;
        int runs = 0;
        frmDrawWidth::SetModalRunner([&](frmDrawWidth& dlg) {
            ++runs;
            QCOMPARE(dlg.windowTitle(), QStringLiteral("Line Width..."));
            QVERIFY(dlg.isModal());
            dlg.show();
            QVERIFY(dlg.IsHighlighted(2));
            QCOMPARE(dlg.focusWidget(), static_cast<QWidget*>(dlg.cmbLineWidth[2]));
            // Moving over button 1 then button 4 leaves only button 4 highlighted.
            for (int i : {0, 3}) {
                QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                                 Qt::NoModifier);
                QApplication::sendEvent(dlg.cmbLineWidth[std::size_t(i)], &move);
            }
            for (int i = 0; i < 5; ++i) QCOMPARE(dlg.IsHighlighted(i), i == 3);
            dlg.Form_MouseMove();  // back onto the background
            for (int i = 0; i < 5; ++i) QCOMPARE(dlg.IsHighlighted(i), i == 2);
            QTest::mouseRelease(dlg.cmbLineWidth[4], Qt::LeftButton);
            QVERIFY(dlg.IsUnloaded());
        });
        r.press(10);
        QCOMPARE(runs, 1);
        QCOMPARE(r.o().Line1.BorderWidth, 5);
        QCOMPARE(r.o().Shape1.BorderWidth, 5);
        QCOMPARE(r.o().CurrentPen()->width, 5);
        // A click on the background closes it without a change.
        frmDrawWidth::SetModalRunner([&](frmDrawWidth& dlg) {
            dlg.show();
            QVERIFY(dlg.IsHighlighted(4));
            QTest::mouseClick(&dlg, Qt::LeftButton, {}, QPoint(2, 2));
            QVERIFY(dlg.IsUnloaded());
        });
        r.press(10);
        QCOMPARE(r.o().Line1.BorderWidth, 5);
        // The next line is drawn five pixels wide.
        r.o().Line1.BorderColor = 0x0000FF;
        r.press(1);
        r.drag(QPoint(100, 200), QPoint(300, 200));
        for (int dy = -2; dy <= 2; ++dy)
            QCOMPARE(r.canvas->Image().pixelColor(200, 200 + dy), QColor(Qt::red));
        QVERIFY(r.canvas->Image().pixelColor(200, 204) != QColor(Qt::red));
    }

    void closeBoxSwitchesDrawingOff() {
        Rig r;
        r.box->MoveTwips(QPoint(4500, 1500));
        r.box->Button(3)->setChecked(true);
        r.box->close();
        QVERIFY(!r.o().DrawingOn);
        QVERIFY(r.box->isHidden());
        QVERIFY(!r.box->Button(3)->isChecked());  // the circle button comes up
        QCOMPARE(G().ToolPos.drawTool, QPoint(4500, 1500));
        // Shown some other way while drawing is off, its close box only hides it.
        r.box->show();
        r.box->close();
        QVERIFY(!r.o().DrawingOn);
        QVERIFY(r.box->isHidden());
        // It was not destroyed: drawing on shows it again where it was.
        r.drawing.ToolbarCommand(3);
        QVERIFY(r.box->isVisible());
        QCOMPARE(r.box->PositionTwips(), QPoint(4500, 1500));
    }
};

QTEST_MAIN(TestDrawToolBox)
#include "tst_drawtoolbox.moc"
