#include "shell/Artwork.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QSet>
#include <QTest>

#include <functional>
#include <vector>

namespace {

struct NamedIcon {
    QString name;
    QIcon icon;
};

// Every icon the program puts on a button.
std::vector<NamedIcon> AllIcons() {
    std::vector<NamedIcon> icons;
    for (int n : {9, 2, 10, 4, 7, 8, 12, 13})
        icons.push_back({QStringLiteral("toolbar %1").arg(n), ToolbarIcon(n)});
    for (int n : {1, 2, 3, 4, 5, 6, 8, 9, 10})
        icons.push_back({QStringLiteral("draw tool %1").arg(n), DrawToolIcon(n)});
    for (int n : {0, 1, 2, 4, 5, 6})
        icons.push_back({QStringLiteral("video %1").arg(n), VideoControlIcon(n)});
    icons.push_back({QStringLiteral("program"), AppIcon()});
    return icons;
}

QImage Pixels(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

// True when the image has both see-through and solid pixels: something is drawn, and it is
// not a filled square.
bool HasShapeOnTransparency(const QImage& image) {
    bool clear = false, solid = false;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int a = qAlpha(image.pixel(x, y));
            clear = clear || a == 0;
            solid = solid || a == 255;
        }
    }
    return clear && solid;
}

bool IsDark(QRgb px) {
    return qAlpha(px) >= 128 && qGray(px) < 100;
}

// Longest run of dark pixels down one column.
int DarkRun(const QImage& image, int x) {
    int best = 0, run = 0;
    for (int y = 0; y < image.height(); ++y) {
        run = IsDark(image.pixel(x, y)) ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}

int CountPixels(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& test) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += test(image.pixel(x, y)) ? 1 : 0;
    return n;
}

QColor MeanOfRow(const QImage& image, int y) {
    qint64 r = 0, g = 0, b = 0;
    for (int x = 0; x < image.width(); ++x) {
        const QRgb px = image.pixel(x, y);
        r += qRed(px);
        g += qGreen(px);
        b += qBlue(px);
    }
    const int n = image.width();
    return QColor(int(r / n), int(g / n), int(b / n));
}

}  // namespace

class TestArtwork : public QObject {
    Q_OBJECT
private slots:
    // Every icon is a shape on a clear ground at every size, has its own disabled look,
    // and differs from every other icon; numbers without an icon give none.
    void icons() {
        const std::vector<NamedIcon> icons = AllIcons();
        for (size_t i = 0; i < icons.size(); ++i) {
            const QString& name = icons[i].name;
            QVERIFY2(!icons[i].icon.isNull(), qPrintable(name));
            for (int s : {16, 24, 32, 48}) {
                const QPixmap pm = icons[i].icon.pixmap(s);
                QCOMPARE(pm.size(), QSize(s, s));
                QVERIFY2(HasShapeOnTransparency(Pixels(pm)),
                         qPrintable(name + QStringLiteral(" at %1").arg(s)));
            }
            const QImage normal = Pixels(icons[i].icon.pixmap(24));
            const QImage disabled = Pixels(icons[i].icon.pixmap(24, QIcon::Disabled));
            QVERIFY2(disabled != normal, qPrintable(name));
            QVERIFY2(HasShapeOnTransparency(disabled), qPrintable(name));
            for (size_t j = i + 1; j < icons.size(); ++j)
                QVERIFY2(normal != Pixels(icons[j].icon.pixmap(24)),
                         qPrintable(name + " = " + icons[j].name));
        }
        for (int n : {-1, 0, 1, 3, 5, 6, 11, 14, 100})
            QVERIFY2(ToolbarIcon(n).isNull(), qPrintable(QString::number(n)));
        for (int n : {-1, 0, 7, 11}) QVERIFY2(DrawToolIcon(n).isNull(), qPrintable(QString::number(n)));
        for (int n : {-1, 3, 7}) QVERIFY2(VideoControlIcon(n).isNull(), qPrintable(QString::number(n)));
    }

    void lineWidthImagesShowTheirWidth() {
        const QSize size(120, 26);
        QList<QImage> seen;
        for (int w = 1; w <= 5; ++w) {
            for (bool lit : {false, true}) {
                const QImage image = Pixels(LineWidthImage(w, lit, size));
                QCOMPARE(image.size(), size);
                // The middle column crosses the line; its dark run is the pen width itself.
                QCOMPARE(DarkRun(image, size.width() / 2), w);
                QVERIFY(!seen.contains(image));
                seen.append(image);
            }
            // The highlight tints the background, not just a few pixels.
            const QRect corner(2, 2, 8, 3);
            QCOMPARE(CountPixels(seen[seen.size() - 2], corner, [](QRgb px) { return qAlpha(px) > 0; }), 0);
            QCOMPARE(CountPixels(seen.last(), corner, [](QRgb px) { return qAlpha(px) == 255; }),
                     corner.width() * corner.height());
            // Smaller buttons keep the true widths too.
            QCOMPARE(DarkRun(Pixels(LineWidthImage(w, false, QSize(40, 12))), 20), w);
        }
        QVERIFY(LineWidthImage(0, false, QSize(100, 20)).isNull());
        QVERIFY(LineWidthImage(6, true, QSize(100, 20)).isNull());
        QVERIFY(LineWidthImage(3, false, QSize(0, 20)).isNull());
        QVERIFY(LineWidthImage(3, false, QSize(-5, -5)).isNull());
    }

    void splashFillsEverySize_data() {
        QTest::addColumn<QSize>("size");
        for (QSize s :
             {QSize(300, 200), QSize(640, 480), QSize(975, 422), QSize(1248, 594), QSize(1400, 900)})
            QTest::addRow("%dx%d", s.width(), s.height()) << s;
    }

    void splashFillsEverySize() {
        QFETCH(QSize, size);
        const QImage image = Pixels(SplashPicture(size));
        QCOMPARE(image.size(), size);
        const QRect all = image.rect();
        QCOMPARE(CountPixels(image, all, [](QRgb px) { return qAlpha(px) != 255; }), 0);
        QSet<QRgb> colours;
        for (int y = 0; y < size.height(); y += 3)
            for (int x = 0; x < size.width(); x += 3) colours.insert(image.pixel(x, y));
        QVERIFY2(colours.size() > 200, qPrintable(QString::number(colours.size())));
        // Sky above, grass below.
        const QColor sky = MeanOfRow(image, 1), grass = MeanOfRow(image, size.height() - 2);
        QVERIFY(sky.blue() > sky.green() && sky.blue() > sky.red());
        QVERIFY(grass.green() > grass.red() && grass.green() > grass.blue());
        // The white name sits in the upper right and is big enough to read.
        const QRect nameArea(size.width() * 45 / 100, 0, size.width() * 55 / 100, size.height() / 2);
        const int white = CountPixels(
            image, nameArea, [](QRgb px) { return qRed(px) > 240 && qGreen(px) > 240 && qBlue(px) > 240; });
        QVERIFY2(white > size.width() * size.height() / 400, qPrintable(QString::number(white)));
        // The golfer's dark silhouette stands on the left.
        const QRect golferArea(0, size.height() / 4, size.width() / 2, size.height() * 3 / 4);
        QVERIFY(CountPixels(image, golferArea, [](QRgb px) { return qGray(px) < 50; }) >
                size.width() * size.height() / 100);
        // The top and bottom of the picture are not cut from a single colour.
        QVERIFY(MeanOfRow(image, 0) != MeanOfRow(image, size.height() - 1));
    }

    // Pictures are built once per size; empty sizes give none.
    void picturesAreBuiltOnce() {
        QCOMPARE(SplashPicture(QSize(400, 300)).cacheKey(), SplashPicture(QSize(400, 300)).cacheKey());
        QVERIFY(SplashPicture(QSize(400, 300)).cacheKey() != SplashPicture(QSize(401, 300)).cacheKey());
        QCOMPARE(LineWidthImage(2, true, QSize(90, 20)).cacheKey(),
                 LineWidthImage(2, true, QSize(90, 20)).cacheKey());
        QCOMPARE(ToolbarIcon(9).cacheKey(), ToolbarIcon(9).cacheKey());
        QCOMPARE(AppIcon().cacheKey(), AppIcon().cacheKey());
        QVERIFY(SplashPicture(QSize()).isNull());
        QVERIFY(SplashPicture(QSize(0, 100)).isNull());
    }

    void thumbnailCursorPointsWithItsFingertip() {
        const QCursor cursor = ThumbnailCursor();
        QCOMPARE(cursor.shape(), Qt::BitmapCursor);
        const QImage image = Pixels(cursor.pixmap());
        QCOMPARE(image.size(), QSize(32, 32));
        QVERIFY(HasShapeOnTransparency(image));
        const QPoint hot = cursor.hotSpot();
        QVERIFY(image.rect().contains(hot));
        // The hot spot lies on the outline of the finger tip, with nothing drawn above it.
        int near = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) near += qAlpha(image.pixel(hot + QPoint(dx, dy))) > 128 ? 1 : 0;
        QVERIFY(near > 0);
        for (int y = 0; y < hot.y() - 1; ++y) QCOMPARE(qAlpha(image.pixel(hot.x(), y)), 0);
    }
};

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
