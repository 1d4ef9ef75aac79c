// The overlay records, their redraw over a canvas, Undo, Clear and the capacity limits.

#include "overlay/OverlayModel.h"
#include "platform/RuntimeError.h"

#include <QLocale>
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

// A record of the history kind from its numbers: line x1 y1 x2 y2 (its label off the canvas),
// shape left top width height kind, angle x1 y1 x2 y2 x3 y3 (its label at the vertex), polyline
// up to six vertices of which only `points` count.
void add(OverlayModel& o, int kind, const QList<int>& v, int color = kRed, int width = 1, int points = 0) {
    MarkBorder* b = nullptr;
    if (kind == kHistLine) {
        VLine* l = o.NewLine();
        l->SetX1(v[0]), l->SetY1(v[1]), l->SetX2(v[2]), l->SetY2(v[3]), l->SetTextX(-100), l->SetTextY(-100),
            b = l;
    } else if (kind == kHistShape) {
        VShape* s = o.NewShape();
        s->SetLeft(v[0]), s->SetTop(v[1]), s->SetWidth(v[2]), s->SetHeight(v[3]), s->SetShape(v[4]), b = s;
    } else if (kind == kHistAngle) {
        VAngle* a = o.NewAngle();
        a->SetX1(v[0]), a->SetY1(v[1]), a->SetX2(v[2]), a->SetY2(v[3]), a->SetX3(v[4]), a->SetY3(v[5]), b = a;
        a->SetTextX(v[2]), a->SetTextY(v[3]), a->SetText(v.size() > 6 ? QString() : QStringLiteral("90"));
    } else {
        VPolyLine* p = o.NewPolyLine();
        for (int k = 1; k <= int(v.size()) / 2; ++k) p->SetX(k, v[2 * k - 2]), p->SetY(k, v[2 * k - 1]);
        p->SetPoints(points), b = p;
    }
    b->SetBorderColor(color), b->SetBorderWidth(width);
    o.AppendHistory(kind);
}

}  // namespace

class TestOverlay : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Every kind drawn in its colour, in history order (the rectangle over the line), outlines
    // only; a polyline only through its counted vertices; angles report to the readout.
    void redrawDrawsEveryKindInOrder() {
        OverlayModel o;
        QStringList readouts;
        o.angleReadout = [&](const QString& t) { readouts << t; };
        add(o, kHistLine, {10, 50, 190, 50}, kRed, 3);
        add(o, kHistShape, {40, 30, 60, 40, kDrawRectangle}, kGreen);
        add(o, kHistShape, {120, 20, 40, 60, kDrawEllipse}, kBlue);
        add(o, kHistPolyLine, {10, 130, 40, 130, 40, 145, 150, 145, 150, 10, 190, 10}, kGreen, 1, 3);
        add(o, kHistAngle, {20, 100, 60, 100, 60, 80});
        add(o, kHistAngle, {5, 5, 5, 5, 5, 5, 0});  // below half a degree: no text
        QImage canvas = blankCanvas();
        o.DrawingUpdate(canvas);
        const QList<std::pair<QPoint, QColor>> probes = {
            {{20, 49}, Qt::red},    {{20, 51}, Qt::red},    {{20, 53}, kBack},     {{70, 30}, Qt::green},
            {{40, 50}, Qt::green},  {{70, 40}, kBack},      {{140, 20}, Qt::blue}, {{121, 21}, kBack},
            {{25, 130}, Qt::green}, {{40, 138}, Qt::green}, {{100, 145}, kBack},   {{40, 100}, Qt::red},
            {{60, 90}, Qt::red}};
        for (const auto& [at, colour] : probes) QCOMPARE(canvas.pixelColor(at), colour);
        QCOMPARE(readouts, QStringList({QStringLiteral("90 deg"), QStringLiteral(" deg")}));
        // The label "90" just below and right of the vertex: red on a white outline; the empty
        // text prints nothing.
        int red = 0, white = 0;
        for (int y = 102; y < 125; ++y)
            for (int x = 62; x < 100; ++x) {
                const QColor c = canvas.pixelColor(x, y);
                red += c.red() > c.green() + 100;
                white += std::min({c.red(), c.green(), c.blue()}) > 200;
            }
        QVERIFY(red > 10 && white > 10);
        for (int y = 6; y < 30; ++y)
            for (int x = 6; x < 35; ++x) QCOMPARE(canvas.pixelColor(x, y), kBack);
    }

    // Undo walks back records of every kind and Clears alike, Redo walks forward again; a new
    // record ends what Redo could bring back and takes the freed place; at most kCapacity steps
    // are kept; undone marks are not drawn.
    void historyOfRecordsAndClears_data() {
        // Steps (l s a p: a line, shape, angle, polyline; c: Clear, u: Undo, r: Redo; F: 99 lines),
        // then the lines, shapes, angles, polylines and history after them, and whether the last
        // step did something.
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QList<int>>("after");
        const QString rows = QStringLiteral(
            "u 0 0 0 0 0 0, lspauu 1 1 0 0 2 1, lspauuus 1 1 0 0 2 1, lscu 1 1 0 0 2 1, llcur 0 0 0 0 0 1, "
            "llcluu 2 0 0 0 2 1, llcluuu 1 0 0 0 1 1, llcuur 2 0 0 0 2 1, llcuurr 0 0 0 0 0 1, "
            "llculr 3 0 0 0 3 0, cu 0 0 0 0 0 0, llcFu 98 0 0 0 98 1, lcFcu 99 0 0 0 99 1");
        for (const QString& row : rows.split(QLatin1String(", "))) {
            QList<int> after;
            for (const QString& n : row.split(QLatin1Char(' ')).mid(1)) after << n.toInt();
            QTest::newRow(qPrintable(row)) << row.section(QLatin1Char(' '), 0, 0) << after;
        }
    }
    void historyOfRecordsAndClears() {
        QFETCH(QString, steps);
        QFETCH(QList<int>, after);
        const bool lastStepDidSomething = after.takeLast();
        OverlayModel o;
        bool did = true;
        int x = 0;
        for (const QChar step : steps) {
            const char c = char(step.unicode());
            if (c == 'l') add(o, kHistLine, {x, 0, x, 10}), ++x;
            if (c == 'F')
                for (int i = 0; i < 99; ++i) add(o, kHistLine, {0, 0, 0, 10});
            if (c == 's') add(o, kHistShape, {7, 8, 9, 10, kDrawRectangle});
            if (c == 'a') add(o, kHistAngle, {1, 1, 2, 2, 3, 1});
            if (c == 'p') add(o, kHistPolyLine, {1, 1, 2, 2}, kRed, 1, 2);
            if (c == 'c') did = o.LineCount + o.ShapeCount > 0, o.ClearAll();
            if (c == 'u') did = o.UndoLast();
            if (c == 'r') did = o.RedoLast();
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

    // The pen made beforehand draws a bare shape; an unknown kind draws nothing, a coordinate
    // beyond 32 bits skips only its step, and a polyline's count is sixteen bits.
    void penAndRefusals() {
        OverlayModel o;
        o.CreateDrawPens(4, kBlue);
        QImage canvas = blankCanvas();
        o.DrawShape(canvas, 10, 100, 20, 20, kDrawLine);
        QCOMPARE(canvas.pixelColor(50, 21), QColor(Qt::blue));
        QCOMPARE(canvas.pixelColor(50, 25), kBack);
        QImage untouched = blankCanvas();
        o.DrawShape(untouched, 10, 100, 20, 20, 9);
        o.DrawShape(untouched, 1e12, 100, 20, 20, kDrawLine);
        QCOMPARE(untouched, blankCanvas());
        VPolyLine p;
        QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, p.SetPoints(40000));
        QCOMPARE(p.Points(), 0);
    }
};

QTEST_MAIN(TestOverlay)
#include "tst_overlay.moc"
