#include "imaging/DibFormat.h"
#include "imaging/cDIBSection.h"

#include <QTest>

#include <limits>
#include <vector>

namespace {

// A packed 24-bit bitmap whose pixel (x, y) counted from the top is (x, y, x + y) in B, G, R.
QByteArray packedGradient(int width, int height, bool bottomUp) {
    const int stride = (width * 3 + 3) & ~3;
    QByteArray packed(40 + stride * height, char(0x5A));  // padding bytes carry a marker
    auto* p = reinterpret_cast<uint8_t*>(packed.data());
    dib::WriteInfoHeader(p, dib::Header24(width, bottomUp ? height : -height));
    for (int y = 0; y < height; ++y) {
        uint8_t* row = p + 40 + stride * (bottomUp ? height - 1 - y : y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = uint8_t(x);
            row[3 * x + 1] = uint8_t(y);
            row[3 * x + 2] = uint8_t(x + y);
        }
    }
    return packed;
}

QColor gradientAt(int x, int y) {
    return QColor(uint8_t(x + y), uint8_t(y), uint8_t(x));
}

void setGrey(cDIBSection& d, int x, int y, int value) {
    uint8_t* p = d.HDC()->scanLine(y) + 3 * x;
    p[0] = p[1] = p[2] = uint8_t(value);
}

}  // namespace

class TestDIBSection : public QObject {
    Q_OBJECT

private slots:
    void scanLinesArePaddedToFourBytes_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("bytes");
        QTest::newRow("1") << 1 << 4;
        QTest::newRow("4") << 4 << 12;
        QTest::newRow("5") << 5 << 16;
        QTest::newRow("320") << 320 << 960;
        QTest::newRow("321") << 321 << 964;
    }
    void scanLinesArePaddedToFourBytes() {
        QFETCH(int, width);
        QFETCH(int, bytes);
        cDIBSection d;
        QVERIFY(d.Create(width, 3));
        QCOMPARE(d.BytesPerScanLine(), bytes);
        QCOMPARE(int(d.HDC()->bytesPerLine()), bytes);
        QCOMPARE(d.HDC()->scanLine(1) - d.HDC()->scanLine(0), qptrdiff(bytes));
        // The header's fields are held against a BMP reader in bmpFileBytesReadBack.
        const QByteArray packed = d.PackedDIB();
        const dib::BitmapInfoHeader h = dib::ReadInfoHeader(reinterpret_cast<const uint8_t*>(packed.constData()));
        QCOMPARE(h.biWidth, width);
        QCOMPARE(int(h.biSizeImage), bytes * 3);
    }

    void createStartsBlackAndClearUpKeepsTheSize() {
        cDIBSection d;
        QVERIFY(d.HDC() == nullptr);
        d.ClearUp();  // on a buffer never created
        QVERIFY(d.Create(7, 5));
        QVERIFY(d.HDC() != nullptr);
        QCOMPARE(d.HDC()->format(), QImage::Format_BGR888);
        QVERIFY(d.DIBSectionBitsPtr() == d.HDC()->bits());
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) QCOMPARE(d.HDC()->pixelColor(x, y), QColor(Qt::black));
        d.ClearUp();
        d.ClearUp();
        QVERIFY(d.HDC() == nullptr);
        QVERIFY(d.DIBSectionBitsPtr() == nullptr);
        QCOMPARE(d.Width(), 7);
        QCOMPARE(d.Height(), 5);
        QVERIFY(d.PackedDIB().isEmpty());
        // A failed creation leaves the buffer empty, the last good size still reported.
        QVERIFY(d.Create(9, 9));
        QVERIFY(!d.Create(0, 9));
        QVERIFY(d.HDC() == nullptr);
        QCOMPARE(d.Width(), 9);
    }

    void absurdSizesAreRefused_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("zero") << 0 << 0;
        QTest::newRow("negative width") << -5 << 10;
        QTest::newRow("negative height") << 10 << -5;
        QTest::newRow("width*3 overflows") << std::numeric_limits<int>::max() << 1;
        QTest::newRow("rows overflow 32 bits") << 40000 << 40000;
    }
    void absurdSizesAreRefused() {
        QFETCH(int, width);
        QFETCH(int, height);
        cDIBSection d;
        QVERIFY(!d.Create(width, height));
        QVERIFY(d.HDC() == nullptr);
        QVERIFY(d.Resample(10, 10) != nullptr);  // resampling an empty buffer still makes one
        QVERIFY(d.Resample(height, width) == nullptr);
    }

    void packedBitmapsAreBottomUp() {
        const QByteArray packed = packedGradient(5, 3, true);
        cDIBSection d;
        QVERIFY(d.CreateFromPackedDIB(reinterpret_cast<const uint8_t*>(packed.constData()),
                                      size_t(packed.size())));
        QCOMPARE(d.Width(), 5);
        QCOMPARE(d.Height(), 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) QCOMPARE(d.HDC()->pixelColor(x, y), gradientAt(x, y));
        // Out again: the first row in memory is the picture's bottom row.
        const QByteArray out = d.PackedDIB();
        QCOMPARE(out.size(), 40 + 16 * 3);
        QCOMPARE(uint8_t(out[40 + 1]), uint8_t(2));           // green of (0, bottom row 2)
        QCOMPARE(uint8_t(out[40 + 16 * 2 + 1]), uint8_t(0));  // last row in memory is the top
        const dib::BitmapInfoHeader h =
            dib::ReadInfoHeader(reinterpret_cast<const uint8_t*>(out.constData()));
        QCOMPARE(h.biHeight, 3);
        QCOMPARE(int(h.biSizeImage), 48);
        for (int row = 0; row < 3; ++row) QCOMPARE(out.mid(40 + 16 * row, 15), packed.mid(40 + 16 * row, 15));
        // A top-down packed bitmap (negative height) gives the same picture.
        const QByteArray topDown = packedGradient(5, 3, false);
        cDIBSection t;
        QVERIFY(t.CreateFromPackedDIB(reinterpret_cast<const uint8_t*>(topDown.constData()),
                                      size_t(topDown.size())));
        QCOMPARE(*t.HDC(), *d.HDC());
    }

    void damagedPackedBitmapsAreRefused() {
        QByteArray good = packedGradient(5, 3, true);
        const auto* g = reinterpret_cast<const uint8_t*>(good.constData());
        cDIBSection d;
        QVERIFY(!d.CreateFromPackedDIB(nullptr, 100));
        QVERIFY(!d.CreateFromPackedDIB(g, 39));
        QVERIFY(!d.CreateFromPackedDIB(g, size_t(good.size()) - 1));  // last row cut short
        const auto patched = [&](int offset, uint32_t value) {
            QByteArray b = good;
            dib::WriteU32(reinterpret_cast<uint8_t*>(b.data()) + offset, value);
            return b;
        };
        const auto refused = [&](const QByteArray& b) {
            return !d.CreateFromPackedDIB(reinterpret_cast<const uint8_t*>(b.constData()), size_t(b.size()));
        };
        QVERIFY(refused(patched(0, 39)));            // header too small
        QVERIFY(refused(patched(0, 0xFFFFFFF0u)));   // header larger than the data
        QVERIFY(refused(patched(4, 0)));             // no width
        QVERIFY(refused(patched(4, 0x80000000u)));   // negative width
        QVERIFY(refused(patched(4, 0x7FFFFFFFu)));   // rows far beyond the data
        QVERIFY(refused(patched(8, 0)));             // no height
        QVERIFY(refused(patched(8, 0x80000000u)));   // height that cannot be negated
        QVERIFY(refused(patched(14, 8)));            // palette bitmap (bit count in the low half)
        QVERIFY(refused(patched(16, 1)));            // compressed
        QVERIFY(refused(patched(32, 0x10000000u)));  // colour table beyond the data
        QVERIFY(d.HDC() == nullptr);
    }

    void picturesAndBlockCopies() {
        QImage argb(6, 4, QImage::Format_ARGB32);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) argb.setPixelColor(x, y, QColor(40 * x, 60 * y, 200));
        cDIBSection d;
        QVERIFY(d.CreateFromPicture(argb));
        QCOMPARE(d.Width(), 6);
        QCOMPARE(d.Height(), 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) QCOMPARE(d.HDC()->pixelColor(x, y), QColor(40 * x, 60 * y, 200));
        QVERIFY(!d.CreateFromPicture(QImage()));
        QVERIFY(d.HDC() == nullptr);

        // A block copy from (2, 1) lands at (0, 0); what falls outside the source is kept.
        cDIBSection b;
        QVERIFY(b.Create(6, 4));
        b.LoadPictureBlt(argb, 2, 1);
        QCOMPARE(b.HDC()->pixelColor(0, 0), QColor(80, 60, 200));
        QCOMPARE(b.HDC()->pixelColor(3, 2), QColor(200, 180, 200));
        QCOMPARE(b.HDC()->pixelColor(4, 0), QColor(Qt::black));  // source column 6 does not exist
        QCOMPARE(b.HDC()->pixelColor(0, 3), QColor(Qt::black));  // source row 4 does not exist
        b.LoadPictureBlt(argb, -1, 0, 2, 1);
        QCOMPARE(b.HDC()->pixelColor(1, 0), QColor(0, 0, 200));
        QCOMPARE(b.HDC()->pixelColor(0, 0), QColor(80, 60, 200));  // left of the source: untouched
    }

    void resampleIsBilinearFromTheBottomRow() {
        // 2x2 greys; rows counted from the bottom as the bitmap stores them:
        // bottom row 0, 100; top row 200, 50.
        cDIBSection d;
        QVERIFY(d.Create(2, 2));
        setGrey(d, 0, 1, 0);
        setGrey(d, 1, 1, 100);
        setGrey(d, 0, 0, 200);
        setGrey(d, 1, 0, 50);
        const auto r = d.Resample(4, 4);
        QVERIFY(r);
        QCOMPARE(r->Width(), 4);
        QCOMPARE(r->Height(), 4);
        // Scale 0.25 both ways; columns blended first along y, rounded (ties to even), then
        // along x, rounded again. Worked by hand, top row first:
        const int expected[4][4] = {
            {150, 128, 106, 84},  // fy .75: columns 150, 62 (62.5 to even)
            {100, 94, 88, 81},    // fy .5: columns 100, 75
            {50, 60, 69, 78},     // fy .25: columns 50, 88 (87.5 to even); 59.5 -> 60, 78.5 -> 78
            {0, 25, 50, 75},      // fy 0: the bottom row itself
        };
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                for (int c = 0; c < 3; ++c)
                    QCOMPARE(int(r->HDC()->constScanLine(y)[3 * x + c]), expected[y][x]);

        // The same size is an exact copy.
        const QByteArray gradient = packedGradient(5, 3, true);
        QVERIFY(d.CreateFromPackedDIB(reinterpret_cast<const uint8_t*>(gradient.constData()),
                                      size_t(gradient.size())));
        const auto same = d.Resample(3, 5);
        QVERIFY(same);
        QCOMPARE(*same->HDC(), *d.HDC());

        // One row or one column: the missing neighbour is the pixel itself.
        cDIBSection line;
        QVERIFY(line.Create(3, 1));
        setGrey(line, 0, 0, 10);
        setGrey(line, 1, 0, 20);
        setGrey(line, 2, 0, 30);
        const auto tall = line.Resample(2, 4);  // scale x = 2/4
        QVERIFY(tall);
        for (int y = 0; y < 2; ++y) {
            const uint8_t* row = tall->HDC()->constScanLine(y);
            QCOMPARE(int(row[0]), 10);
            QCOMPARE(int(row[3]), 15);
            QCOMPARE(int(row[6]), 20);
            QCOMPARE(int(row[9]), 25);
        }
    }

    void bmpFileBytesReadBack() {
        const QByteArray packed = packedGradient(321, 7, true);
        cDIBSection d;
        QVERIFY(d.CreateFromPackedDIB(reinterpret_cast<const uint8_t*>(packed.constData()),
                                      size_t(packed.size())));
        const QByteArray bmp = d.BmpFileBytes();
        QCOMPARE(bmp.size(), 54 + 964 * 7);
        const QImage read = QImage::fromData(bmp, "BMP");
        QCOMPARE(read.size(), QSize(321, 7));
        QCOMPARE(read.convertToFormat(QImage::Format_BGR888), *d.HDC());
        d.ClearUp();
        QVERIFY(d.BmpFileBytes().isEmpty());
    }
};

QTEST_MAIN(TestDIBSection)
#include "tst_dibsection.moc"
