// Wide segments and ellipse outlines written straight into the canvas: clipping, the 24-bit
// layouts, the ellipse's points against the library's sine and cosine, and the painter taking
// over (with the mark's own pen) where a coordinate is too far out.

#include "overlay/OverlayModel.h"
#include "overlay/ThickLine.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <random>

namespace {

const QColor kBack(10, 20, 30);
const QColor kInk(200, 40, 120);

QImage blank(int w, int h, QImage::Format format = QImage::Format_RGB32) {
    QImage img(w, h, format);
    img.fill(kBack);
    return img;
}

// Counts the pixels of the given colour.
int countOf(const QImage& img, const QColor& c) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += img.pixelColor(x, y) == c;
    return n;
}

// The outline as plain chords between the library's points, the way it is defined: the fast
// outline must give exactly these pixels.
QImage chordEllipse(int w, int h, const QRect& box, int width, const QColor& color) {
    QImage img = blank(w, h);
    const double rx = box.width() / 2.0 - 0.5;
    const double ry = box.height() / 2.0 - 0.5;
    const double cx = box.left() + rx;
    const double cy = box.top() + ry;
    const int n = std::clamp(int(2 * kPi * std::sqrt((rx * rx + ry * ry) / 2) / 4), 16, 2048);
    QPoint prev(int(std::lround(cx + rx)), int(std::lround(cy)));
    for (int i = 1; i <= n; ++i) {
        const double t = 2 * kPi * i / n;
        const QPoint next(int(std::lround(cx + rx * std::cos(t))), int(std::lround(cy + ry * std::sin(t))));
        DrawThickLine(img, prev, next, width, color);
        prev = next;
    }
    return img;
}

}  // namespace

class TestThickLine : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // A line cut by the image edge leaves exactly the part of the uncut line that lies inside.
    void clippingKeepsTheInsidePart() {
        std::mt19937 rng(11);
        const int w = 60, h = 40, pad = 50;
        for (int k = 0; k < 300; ++k) {
            auto r = [&](int span) { return int(rng() % unsigned(span + 2 * pad)) - pad; };
            const QPoint a(r(w), r(h)), b(r(w), r(h));
            const int width = 1 + int(rng() % 7);
            QImage cut = blank(w, h);
            QVERIFY(DrawThickLine(cut, a, b, width, kInk));
            QImage whole = blank(w + 2 * pad, h + 2 * pad);
            QVERIFY(DrawThickLine(whole, a + QPoint(pad, pad), b + QPoint(pad, pad), width, kInk));
            QCOMPARE(cut, whole.copy(pad, pad, w, h));
        }
    }

    // Width counts whole pixels across the major axis; both ends are included.
    void widthAndEnds() {
        for (int width = 1; width <= 6; ++width) {
            QImage flat = blank(50, 50);
            DrawThickLine(flat, QPoint(5, 20), QPoint(44, 23), width, kInk);
            QCOMPARE(countOf(flat, kInk), 40 * width);
            QImage steep = blank(50, 50);
            DrawThickLine(steep, QPoint(20, 44), QPoint(23, 5), width, kInk);
            QCOMPARE(countOf(steep, kInk), 40 * width);
        }
        QImage dot = blank(10, 10);
        DrawThickLine(dot, QPoint(4, 4), QPoint(4, 4), 1, kInk);
        QCOMPARE(countOf(dot, kInk), 1);
    }

    // The 24-bit layouts get the same pixels as the 32-bit one, in their own byte order; formats
    // it does not write are refused untouched, and so are coordinates too far out.
    void formatsAndRefusals() {
        const QPoint a(3, 37), b(71, 4);
        QImage ref = blank(80, 40);
        QVERIFY(DrawThickLine(ref, a, b, 3, kInk));
        for (QImage::Format f : {QImage::Format_RGB888, QImage::Format_BGR888, QImage::Format_ARGB32,
                                 QImage::Format_ARGB32_Premultiplied}) {
            QImage img = blank(80, 40, f);
            QVERIFY(DrawThickLine(img, a, b, 3, kInk));
            QCOMPARE(img.convertToFormat(QImage::Format_RGB32), ref);
        }
        QImage gray = blank(80, 40, QImage::Format_Grayscale8);
        const QImage grayBefore = gray;
        QVERIFY(!DrawThickLine(gray, a, b, 3, kInk));
        QCOMPARE(gray, grayBefore);
        QImage far = blank(80, 40);
        QVERIFY(!DrawThickLine(far, QPoint(-(1 << 25), 5), b, 3, kInk));
        QCOMPARE(far, blank(80, 40));
        QImage none;
        QVERIFY(DrawThickLine(none, a, b, 3, kInk));
    }

    // A chain is its segments in order, in either layout; one point too far out refuses it all.
    void chainIsItsSegments() {
        const int xs[] = {-5, 30, 31, 70, 12, 12};
        const int ys[] = {4, 33, 2, 20, 39, -8};
        for (QImage::Format f : {QImage::Format_RGB32, QImage::Format_RGB888}) {
            QImage chained = blank(64, 36, f);
            QImage apart = blank(64, 36, f);
            const ThickLine chainPen(chained, 3, kInk);
            const ThickLine apartPen(apart, 3, kInk);
            QVERIFY(chainPen.DrawChain(xs, ys, 6));
            for (int i = 1; i < 6; ++i)
                QVERIFY(apartPen.Draw(QPoint(xs[i - 1], ys[i - 1]), QPoint(xs[i], ys[i])));
            QCOMPARE(chained, apart);
            QVERIFY(countOf(chained, kInk) > 100);
        }
        QImage img = blank(64, 36);
        const int farXs[] = {3, 40, 1 << 25};
        const int farYs[] = {3, 30, 10};
        QVERIFY(!ThickLine(img, 2, kInk).DrawChain(farXs, farYs, 3));
        QCOMPARE(img, blank(64, 36));
    }

    // Odd and even box sizes put the centre on a pixel or between two, where the quarter points
    // sit exactly on a half: the outline must round every point as the library's values do.
    void ellipseMatchesLibraryChords() {
        std::mt19937 rng(5);
        const int w = 660, h = 480;
        OverlayModel o;
        for (int k = 0; k < 300; ++k) {
            int left = int(rng() % 40) - 20, top = int(rng() % 40) - 20;
            int bw = 2 + 2 * k + int(rng() % 2), bh = 1 + int(rng() % 460);
            // Boxes where a point falls at sin 30 degrees of an odd radius: exactly on a half.
            if (k < 4) {
                const QSize exact[] = {{25, 303}, {45, 323}, {303, 25}, {323, 45}};
                bw = exact[k].width();
                bh = exact[k].height();
                left = top = 0;
            }
            const int width = k < 4 ? 1 : 1 + int(rng() % 5);
            const int bgr = int(rng() & 0xFFFFFF);
            o.CreateDrawPens(width, bgr);
            QImage img = blank(w, h);
            o.DrawShape(img, left, left + bw, top, top + bh, kDrawEllipse);
            const QRect box(QPoint(left, top), QPoint(left + bw - 1, top + bh - 1));
            QCOMPARE(img, chordEllipse(w, h, box, width, ColorOf(bgr)));
        }
    }

    // Lines reaching too far for the direct writer go through the painter, each with its own
    // colour and width, also after a label has been printed in between.
    void farLinesUseTheirOwnPen() {
        OverlayModel o;
        auto add = [&](int y, int color, int width) {
            VLine* l = o.NewLine();
            QVERIFY(l);
            l->SetX1(-(1 << 26));
            l->SetY1(y);
            l->SetX2(1 << 26);
            l->SetY2(y);
            l->SetBorderColor(color);
            l->SetBorderWidth(width);
            l->SetTextX(5);
            l->SetTextY(70);
            l->SetText(QStringLiteral("1"));
            o.AppendHistory(kHistLine);
        };
        add(20, 0x0000FF, 5);
        add(45, 0x00FF00, 1);
        QImage img = blank(120, 100);
        o.DrawingUpdate(img);
        for (int y = 18; y <= 22; ++y) QCOMPARE(img.pixelColor(60, y), QColor(Qt::red));
        QCOMPARE(img.pixelColor(60, 16), kBack);
        QCOMPARE(img.pixelColor(60, 24), kBack);
        QCOMPARE(img.pixelColor(60, 45), QColor(Qt::green));
        QCOMPARE(img.pixelColor(60, 44), kBack);
        QCOMPARE(img.pixelColor(60, 46), kBack);
    }
};

QTEST_MAIN(TestThickLine)
#include "tst_thickline.moc"
