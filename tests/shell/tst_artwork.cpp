// The drawn artwork: what the program relies on, not how it looks (that is the product's
// choice): icons that are shapes and tell apart, line-width pictures of their true width,
// pictures of the size asked for.

#include "ui/Artwork.h"

#include <QTest>

namespace {

QImage Pixels(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

// Something is drawn, and it is not a filled square.
bool HasShapeOnTransparency(const QImage& image) {
    bool clear = false, solid = false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            clear = clear || qAlpha(image.pixel(x, y)) == 0;
            solid = solid || qAlpha(image.pixel(x, y)) == 255;
        }
    return clear && solid;
}

// Longest run of dark pixels down one column.
int DarkRun(const QImage& image, int x) {
    int best = 0, run = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb px = image.pixel(x, y);
        run = qAlpha(px) >= 128 && qGray(px) < 100 ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}

}  // namespace

class TestArtwork : public QObject {
    Q_OBJECT
private slots:
    // Every button's icon is a shape at every size, has a disabled look of its own and differs
    // from every other; numbers without an icon give none.
    void icons() {
        std::vector<std::pair<QString, QIcon>> icons{{"program", AppIcon()}, {"whole frame", WholeFrameIcon()}};
        struct Set { const char* name; QIcon (*icon)(int); std::vector<int> drawn, none; };
        for (const Set& set : {Set{"toolbar", ToolbarIcon, {9, 2, 10, 4, 7, 8, 12, 13}, {0, 1, 3, 11, 14}},
                               Set{"draw tool", DrawToolIcon, {1, 2, 3, 4, 5, 6, 8, 9, 10}, {0, 7, 11}},
                               Set{"video", VideoControlIcon, {0, 1, 2, 4, 5, 6}, {-1, 3, 7}}}) {
            for (int n : set.drawn) icons.push_back({QStringLiteral("%1 %2").arg(set.name).arg(n), set.icon(n)});
            for (int n : set.none) QVERIFY(set.icon(n).isNull());
        }
        for (size_t i = 0; i < icons.size(); ++i) {
            const auto& [name, icon] = icons[i];
            for (int s : {16, 48}) QVERIFY2(HasShapeOnTransparency(Pixels(icon.pixmap(s))), qPrintable(name));
            const QImage normal = Pixels(icon.pixmap(24));
            QVERIFY2(Pixels(icon.pixmap(24, QIcon::Disabled)) != normal, qPrintable(name));
            for (size_t j = i + 1; j < icons.size(); ++j)
                QVERIFY2(normal != Pixels(icons[j].second.pixmap(24)),
                         qPrintable(name + " = " + icons[j].first));
        }
    }

    void lineWidthImagesShowTheirWidth() {
        for (int w = 1; w <= 5; ++w)
            for (QSize size : {QSize(120, 26), QSize(40, 12)})
                for (bool lit : {false, true}) {
                    const QImage image = Pixels(LineWidthImage(w, lit, size));
                    QCOMPARE(image.size(), size);
                    QCOMPARE(DarkRun(image, size.width() / 2), w);       // the middle column crosses the line
                    QCOMPARE(qAlpha(image.pixel(2, 2)), lit ? 255 : 0);  // the highlight tints the ground
                }
        QVERIFY(LineWidthImage(0, false, QSize(100, 20)).isNull() &&
                LineWidthImage(6, true, QSize(100, 20)).isNull());
        QVERIFY(LineWidthImage(3, false, QSize(0, 20)).isNull());
    }

    // Each size its own picture (sizes that share a side too); how often one is built is a
    // matter of speed, for the benchmarks.
    void picturesHaveTheirSize() {
        for (QSize s : {QSize(300, 200), QSize(300, 900), QSize(1400, 900)}) QCOMPARE(SplashPicture(s).size(), s);
        QVERIFY(SplashPicture(QSize(0, 100)).isNull());
    }

    // The thumbnail cursor's hot spot lies on its drawing, with nothing drawn above it.
    void thumbnailCursorPointsWithItsFingertip() {
        const QCursor cursor = ThumbnailCursor();
        const QImage image = Pixels(cursor.pixmap());
        const QPoint hot = cursor.hotSpot();
        QVERIFY(image.rect().adjusted(1, 1, -1, -1).contains(hot));
        int near = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) near += qAlpha(image.pixel(hot + QPoint(dx, dy))) > 128 ? 1 : 0;
        QVERIFY(near > 0);
        for (int y = 0; y < hot.y() - 1; ++y) QCOMPARE(qAlpha(image.pixel(hot.x(), y)), 0);
    }
};

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
