// Wide segments and ellipse outlines written straight into the canvas: clipping, the 24-bit
// layouts, the ellipse against its equation and a hand-drawn one, and the painter taking over
// (with the mark's own pen) where a coordinate is too far out.

#include "overlay/OverlayModel.h"
#include "overlay/ThickLine.h"

#include <QLocale>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

const QColor kBack(10, 20, 30);
const QColor kInk(200, 40, 120);
constexpr int kInkBgr = 0x7828C8;  // kInk as 0x00BBGGRR

QImage blank(int w, int h, QImage::Format format = QImage::Format_RGB32) {
    QImage img(w, h, format);
    img.fill(kBack);
    return img;
}

int countOf(const QImage& img, const QColor& c) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += img.pixelColor(x, y) == c;
    return n;
}

}  // namespace

class TestThickLine : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // A line cut by the image edge leaves exactly the part of the uncut line that lies inside;
    // the width counts whole pixels across the major axis, both ends included.
    void clippingAndWidth() {
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
        for (int width = 1; width <= 6; ++width)
            for (const auto& [a, b] :
                 {std::pair(QPoint(5, 20), QPoint(44, 23)), {QPoint(20, 44), QPoint(23, 5)}}) {
                QImage img = blank(50, 50);
                DrawThickLine(img, a, b, width, kInk);
                QCOMPARE(countOf(img, kInk), 40 * width);
            }
        QImage dot = blank(10, 10);
        DrawThickLine(dot, QPoint(4, 4), QPoint(4, 4), 1, kInk);
        QCOMPARE(countOf(dot, kInk), 1);
    }

    // The other layouts get the same pixels as the 32-bit one, a chain its segments in order;
    // formats it does not write, and coordinates too far out, are refused untouched.
    void layoutsChainsAndRefusals() {
        const int xs[] = {-5, 30, 31, 70, 12, 12}, ys[] = {4, 33, 2, 20, 39, -8};
        QImage ref = blank(64, 36);
        for (int i = 1; i < 6; ++i)
            QVERIFY(DrawThickLine(ref, {xs[i - 1], ys[i - 1]}, {xs[i], ys[i]}, 3, kInk));
        QVERIFY(countOf(ref, kInk) > 100);
        for (QImage::Format f : {QImage::Format_RGB32, QImage::Format_RGB888, QImage::Format_BGR888,
                                 QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied}) {
            QImage chained = blank(64, 36, f), apart = blank(64, 36, f);
            QVERIFY(ThickLine(chained, 3, kInk).DrawChain(xs, ys, 6));
            for (int i = 1; i < 6; ++i)
                QVERIFY(ThickLine(apart, 3, kInk).Draw({xs[i - 1], ys[i - 1]}, {xs[i], ys[i]}));
            QCOMPARE(chained.convertToFormat(QImage::Format_RGB32), ref);
            QCOMPARE(apart.convertToFormat(QImage::Format_RGB32), ref);
        }
        QImage gray = blank(64, 36, QImage::Format_Grayscale8), far = blank(64, 36), none;
        const QImage grayBefore = gray;
        QVERIFY(!DrawThickLine(gray, {3, 37}, {71, 4}, 3, kInk));
        QVERIFY(!DrawThickLine(far, {-(1 << 25), 5}, {71, 4}, 3, kInk));
        const int farXs[] = {3, 40, 1 << 25}, farYs[] = {3, 30, 10};
        QVERIFY(!ThickLine(far, 2, kInk).DrawChain(farXs, farYs, 3));
        QCOMPARE(gray, grayBefore);
        QCOMPARE(far, blank(64, 36));
        QVERIFY(DrawThickLine(none, {3, 37}, {71, 4}, 3, kInk));
    }

    // The ellipse inscribed in a box of 9 by 5 pixels, as drawn by hand.
    void smallEllipseByHand() {
        OverlayModel o;
        o.CreateDrawPens(1, kInkBgr);
        QImage img = blank(15, 8);
        o.DrawShape(img, 3, 12, 2, 7, kDrawEllipse);
        QString art;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x <= 15; ++x) art += x == 15 ? '|' : img.pixelColor(x, y) == kInk ? '#' : '.';
        QCOMPARE(art, QStringLiteral("...............|...............|.....#####.....|...##.....##...|"
                                     "...#.......#...|...##.....##...|.....#####.....|...............|"));
    }

    // Any box, odd or even, in or partly out of the picture: every painted pixel lies within
    // half the pen's width (and a pixel for the chords) of the ellipse through the middles of
    // the box's edge pixels, every point of that ellipse has a painted pixel within two pixels,
    // and a one-pixel outline reaches each edge of the box and goes no further.
    void ellipseFollowsItsEquation() {
        std::mt19937 rng(5);
        const int w = 400, h = 300;
        OverlayModel o;
        // The first boxes put a point of the outline on a half: sine 30 degrees of an odd radius.
        const QSize onHalf[] = {{25, 203}, {45, 223}, {203, 25}, {223, 45}};
        for (int k = 0; k < 120; ++k) {
            int left = int(rng() % 40) - 20, top = int(rng() % 40) - 20;
            int bw = 1 + int(rng() % 370), bh = 1 + int(rng() % 270);
            if (k < 4) bw = onHalf[k].width(), bh = onHalf[k].height(), left = top = 0;
            const int width = k % 3 == 0 ? 1 : 1 + int(rng() % 5);
            o.CreateDrawPens(width, kInkBgr);
            QImage img = blank(w, h);
            o.DrawShape(img, left, left + bw, top, top + bh, kDrawEllipse);
            const double a = (bw - 1) / 2.0, b = (bh - 1) / 2.0, cx = left + a, cy = top + b;
            // Points of the curve a quarter pixel apart at most; the pixels near them.
            const int samples = int(2 * kPi * std::max({a, b, 1.0}) * 4) + 8;
            const double reach = width / 2.0 + 1.5;
            const int r = int(std::ceil(reach));
            std::vector<char> near(std::size_t(w * h), 0);
            auto inked = [&](int x, int y) {
                return x >= 0 && y >= 0 && x < w && y < h &&
                       reinterpret_cast<const QRgb*>(img.constScanLine(y))[x] == kInk.rgb();
            };
            for (int i = 0; i < samples; ++i) {
                const double t = 2 * kPi * i / samples;
                const double px = cx + a * std::cos(t), py = cy + b * std::sin(t);
                bool covered = false;
                for (int y = int(std::floor(py)) - r; y <= int(std::ceil(py)) + r; ++y)
                    for (int x = int(std::floor(px)) - r; x <= int(std::ceil(px)) + r; ++x) {
                        const double d = std::hypot(x - px, y - py);
                        if (d <= reach && x >= 0 && y >= 0 && x < w && y < h)
                            near[std::size_t(y * w + x)] = 1;
                        covered = covered || (d <= 2 && inked(x, y));
                    }
                const bool inside = px >= 2 && py >= 2 && px < w - 2 && py < h - 2;
                QVERIFY2(covered || !inside,
                         qPrintable(QStringLiteral("box %1: gap at %2, %3").arg(k).arg(px).arg(py)));
            }
            QRect extent;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    if (!inked(x, y)) continue;
                    QVERIFY2(near[std::size_t(y * w + x)],
                             qPrintable(QStringLiteral("box %1: stray %2, %3").arg(k).arg(x).arg(y)));
                    extent |= QRect(x, y, 1, 1);
                }
            if (width == 1 && left >= 0 && top >= 0) QCOMPARE(extent, QRect(left, top, bw, bh));
        }
    }

    // Lines reaching too far for the direct writer go through the painter, each with its own
    // colour and width, also after a label has been printed in between.
    void farLinesUseTheirOwnPen() {
        OverlayModel o;
        for (const auto& [y, color, width] : {std::tuple(20, 0x0000FF, 5), {45, 0x00FF00, 1}}) {
            VLine* l = o.NewLine();
            QVERIFY(l);
            l->SetX1(-(1 << 26)), l->SetY1(y), l->SetX2(1 << 26), l->SetY2(y);
            l->SetBorderColor(color), l->SetBorderWidth(width), l->SetTextX(5), l->SetTextY(70);
            o.AppendHistory(kHistLine);
        }
        QImage img = blank(120, 100);
        o.DrawingUpdate(img);
        QString column;  // rows 15 to 47 at x 60: r red, g green, . background
        for (int y = 15; y <= 47; ++y) {
            const QColor c = img.pixelColor(60, y);
            column += c == Qt::red ? 'r' : c == Qt::green ? 'g' : c == kBack ? '.' : '?';
        }
        QCOMPARE(column, QStringLiteral("...rrrrr......................g.."));
    }
};

QTEST_MAIN(TestThickLine)
#include "tst_thickline.moc"
