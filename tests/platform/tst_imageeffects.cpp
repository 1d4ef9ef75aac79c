// Brightness, inversion, mirroring, blending and the scaled and plain copies, as the
// compositor relies on them.

#include "platform/Graphics2D.h"
#include "platform/ImageEffects.h"

#include <QTest>

using namespace platform;

namespace {
// A picture whose every pixel differs, so that a wrong mapping or mirror shows.
QImage ramp(QImage::Format format, int w = 7, int h = 3) {
    QImage img(w, h, format);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixelColor(x, y, QColor(x * 30 + 10, y * 80 + 5, 250 - x * 20));
    return img;
}
}  // namespace

class TestImageEffects : public QObject {
    Q_OBJECT
private slots:
    void formats_data() {
        QTest::addColumn<int>("format");
        QTest::newRow("32-bit") << int(QImage::Format_RGB32);
        QTest::newRow("24-bit") << int(QImage::Format_BGR888);
    }

    // Amount 0 without flags leaves the picture alone, in place; other amounts clamp per channel.
    void brightnessIsClampedPerChannel_data() { formats_data(); }
    void brightnessIsClampedPerChannel() {
        QFETCH(int, format);
        QImage img = ramp(QImage::Format(format), 2, 1);
        const QImage before = img;
        const uchar* bits = img.constBits();
        QCOMPARE(FoxBrightness(img, 0, 0, 0), 1);
        QCOMPARE(img, before);
        QCOMPARE(img.constBits(), bits);  // never detached or copied
        img.setPixelColor(0, 0, QColor(10, 200, 250));
        img.setPixelColor(1, 0, QColor(0, 128, 255));
        FoxBrightness(img, 40, 0, 0);
        QCOMPARE(img.pixelColor(0, 0), QColor(50, 240, 255));
        QCOMPARE(img.pixelColor(1, 0), QColor(40, 168, 255));
        FoxBrightness(img, -255, 0, 0);
        QCOMPARE(img.pixelColor(0, 0), QColor(0, 0, 0));
        FoxBrightness(img, 9999, 0, 0);  // out-of-range amounts act as the extremes
        QCOMPARE(img.pixelColor(1, 0), QColor(255, 255, 255));
    }

    void invertAndMirrorAloneAndTogether_data() { formats_data(); }
    void invertAndMirrorAloneAndTogether() {
        QFETCH(int, format);
        const QImage original = ramp(QImage::Format(format));
        QImage inverted = original;
        FoxBrightness(inverted, 0, 0, kEffectInvert);
        const QColor c = original.pixelColor(3, 1);
        QCOMPARE(inverted.pixelColor(3, 1), QColor(255 - c.red(), 255 - c.green(), 255 - c.blue()));
        QCOMPARE(qAlpha(inverted.pixel(3, 1)), 255);

        QImage mirrored = original;
        FoxBrightness(mirrored, 0, 0, kEffectMirror);
        for (int x = 0; x < 7; ++x) QCOMPARE(mirrored.pixelColor(x, 2), original.pixelColor(6 - x, 2));

        // A region of width w put at left x is read back from holder width - w - x.
        const int w = 3, x = 1;
        const QImage region = original.copy(x, 0, w, 3).mirrored(true, false);
        QCOMPARE(mirrored.copy(7 - w - x, 0, w, 3), region);

        // Both: 262400, brighter as well.
        QImage both = original;
        FoxBrightness(both, 5, 0, kEffectInvert | kEffectMirror);
        const QColor o = original.pixelColor(0, 0);
        QCOMPARE(both.pixelColor(6, 0), QColor(250 - o.red(), 250 - o.green(), 250 - o.blue()));
    }

    void blendWeights_data() { formats_data(); }
    void blendWeights() {
        QFETCH(int, format);
        QImage canvas(4, 2, QImage::Format(format));
        canvas.fill(QColor(200, 100, 0));
        QImage model(4, 2, QImage::Format(format));
        model.fill(QColor(0, 100, 255));
        const QImage before = canvas;
        QCOMPARE(FoxAlphaBlend(canvas, 0, 0, 4, 2, model, 0, 0, 0, 0xFF00FF, 0), 1);
        QCOMPARE(canvas, before);
        FoxAlphaBlend(canvas, 0, 0, 4, 2, model, 0, 0, 128, 0xFF00FF, 0);
        QCOMPARE(canvas.pixelColor(2, 1), QColor(100, 100, 128));  // (200*127+0*128)/255 rounded
        canvas = before;
        FoxAlphaBlend(canvas, 0, 0, 4, 2, model, 0, 0, 255, 0xFF00FF, 0);
        QCOMPARE(canvas, model);
        // Asked for more than both hold: cut to the source's width and the canvas's height.
        canvas = before;
        QCOMPARE(FoxAlphaBlend(canvas, 1, 1, 10, 10, model, 2, 0, 255, 0, 0), 1);
        QCOMPARE(canvas.copy(1, 1, 2, 1), model.copy(2, 0, 2, 1));
        QCOMPARE(canvas.copy(0, 0, 4, 1), before.copy(0, 0, 4, 1));
        QCOMPARE(canvas.pixelColor(0, 1), before.pixelColor(0, 1));
        QCOMPARE(canvas.pixelColor(3, 1), before.pixelColor(3, 1));
        // Entirely outside, or formats that differ: nothing happens.
        const QImage cut = canvas;
        QCOMPARE(FoxAlphaBlend(canvas, 4, 0, 3, 3, model, 0, 0, 255, 0, 0), 0);
        const QImage other = model.convertToFormat(format == QImage::Format_RGB32 ? QImage::Format_BGR888 : QImage::Format_RGB32);
        QCOMPARE(FoxAlphaBlend(canvas, 0, 0, 3, 3, other, 0, 0, 255, 0, 0), 0);
        QCOMPARE(canvas, cut);
        QImage unsupported(2, 2, QImage::Format_Indexed8);
        QCOMPARE(FoxBrightness(unsupported, 10, 0, 0), 0);
    }

    // Enlarged by 2 into a rectangle hanging off the left: each visible pixel shows the
    // source pixel under its centre; 24-bit sources and non-32-bit targets agree with it.
    void stretchMapsPixelCentresAndCutsToTheTarget() {
        const QImage source = ramp(QImage::Format_RGB32, 4, 2);
        for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_BGR888}) {
            QImage dest(6, 5, format);
            dest.fill(Qt::black);
            StretchBlt(dest, QRect(-2, 0, 8, 4), source.convertToFormat(format), QRect(0, 0, 4, 2));
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 6; ++x) QCOMPARE(dest.pixel(x, y), source.pixel((x + 2) / 2, y / 2));
            QCOMPARE(dest.pixel(0, 4), qRgb(0, 0, 0));  // below the rectangle: untouched
        }
        // Rows long enough for the vector paths, enlarged by an odd ratio or shrunk, and copied plain.
        QImage distinct(37, 3, QImage::Format_RGB32);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 37; ++x) distinct.setPixel(x, y, qRgb(x * 7, y * 50, 255 - x));
        for (const int width : {61, 9}) {
            QImage wideDest(width, 5, QImage::Format_RGB32);
            StretchBlt(wideDest, QRect(0, 0, width, 5), distinct, QRect(0, 0, 37, 3));
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < width; ++x)
                    QCOMPARE(wideDest.pixel(x, y), distinct.pixel((2 * x + 1) * 37 / (2 * width), (2 * y + 1) * 3 / 10));
        }
        const QImage bgr = distinct.convertToFormat(QImage::Format_BGR888);
        QImage plain(37, 3, QImage::Format_RGB32);
        BitBlt(plain, QPoint(0, 0), bgr, bgr.rect());
        QCOMPARE(plain, distinct);
        // Shrunk by 3 from an offset region: centres pick columns 1, 4 of the region.
        const QImage wide = ramp(QImage::Format_RGB32, 7, 3);
        QImage small(2, 1, QImage::Format_RGB32);
        StretchBlt(small, QRect(0, 0, 2, 1), wide, QRect(1, 0, 6, 3));
        QCOMPARE(small.pixel(0, 0), wide.pixel(2, 1));
        QCOMPARE(small.pixel(1, 0), wide.pixel(5, 1));
    }

    // Canvas units to device pixels: neighbouring regions meet without a gap or an overlap at
    // every ratio, and a whole canvas maps to all of its pixels.
    void unitsToPixelsTileTheCanvas() {
        for (const qreal ratio : {1.0, 1.25, 1.5, 2.0}) {
            QImage canvas(qRound(8 * ratio), qRound(8 * ratio), QImage::Format_RGB32);
            canvas.setDevicePixelRatio(ratio);
            QCOMPARE(InPixels(QRect(0, 0, 8, 8), canvas), QRect(QPoint(), canvas.size()));
            for (int x = 1; x < 8; ++x)
                QCOMPARE(InPixels(QRect(0, 1, x, 3), canvas).right() + 1, InPixels(QRect(x, 2, 8 - x, 5), canvas).left());
        }
    }

    void plainCopyConvertsTheFrameAndCutsToBoth_data() { formats_data(); }
    void plainCopyConvertsTheFrameAndCutsToBoth() {
        QFETCH(int, format);
        const QImage frame = ramp(QImage::Format(format), 5, 3);
        QImage holder(4, 4, QImage::Format_RGB32);
        holder.fill(Qt::black);
        BitBlt(holder, QPoint(2, 1), frame, QRect(1, 0, 4, 3));  // 2 of 4 columns fit
        QCOMPARE(holder.pixel(2, 1), frame.pixel(1, 0));
        QCOMPARE(holder.pixel(3, 3), frame.pixel(2, 2));
        QCOMPARE(holder.pixel(1, 1), qRgb(0, 0, 0));
        QCOMPARE(holder.pixel(2, 0), qRgb(0, 0, 0));
        QCOMPARE(qAlpha(holder.pixel(3, 2)), 255);
    }
};

QTEST_MAIN(TestImageEffects)
#include "tst_imageeffects.moc"
