// The drawing tool box (tool buttons, refusals, hue bar, close box) and the line width chooser.

#include "OverlayDrawingScript.h"
#include "overlay/frmDrawWidth.h"
#include "platform/Twips.h"

#include <QPushButton>

class TestDrawToolBox : public QObject {
    Q_OBJECT
private slots:
    void init() {
        platform::OverrideScreenMetrics(platform::ScreenMetrics{1024, 768, 96, 96, 24});
    }
    void cleanup() {
        platform::OverrideScreenMetrics(std::nullopt);
        frmDrawWidth::SetModalRunner({});
    }

    // Scripts of OverlayDrawingScript.h: "button N" clicks the tool box's button N; tools are
    // 1 line, 2 rectangle, 3 ellipse, 4 polyline, 5 angle, 7 ruler.
    void scripts_data() {
        QTest::addColumn<QString>("script");
        QTest::newRow("tool buttons choose tools, one down at a time")
            << "button 1; tool = 1; button 2; tool = 2; checked = 2; button 3; button 3; tool = 3; checked "
               "= 3; button 4; tool = 4; polytext = shown; button 5; tool = 5; polytext = hidden; readout = "
               "Deg ???; button 6; tool = 7; readout = hidden; commands = 20 21 22 22 23 24 26";
        QTest::newRow("Undo and Clear buttons; Clear shows the angle readout again")
            << "button 1; drag 10 10 100 10; button 2; drag 10 10 100 100; counts = 1 1 0 0 2; button 8; "
               "counts = 1 0 0 0 1; button 5; button 9; counts = 0 0 0 0 0; readout = Deg ???";
        QTest::newRow("an unfinished polyline refuses every button")
            << "button 4; button 1; drag 20 20 30 30; button 4; click 50 50; button 8; boxes = Drawing "
               "Polyline Error; prompt = You need to add another point to finish drawing the polyline; "
               "counts = 1 0 0 0 1; click 80 50; button 1; boxes = Drawing Polyline Error|Polyline Error; "
               "prompt = You need to RIGHT Click to finish drawing the polyline; tool = 4; checked = 4; "
               "right 80 80; button 1; tool = 1; boxes = Drawing Polyline Error|Polyline Error";
        QTest::newRow("an unfinished angle refuses every button")
            << "button 5; click 100 100; button 2; boxes = Drawing Angle Error; prompt = You need to draw "
               "two more crosses to finish drawing the angle; click 150 100; button 9; prompt = You need to "
               "draw one more cross to finish drawing the angle; tool = 5; checked = 5; click 150 50; "
               "counts = 0 0 0 1 1; button 2; tool = 2; boxes = Drawing Angle Error|Drawing Angle Error";
        // The close box switches drawing off; shown some other way while drawing is off, it only
        // hides the box, which drawing on shows again where it was.
        QTest::newRow("the close box switches drawing off")
            << "movebox 4500 1500; button 3; close; toolbox = hidden 4500,1500 kept 4500,1500; checked = ; "
               "drawbutton = 0; showbox; close; toolbox = hidden 4500,1500 kept 4500,1500; drawbutton = 0; "
               "tool 3; toolbox = shown 4500,1500 kept 4500,1500";
    }
    void scripts() {
        QFETCH(QString, script);
        DrawRig r;
        r.run(script);
    }

    // Hue -1 to 5 across the bar (its first column picks nothing); a pick shows on the swatch at
    // once, and becomes the pen at mouse up.
    void hueBarPaintedAndPicked() {
        DrawRig r;
        frmDrawToolBox& box = *r.toolBox;
        QCOMPARE(box.picHue->Image().width(), frmDrawToolBox::kHueColumns);
        const QList<std::pair<int, QColor>> hues = {{0, Qt::magenta}, {40, Qt::red},   {80, Qt::yellow},
                                                    {120, Qt::green}, {200, Qt::blue}, {260, Qt::magenta}};
        for (const auto& [column, colour] : hues) QCOMPARE(box.picHue->Image().pixelColor(column, 5), colour);
        QCOMPARE(box.picSelected->Image().pixelColor(2, 2), QColor(Qt::black));
        QTest::mousePress(box.picHue, Qt::LeftButton, {}, QPoint(0, 5));
        QCOMPARE(box.SelectedColor(), 0);
        QTest::mousePress(box.picHue, Qt::LeftButton, {}, QPoint(40, 5));
        QCOMPARE(box.SelectedColor(), 0x0000FF);
        QCOMPARE(box.picSelected->Image().pixelColor(2, 2), QColor(Qt::red));
        QCOMPARE(r.o().Line1.BorderColor, kDefaultMarkColor);
        QTest::mouseMove(box.picHue, QPoint(120, 5));  // dragging with the button held
        QCOMPARE(box.SelectedColor(), 0x00FF00);
        QTest::mouseRelease(box.picHue, Qt::LeftButton, {}, QPoint(120, 5));
        QCOMPARE(QList<int>({r.o().Line1.BorderColor, r.o().Shape1.BorderColor, r.o().CurrentPen()->color}),
                 QList<int>({0x00FF00, 0x00FF00, 0x00FF00}));
    }

    void widthChooserHighlightsAndSets() {
        DrawRig r;
        r.o().Line1.BorderWidth = 3;
        int runs = 0;
        auto highlighted = [](frmDrawWidth& dlg) {  // the widths shown highlighted
            QList<int> on;
            for (int i = 0; i < 5; ++i)
                if (dlg.IsHighlighted(i)) on << i;
            return on;
        };
        frmDrawWidth::SetModalRunner([&](frmDrawWidth& dlg) {
            ++runs;
            QVERIFY(dlg.isModal());
            dlg.show();
            QCOMPARE(highlighted(dlg), QList<int>{2});
            QCOMPARE(dlg.focusWidget(), static_cast<QWidget*>(dlg.cmbLineWidth[2]));
            QTest::mouseRelease(dlg.cmbLineWidth[4], Qt::LeftButton);
            QVERIFY(dlg.IsUnloaded());
        });
        r.run(QStringLiteral("button 10"));
        QCOMPARE(runs, 1);
        QCOMPARE(QList<int>({r.o().Line1.BorderWidth, r.o().Shape1.BorderWidth, r.o().CurrentPen()->width}),
                 QList<int>({5, 5, 5}));
        // A click on the background closes it without a change.
        frmDrawWidth::SetModalRunner([&](frmDrawWidth& dlg) {
            dlg.show();
            QCOMPARE(highlighted(dlg), QList<int>{4});
            QTest::mouseClick(&dlg, Qt::LeftButton, {}, QPoint(2, 2));
            QVERIFY(dlg.IsUnloaded());
        });
        // The next line is drawn five pixels wide.
        r.run(
            QStringLiteral("button 10; colour #ff0000; button 1; drag 100 200 300 200; at 200 198 = #ff0000; "
                           "at 200 202 = #ff0000; at 200 197 = frame; at 200 203 = frame"));
    }
};

QTEST_MAIN(TestDrawToolBox)
#include "tst_drawtoolbox.moc"
