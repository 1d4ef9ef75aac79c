#include "imaging/DibFormat.h"
#include "imaging/cDIBSection.h"

#include <QTest>

#include <limits>

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

bool load(cDIBSection& d, const QByteArray& packed) {
    return d.CreateFromPackedDIB(reinterpret_cast<const uint8_t*>(packed.constData()), size_t(packed.size()));
}

// Greys given row by row from the top.
void setGreys(cDIBSection& d, std::initializer_list<int> values) {
    int i = 0;
    for (int v : values) {
        uint8_t* p = d.HDC()->scanLine(i / d.Width()) + 3 * (i % d.Width());
        p[0] = p[1] = p[2] = uint8_t(v);
        ++i;
    }
}

}  // namespace

class TestDIBSection : public QObject {
    Q_OBJECT

private slots:
    // A size either gives a black buffer with rows padded to four bytes, or is refused (bytes 0).
    void createdSizes_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("bytes");
        QTest::newRow("4") << 4 << 3 << 12;
        QTest::newRow("5") << 5 << 3 << 16;
        QTest::newRow("321") << 321 << 3 << 964;
        QTest::newRow("zero") << 0 << 0 << 0;
        QTest::newRow("negative width") << -5 << 10 << 0;
        QTest::newRow("negative height") << 10 << -5 << 0;
        QTest::newRow("width*3 overflows") << std::numeric_limits<int>::max() << 1 << 0;
        QTest::newRow("rows overflow 32 bits") << 40000 << 40000 << 0;
    }
    void createdSizes() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, bytes);
        cDIBSection d;
        QCOMPARE(d.Create(width, height), bytes > 0);
        if (bytes == 0) {
            QVERIFY(d.HDC() == nullptr);
            QVERIFY(d.Resample(10, 10) != nullptr);  // resampling an empty buffer still makes one
            QVERIFY(d.Resample(height, width) == nullptr);
            return;
        }
        QCOMPARE(d.BytesPerScanLine(), bytes);
        QCOMPARE(d.HDC()->scanLine(1) - d.HDC()->scanLine(0), qptrdiff(bytes));
        QVERIFY(d.DIBSectionBitsPtr() == d.HDC()->bits());
        QImage black(width, height, QImage::Format_BGR888);
        black.fill(Qt::black);
        QCOMPARE(*d.HDC(), black);
        const QByteArray packed = d.PackedDIB();
        const dib::BitmapInfoHeader h = dib::ReadInfoHeader(reinterpret_cast<const uint8_t*>(packed.constData()));
        QCOMPARE(h.biWidth, width);
        QCOMPARE(int(h.biSizeImage), bytes * height);
        // Cleared up, the buffer is gone but its size still reported; a failed creation likewise.
        d.ClearUp();
        d.ClearUp();
        QVERIFY(d.HDC() == nullptr && d.DIBSectionBitsPtr() == nullptr);
        QCOMPARE(QSize(d.Width(), d.Height()), QSize(width, height));
        QVERIFY(d.PackedDIB().isEmpty() && d.BmpFileBytes().isEmpty());
        QVERIFY(!d.Create(0, 9));
        QCOMPARE(d.Width(), width);
    }

    // A packed bitmap, bottom-up or top-down, read in and out again (also as a BMP file); a damaged
    // one refused.
    // Rows: bytes kept (-1 all, 0 none) and a 32-bit value patched in at an offset.
    void packedBitmaps_data() {
        QTest::addColumn<bool>("bottomUp");
        QTest::addColumn<int>("keep");
        QTest::addColumn<int>("offset");
        QTest::addColumn<uint>("value");
        QTest::addColumn<bool>("ok");
        QTest::newRow("bottom-up") << true << -1 << -1 << 0u << true;
        QTest::newRow("top-down") << false << -1 << -1 << 0u << true;
        QTest::newRow("no data") << true << 0 << -1 << 0u << false;
        QTest::newRow("header cut") << true << 39 << -1 << 0u << false;
        QTest::newRow("last row cut short") << true << 40 + 16 * 3 - 1 << -1 << 0u << false;
        QTest::newRow("header too small") << true << -1 << 0 << 39u << false;
        QTest::newRow("header larger than the data") << true << -1 << 0 << 0xFFFFFFF0u << false;
        QTest::newRow("no width") << true << -1 << 4 << 0u << false;
        QTest::newRow("negative width") << true << -1 << 4 << 0x80000000u << false;
        QTest::newRow("rows far beyond the data") << true << -1 << 4 << 0x7FFFFFFFu << false;
        QTest::newRow("no height") << true << -1 << 8 << 0u << false;
        QTest::newRow("height that cannot be negated") << true << -1 << 8 << 0x80000000u << false;
        QTest::newRow("palette bitmap") << true << -1 << 14 << 8u << false;
        QTest::newRow("compressed") << true << -1 << 16 << 1u << false;
        QTest::newRow("colour table beyond the data") << true << -1 << 32 << 0x10000000u << false;
    }
    void packedBitmaps() {
        QFETCH(bool, bottomUp);
        QFETCH(int, keep);
        QFETCH(int, offset);
        QFETCH(uint, value);
        QByteArray packed = packedGradient(5, 3, bottomUp);
        if (offset >= 0) dib::WriteU32(reinterpret_cast<uint8_t*>(packed.data()) + offset, value);
        if (keep >= 0) packed.truncate(keep);
        cDIBSection d;
        QTEST(keep == 0 ? d.CreateFromPackedDIB(nullptr, 100) : load(d, packed), "ok");
        if (!d.HDC()) return;
        QCOMPARE(QSize(d.Width(), d.Height()), QSize(5, 3));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) QCOMPARE(d.HDC()->pixelColor(x, y), QColor(x + y, y, x));
        // Out again always bottom-up: the first row in memory is the picture's bottom row.
        const QByteArray out = d.PackedDIB();
        const QByteArray bottomUpIn = packedGradient(5, 3, true);
        QCOMPARE(out.size(), 40 + 16 * 3);
        QCOMPARE(out.left(40), bottomUpIn.left(40));
        for (int row = 0; row < 3; ++row) QCOMPARE(out.mid(40 + 16 * row, 15), bottomUpIn.mid(40 + 16 * row, 15));
        // And as a BMP file that another reader reads back.
        const QByteArray bmp = d.BmpFileBytes();
        QCOMPARE(bmp.size(), 54 + 16 * 3);
        QCOMPARE(QImage::fromData(bmp, "BMP").convertToFormat(QImage::Format_BGR888), *d.HDC());
    }

    void picturesAndBlockCopies() {
        QImage argb(6, 4, QImage::Format_ARGB32);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) argb.setPixelColor(x, y, QColor(40 * x, 60 * y, 200));
        cDIBSection d;
        QVERIFY(d.CreateFromPicture(argb));
        QCOMPARE(*d.HDC(), argb.convertToFormat(QImage::Format_BGR888));
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
        // 2x2 greys, top row 200, 50; bottom row 0, 100 (rows counted from the bottom as stored).
        cDIBSection d;
        QVERIFY(d.Create(2, 2));
        setGreys(d, {200, 50, 0, 100});
        const auto r = d.Resample(4, 4);
        QVERIFY(r);
        QCOMPARE(QSize(r->Width(), r->Height()), QSize(4, 4));
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
                for (int c = 0; c < 3; ++c) QCOMPARE(int(r->HDC()->constScanLine(y)[3 * x + c]), expected[y][x]);

        // The same size is an exact copy.
        QVERIFY(load(d, packedGradient(5, 3, true)));
        QCOMPARE(*d.Resample(3, 5)->HDC(), *d.HDC());

        // One row: the missing neighbour is the pixel itself.
        cDIBSection line;
        QVERIFY(line.Create(3, 1));
        setGreys(line, {10, 20, 30});
        const auto tall = line.Resample(2, 4);  // scale x = 2/4
        QVERIFY(tall);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) QCOMPARE(int(tall->HDC()->constScanLine(y)[3 * x]), 10 + 5 * x);
    }

};

QTEST_MAIN(TestDIBSection)
#include "tst_dibsection.moc"
