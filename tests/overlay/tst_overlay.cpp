// The overlay records, their redraw over a canvas, Undo, Clear and the capacity limits.

#include "overlay/OverlayModel.h"
#include "platform/RuntimeError.h"

#include <QLocale>
#include <QPainter>
#include <QTest>

#include <algorithm>

namespace {

const QColor kBack(10, 20, 30);

QImage blankCanvas() {
    QImage img(200, 150, QImage::Format_RGB32);
    img.fill(kBack);
    return img;
}

constexpr int kRed = 0x0000FF;  // 0x00BBGGRR
constexpr int kGreen = 0x00FF00;
constexpr int kBlue = 0xFF0000;

void addLine(OverlayModel& o, int x1, int y1, int x2, int y2, int color, int width = 1) {
    VLine* l = o.NewLine();
    QVERIFY(l);
    l->SetX1(x1);
    l->SetY1(y1);
    l->SetX2(x2);
    l->SetY2(y2);
    l->SetBorderColor(color);
    l->SetBorderWidth(width);
    l->SetTextX(-100);  // label off the canvas
    l->SetTextY(-100);
    o.AppendHistory(kHistLine);
}

void addShape(OverlayModel& o, int left, int top, int w, int h, int shape, int color) {
    VShape* s = o.NewShape();
    QVERIFY(s);
    s->SetLeft(left);
    s->SetTop(top);
    s->SetWidth(w);
    s->SetHeight(h);
    s->SetShape(shape);
    s->SetBorderColor(color);
    s->SetBorderWidth(1);
    o.AppendHistory(kHistShape);
}

}  // namespace

class TestOverlay : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void polylinePointsAreSixteenBits() {
        VPolyLine p;
        bool overflow = false;
        try {
            p.SetPoints(40000);
        } catch (const platform::RuntimeError& e) {
            overflow = e.Number() == platform::errOverflow;
        }
        QVERIFY(overflow);
        QCOMPARE(p.Points(), 0);
    }

    void redrawDrawsEveryKindInOrder() {
        OverlayModel o;
        QImage canvas = blankCanvas();
        addLine(o, 10, 50, 190, 50, kRed, 3);
        addShape(o, 40, 30, 60, 40, kDrawRectangle, kGreen);  // its top edge is y = 30, left x = 40
        addShape(o, 120, 20, 40, 60, kDrawEllipse, kBlue);
        o.DrawingUpdate(canvas);
        // The line, three pixels thick, in its colour.
        for (int dy = -1; dy <= 1; ++dy) QCOMPARE(canvas.pixelColor(20, 50 + dy), QColor(Qt::red));
        QCOMPARE(canvas.pixelColor(20, 53), kBack);
        // The rectangle's outline, interior untouched; drawn after the line, so on top of it.
        QCOMPARE(canvas.pixelColor(70, 30), QColor(Qt::green));
        QCOMPARE(canvas.pixelColor(40, 50), QColor(Qt::green));
        QCOMPARE(canvas.pixelColor(70, 40), kBack);
        // The ellipse: top of its box centre on the outline, box corner not painted.
        QCOMPARE(canvas.pixelColor(140, 20), QColor(Qt::blue));
        QCOMPARE(canvas.pixelColor(121, 21), kBack);
    }

    void angleLabelsAndReadout() {
        OverlayModel o;
        QStringList readouts;
        o.angleReadout = [&](const QString& t) { readouts << t; };
        VAngle* a = o.NewAngle();
        a->SetX1(20);
        a->SetY1(100);
        a->SetX2(60);
        a->SetY2(100);
        a->SetX3(60);
        a->SetY3(60);
        a->SetTextX(60);
        a->SetTextY(100);
        a->SetText(QStringLiteral("90"));
        a->SetBorderColor(kRed);
        a->SetBorderWidth(1);
        o.AppendHistory(kHistAngle);
        VAngle* flat = o.NewAngle();
        flat->SetText(QString());  // below half a degree: reads back as 0
        flat->SetTextX(150);
        flat->SetTextY(10);
        o.AppendHistory(kHistAngle);
        QImage canvas = blankCanvas();
        o.DrawingUpdate(canvas);
        QCOMPARE(readouts, QStringList({QStringLiteral("90 deg"), QStringLiteral(" deg")}));
        QCOMPARE(canvas.pixelColor(40, 100), QColor(Qt::red));  // arm 1
        QCOMPARE(canvas.pixelColor(60, 80), QColor(Qt::red));   // arm 2
        // The label "90" just below and right of the vertex: red on a white outline.
        int red = 0, white = 0;
        for (int y = 102; y < 130; ++y)
            for (int x = 62; x < 100; ++x) {
                const QColor c = canvas.pixelColor(x, y);
                red += c.red() > c.green() + 100;
                white += std::min({c.red(), c.green(), c.blue()}) > 200;
            }
        QVERIFY(red > 10 && white > 10);
        // The empty text prints nothing.
        for (int y = 10; y < 30; ++y)
            for (int x = 150; x < 180; ++x) QCOMPARE(canvas.pixelColor(x, y), kBack);
    }

    // Undo walks back records of every kind and Clears alike, Redo walks forward again; a new
    // record ends what Redo could bring back and takes the freed place; at most kCapacity steps
    // are kept; undone marks are not drawn.
    void historyOfRecordsAndClears_data() {
        QTest::addColumn<QString>("steps");  // l s a p: a line, shape, angle, polyline;
                                             // c: Clear, u: Undo, r: Redo, F: 99 lines
        QTest::addColumn<QList<int>>("after");  // lines, shapes, angles, polylines, history
        QTest::addColumn<bool>("lastStepDidSomething");
        using C = QList<int>;
        QTest::newRow("nothing to undo") << "u" << C{0, 0, 0, 0, 0} << false;
        QTest::newRow("kinds in reverse") << "lspauu" << C{1, 1, 0, 0, 2} << true;
        QTest::newRow("a new shape in the freed place") << "lspauuus" << C{1, 1, 0, 0, 2} << true;
        QTest::newRow("undo a clear") << "lscu" << C{1, 1, 0, 0, 2} << true;
        QTest::newRow("redo the clear") << "llcur" << C{0, 0, 0, 0, 0} << true;
        QTest::newRow("undo past a clear") << "llcluu" << C{2, 0, 0, 0, 2} << true;
        QTest::newRow("and further back") << "llcluuu" << C{1, 0, 0, 0, 1} << true;
        QTest::newRow("redo a line after an undone clear") << "llcuur" << C{2, 0, 0, 0, 2} << true;
        QTest::newRow("redo in order, the clear last") << "llcuurr" << C{0, 0, 0, 0, 0} << true;
        QTest::newRow("a new line ends redo") << "llculr" << C{3, 0, 0, 0, 3} << false;
        QTest::newRow("clearing nothing is no step") << "cu" << C{0, 0, 0, 0, 0} << false;
        QTest::newRow("oldest clear forgotten") << "llcFu" << C{98, 0, 0, 0, 98} << true;
        QTest::newRow("newest clear kept") << "lcFcu" << C{99, 0, 0, 0, 99} << true;
    }
    void historyOfRecordsAndClears() {
        QFETCH(QString, steps);
        QFETCH(QList<int>, after);
        QFETCH(bool, lastStepDidSomething);
        OverlayModel o;
        bool did = true;
        int x = 0;
        for (const QChar step : steps) {
            switch (step.unicode()) {
                case 'l':
                    addLine(o, x, 0, x, 10, kRed);
                    ++x;
                    break;
                case 'F':
                    for (int i = 0; i < 99; ++i) addLine(o, 0, 0, 0, 10, kRed);
                    break;
                case 's':
                    addShape(o, 7, 8, 9, 10, kDrawRectangle, kBlue);
                    break;
                case 'a':
                case 'p':
                    QVERIFY(step == 'a' ? bool(o.NewAngle()) : bool(o.NewPolyLine()));
                    o.AppendHistory(step == 'a' ? kHistAngle : kHistPolyLine);
                    break;
                case 'c':
                    did = o.LineCount + o.ShapeCount > 0;
                    o.ClearAll();
                    break;
                case 'u':
                    did = o.UndoLast();
                    break;
                case 'r':
                    did = o.RedoLast();
                    break;
            }
        }
        QCOMPARE(QList<int>({o.LineCount, o.ShapeCount, o.AngleCount, o.PolyLineCount, o.DrawHistoryIndex}),
                 after);
        QCOMPARE(did, lastStepDidSomething);
        if (o.LineCount > 0) QCOMPARE(o.Lines[1].X1(), 0.0);  // the first line is the first drawn
        if (after == QList<int>{0, 0, 0, 0, 0}) {
            QImage canvas = blankCanvas();
            o.DrawingUpdate(canvas);
            QCOMPARE(canvas, blankCanvas());
        }
    }

    void polylineDrawsOnlyItsPoints() {
        OverlayModel o;
        VPolyLine* p = o.NewPolyLine();
        p->SetBorderColor(kGreen);
        p->SetBorderWidth(1);
        const int xs[6] = {10, 50, 50, 150, 150, 190};
        const int ys[6] = {10, 10, 60, 60, 140, 140};
        for (int k = 1; k <= 6; ++k) {
            p->SetX(k, xs[k - 1]);
            p->SetY(k, ys[k - 1]);
        }
        p->SetPoints(3);
        o.AppendHistory(kHistPolyLine);
        QImage canvas = blankCanvas();
        o.DrawingUpdate(canvas);
        QCOMPARE(canvas.pixelColor(30, 10), QColor(Qt::green));
        QCOMPARE(canvas.pixelColor(50, 35), QColor(Qt::green));
        QCOMPARE(canvas.pixelColor(100, 60), kBack);  // vertex 4 is not part of it
    }

    void penBeforeAndAfterCreation() {
        OverlayModel o;
        o.CreateDrawPens(4, kBlue);
        QImage canvas = blankCanvas();
        o.DrawShape(canvas, 10, 100, 20, 20, kDrawLine);
        QCOMPARE(canvas.pixelColor(50, 21), QColor(Qt::blue));
        QCOMPARE(canvas.pixelColor(50, 25), kBack);
        // An unknown kind draws nothing; a coordinate beyond 32 bits skips only its step.
        QImage untouched = blankCanvas();
        o.DrawShape(untouched, 10, 100, 20, 20, 9);
        o.DrawShape(untouched, 1e12, 100, 20, 20, kDrawLine);
        QCOMPARE(untouched, blankCanvas());
    }

};

QTEST_MAIN(TestOverlay)
#include "tst_overlay.moc"
