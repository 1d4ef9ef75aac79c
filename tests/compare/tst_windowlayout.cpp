// The main window's layout at other sizes and densities: the canvas, the strip and the panel
// take the room a resized window gives, nothing lies outside the window or over the strip, and
// the picture is fitted again to the larger canvas.

#include "CompareWindowFixture.h"

#include <QApplication>
#include <QScopeGuard>
#include <QSlider>

class TestWindowLayout : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    const cliptools::ClipRecipe raw_{.codec = cliptools::Codec::RawBGR24};

private slots:
    void partsTakeTheRoomAndStayApart_data() {
        QTest::addColumn<int>("dpi");
        QTest::addColumn<double>("scale");  // of the window, from its size as it starts
        for (int dpi : {96, 144, 192})
            for (double scale : {1.0, 1.3, 0.8}) QTest::addRow("%d dpi, %.1f", dpi, scale) << dpi << scale;
    }
    void partsTakeTheRoomAndStayApart() {
        QFETCH(int, dpi);
        QFETCH(double, scale);
        TestDesktop desktop;
        // A screen of 1024 x 768 logical pixels at that density, and text as large as it makes it.
        platform::OverrideScreenMetrics(platform::ScreenMetrics{1024 * dpi / 96, 768 * dpi / 96, double(dpi), double(dpi), 24});
        const QFont font = QApplication::font();
        QFont large = font;
        large.setPointSizeF(font.pointSizeF() * dpi / 96);
        QApplication::setFont(large);
        const auto restoreFont = qScopeGuard([&] { QApplication::setFont(font); });
        const QString path = dir_.filePath(QStringLiteral("green.avi"));
        QVERIFY(QFile::exists(path) || cliptools::WriteClip(path, raw_, 3, [](int) {
                    QImage f(1, 1, QImage::Format_RGB32);  // scaled up to the clip's size
                    f.fill(Qt::darkGreen);
                    return f;
                }));
        ChosenFile files;
        frm_Main w;
        w.showNormal();
        files.Click(w, 1, path);
        const QSize designed = w.size(), canvasBefore = w.pic_video->size();
        w.DrawToolBox->show();
        w.resize(QSize(int(designed.width() * scale), int(designed.height() * scale)));
        QCoreApplication::processEvents();

        // The canvas grows and shrinks with the window, and the frame is fitted to it again.
        QVERIFY(std::abs(w.pic_video->width() - canvasBefore.width() * scale) <= 3);
        QVERIFY(std::abs(w.pic_video->height() - canvasBefore.height() * scale) <= 3);
        const QRect fit = w.Video1.CanvasRect();
        QVERIFY(QRect(QPoint(), w.pic_video->size()).contains(fit));
        QVERIFY(fit.width() >= w.pic_video->width() - 1 || fit.height() >= w.pic_video->height() - 1);
        QCOMPARE(w.pic_video->Image().pixelColor(fit.center()), QColor(Qt::darkGreen));
        // The thumbnails stay inside the strip, and the current one stays framed.
        QVERIFY(w.picPVideoFrames->rect().contains(
            QRect(w.ImgVideoFrames[2]->mapTo(w.picPVideoFrames, QPoint()), w.ImgVideoFrames[2]->size())));
        QCOMPARE(w.shapeVideoFrame->geometry(), w.ImgVideoFrames[0]->geometry());

        // Every part lies inside the window's client area, and none over another.
        const QList<QWidget*> parts{w.Drive1,    w.Dir1,           w.File1,        w.picVideo,
                                    w.pic_video, w.picPVideoFrames, w.picVideoInfo, w.findChild<QSlider*>("sldScrub")};
        for (QWidget* part : parts) {
            QVERIFY(part && !part->isHidden());
            QVERIFY2(w.centralWidget()->rect().contains(part->geometry()), qPrintable(part->objectName()));
            for (QWidget* other : parts)
                QVERIFY2(other == part || !part->geometry().intersects(other->geometry()),
                         qPrintable(part->objectName() + QStringLiteral(" over ") + other->objectName()));
        }
        // The tool windows show all of their controls and, where they first appear and after
        // a resize, leave the strip free.
        const QRect strip(w.picPVideoFrames->mapToGlobal(QPoint()), w.picPVideoFrames->size());
        const QList<QWidget*> tools{w.VideoControls, w.DrawToolBox, w.ImageTool, w.ModelTool};
        for (QWidget* tool : tools.mid(0, scale == 1.0 ? 4 : 2)) {
            tool->show();
            for (QWidget* control : tool->findChildren<QWidget*>())
                QVERIFY2(!control->isVisibleTo(tool) || control->isWindow() ||
                             tool->rect().contains(QRect(control->mapTo(tool, QPoint()), control->size())),
                         qPrintable(tool->objectName() + QLatin1Char('/') + control->objectName()));
            QVERIFY2(tools.indexOf(tool) > 1 || !tool->frameGeometry().intersects(strip), qPrintable(tool->objectName()));
        }
    }

    // Run at every scale factor (CTest runs it again at 2): the canvas holds one pixel per
    // pixel of the screen, so a frame of one-pixel squares shown one to one on the screen keeps
    // its full contrast (drawn at the window's own units and enlarged, it would be grey or
    // blocks), and a mark is as wide on the screen as at a factor of 1.
    void thePictureIsDrawnAtScreenPixels() {
        frm_Main w;
        w.showNormal();
        QCoreApplication::processEvents();
        const qreal ratio = w.pic_video->devicePixelRatioF();
        const QSize pixels = (QSizeF(w.pic_video->size()) * ratio).toSize();
        const QString path = dir_.filePath(QStringLiteral("squares.avi"));
        cliptools::ClipRecipe recipe = raw_;
        recipe.width = pixels.width();
        recipe.height = pixels.height();
        QVERIFY(cliptools::WriteClip(path, recipe, 2, [&](int) {
            QImage f(pixels, QImage::Format_RGB32);
            for (int y = 0; y < f.height(); ++y)
                for (int x = 0; x < f.width(); ++x) f.setPixel(x, y, (x + y) % 2 ? 0xFFFFFFFF : 0xFF000000);
            return f;
        }));
        QVERIFY(w.fOpenAvi(path));
        const int h = pixels.height();
        DrawRedLine(w, QPointF(10, h / 2), QPointF(pixels.width() - 10, h / 2), QPointF(pixels.width() / 2, h - 40));

        const QImage& canvas = w.pic_video->Image();
        QCOMPARE(canvas.size(), pixels);
        QCOMPARE(canvas.devicePixelRatio(), ratio);
        QCOMPARE(w.Video1.CanvasRect().size(), w.pic_video->size());
        int alternating = 0, marked = 0;
        for (int y = 10; y < 30; ++y)
            for (int x = 10; x < 30; ++x)
                alternating += canvas.pixel(x, y) != canvas.pixel(x + 1, y) &&
                               qGray(canvas.pixel(x, y)) + qGray(canvas.pixel(x + 1, y)) == 255;
        QCOMPARE(alternating, 400);
        for (int y = 0; y < canvas.height(); ++y) marked += canvas.pixel(pixels.width() / 2, y) == 0xFFFF0000;
        QCOMPARE(marked, qRound(3 * ratio));
    }
};

QTEST_MAIN(TestWindowLayout)
#include "tst_windowlayout.moc"
