// The main window's layout at other sizes and densities: the canvas, the strip and the panel
// take the room a resized window gives, nothing lies outside the window or over the strip, and
// the picture is fitted again to the larger canvas.

#include "ClipWriter.h"
#include "TestDesktop.h"
#include "compare/frmImageTool.h"
#include "compare/frmModelTool.h"
#include "overlay/frmDrawToolBox.h"
#include "platform/FileDialog.h"
#include "platform/FileListBoxes.h"
#include "platform/PictureBox.h"
#include "playback/frmVideoControls.h"
#include "shell/frm_Main.h"

#include <QApplication>
#include <QScopeGuard>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

class TestWindowLayout : public QObject {
    Q_OBJECT
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
        // A screen of 1024 x 768 logical pixels at that density.
        const int w0 = 1024 * dpi / 96, h0 = 768 * dpi / 96;
        platform::OverrideScreenMetrics(platform::ScreenMetrics{w0, h0, double(dpi), double(dpi), 24});
        // Text as large as that density makes it.
        const QFont font = QApplication::font();
        QFont large = font;
        large.setPointSizeF(font.pointSizeF() * dpi / 96);
        QApplication::setFont(large);
        const auto restoreFont = qScopeGuard([&] { QApplication::setFont(font); });
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("clip.avi"));
        cliptools::ClipSpec clipFormat;
        clipFormat.width = 320;
        clipFormat.height = 240;
        clipFormat.codec = cliptools::Codec::RawBGR24;
        QVERIFY(cliptools::WriteClip(path, clipFormat, 3, [](int) {
            QImage f(320, 240, QImage::Format_RGB32);
            f.fill(Qt::darkGreen);
            return f;
        }));
        platform::SetFileDialogAnswerer([&](const platform::FileDialogRequest&) {
            return platform::FileDialogResult{true, path, {}, 1, false};
        });
        frm_Main w;
        w.showNormal();
        w.Toolbar_Click(1);
        platform::SetFileDialogAnswerer({});
        const QSize designed = w.size();
        const QSize canvasBefore = w.pic_video->size();
        w.resize(QSize(int(designed.width() * scale), int(designed.height() * scale)));
        QCoreApplication::processEvents();

        // The canvas grows and shrinks with the window, and the frame is fitted to it again.
        QVERIFY(std::abs(w.pic_video->width() - canvasBefore.width() * scale) <= 3);
        QVERIFY(std::abs(w.pic_video->height() - canvasBefore.height() * scale) <= 3);
        const QRect fit = w.Video1.CanvasRect();
        QVERIFY(QRect(QPoint(), w.pic_video->size()).contains(fit));
        QVERIFY(fit.width() >= w.pic_video->width() - 1 || fit.height() >= w.pic_video->height() - 1);
        QCOMPARE(w.pic_video->Image().pixelColor(fit.center()), QColor(Qt::darkGreen));

        // Every part lies inside the window's client area, and none over another.
        QWidget* client = w.centralWidget();
        const QList<QWidget*> parts{w.Drive1,       w.Dir1,
                                    w.File1,        w.picVideo,
                                    w.pic_video,    w.picPVideoFrames,
                                    w.picVideoInfo, w.findChild<QSlider*>(QStringLiteral("sldScrub"))};
        for (QWidget* part : parts) {
            QVERIFY(part && !part->isHidden());
            QVERIFY2(client->rect().contains(part->geometry()),
                     qPrintable(part->objectName() + QStringLiteral(" outside")));
            for (QWidget* other : parts)
                if (other != part)
                    QVERIFY2(!part->geometry().intersects(other->geometry()),
                             qPrintable(part->objectName() + QStringLiteral(" over ") + other->objectName()));
        }
        // The tool windows show all of their controls and, where they first appear, leave the
        // strip free.
        if (scale != 1.0) return;
        const QRect strip(w.picPVideoFrames->mapToGlobal(QPoint()), w.picPVideoFrames->size());
        for (QWidget* tool : {static_cast<QWidget*>(w.VideoControls), static_cast<QWidget*>(w.DrawToolBox),
                              static_cast<QWidget*>(w.ImageTool), static_cast<QWidget*>(w.ModelTool)}) {
            tool->show();
            for (QWidget* control : tool->findChildren<QWidget*>())
                if (control->isVisibleTo(tool) && !control->isWindow())
                    QVERIFY2(tool->rect().contains(QRect(control->mapTo(tool, QPoint()), control->size())),
                             qPrintable(tool->objectName() + QLatin1Char('/') + control->objectName()));
            if (tool == w.VideoControls || tool == w.DrawToolBox)
                QVERIFY2(!tool->frameGeometry().intersects(strip), qPrintable(tool->objectName()));
        }
    }
};

QTEST_MAIN(TestWindowLayout)
#include "tst_windowlayout.moc"
