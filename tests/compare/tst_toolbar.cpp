// Toolbar commands: opening through the dialog, the image tool window, copying the canvas.

#include <QCheckBox>
#include <QScrollBar>
#include "ClipWriter.h"
#include "MsgBoxRecorder.h"
#include "TestDesktop.h"
#include "clips/ClipPreview.h"
#include "compare/frmImageTool.h"
#include "overlay/CanvasDrawing.h"
#include "overlay/frmDrawToolBox.h"
#include "platform/Clipboard.h"
#include "playback/frmVideoControls.h"
#include "platform/FileDialog.h"
#include "platform/FileListBoxes.h"
#include "platform/PictureBox.h"
#include "platform/RegistryStore.h"
#include "platform/Twips.h"
#include "shell/Globals.h"
#include "shell/MainToolbar.h"
#include "shell/frm_Main.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

using namespace platform;

class TestToolbar : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDesktop> desktop_;
    QTemporaryDir clips_;
    std::vector<FileDialogRequest> requests_;
    FileDialogResult answer_;

private slots:
    void initTestCase() {
        cliptools::ClipSpec clipFormat;
        clipFormat.width = 160;
        clipFormat.height = 120;
        QVERIFY(cliptools::WriteClip(clips_.filePath(QStringLiteral("Drive.AVI")), clipFormat, 6,
                                     [](int i) { return cliptools::NumberedFrame(i, 160, 120); }));
        QVERIFY(cliptools::NumberedFrame(5, 100, 80).save(clips_.filePath(QStringLiteral("stance.jpg"))));
        SetFileDialogAnswerer([this](const FileDialogRequest& r) {
            requests_.push_back(r);
            return answer_;
        });
    }
    void cleanupTestCase() { SetFileDialogAnswerer({}); }

    void init() {
        desktop_ = std::make_unique<TestDesktop>();
        requests_.clear();
        answer_ = {};
    }
    void cleanup() { desktop_.reset(); }

    void cancelledOpenChangesNothing() {
        MsgBoxRecorder boxes;
        frm_Main w;
        const QString before = G().WorkingDir;
        w.Toolbar_Click(1);
        QCOMPARE(requests_.size(), size_t(1));
        const FileDialogRequest& r = requests_[0];
        QCOMPARE(r.title, QStringLiteral("Open AVI File"));
        QCOMPARE(r.startFolder, before);
        QVERIFY(r.preview);
        QCOMPARE(r.filters.size(), size_t(3));
        QCOMPARE(r.filters[0].description, QStringLiteral("Video Files"));
        for (const char* kind : {"*.avi", "*.mp4", "*.mov", "*.mkv", "*.webm", "*.m4v", "*.3gp"})
            QVERIFY(r.filters[0].patterns.split(QLatin1Char(';')).contains(QLatin1String(kind)));
        QCOMPARE(r.filters[1], (FileFilterPair{QStringLiteral("AVI Files"), QStringLiteral("*.avi")}));
        QCOMPARE(r.filters[2],
                 (FileFilterPair{QStringLiteral("Picture Files"), QStringLiteral("*.bmp;*.jpg;*.jpeg")}));
        QCOMPARE(G().WorkingDir, before);
        QVERIFY(!G().ClipLoaded);
        QVERIFY(!w.Toolbar1->Enabled(3));
        QVERIFY(!w.mnuToolsTOP->menuAction()->isEnabled());
        QVERIFY(boxes.calls.empty());
    }

    void openVideoFromTheFileMenuLoadsTheClip() {
        MsgBoxRecorder boxes;
        frm_Main w;
        answer_.accepted = true;
        answer_.path = clips_.filePath(QStringLiteral("Drive.AVI"));  // ".AVI" opens as a clip
        answer_.filterIndex = 1;
        w.mnuFile_Click(0);
        QVERIFY(boxes.calls.empty());
        QCOMPARE(w.Video1.frameCount, short(6));
        QCOMPARE(cliptools::ReadFrameNumber(w.pic_video->Image()), 0);
        // The folder list follows, and it names the working folder.
        QCOMPARE(G().WorkingDir, QDir::cleanPath(clips_.path()));
        QCOMPARE(w.Dir1->Path(), QDir::cleanPath(clips_.path()));
        for (int b : {3, 4, 5, 7, 10, 11}) QVERIFY(w.Toolbar1->Enabled(b));
        QVERIFY(w.Toolbar1->Value(10));
        QVERIFY(w.mnuToolsTOP->menuAction()->isEnabled());
        QVERIFY(!w.mnuTools[4]->isEnabled());
        QVERIFY(w.mnuTools[9]->isEnabled());
        // The video controls came up with the clip, and the menu item hides them again.
        QVERIFY(w.mnuTools[9]->isChecked() && !w.VideoControls->isHidden());
        w.mnuTools[9]->trigger();
        QVERIFY(!w.mnuTools[9]->isChecked() && w.VideoControls->isHidden());
        w.mnuTools[9]->trigger();
        QVERIFY(w.mnuTools[9]->isChecked() && !w.VideoControls->isHidden());
        QVERIFY(w.mnuTools[6]->isChecked());
        // A picture through the same command.
        answer_.path = clips_.filePath(QStringLiteral("stance.jpg"));
        w.Toolbar_Click(1);
        QCOMPARE(w.ClipKind, 1);
        QCOMPARE(cliptools::ReadFrameNumber(w.pic_video->Image().copy(0, 0, 100, 80)), 5);
    }

    void imageToolFollowsItsButtonMenuAndCloseBox() {
        frm_Main w;
        w.show();
        G().ToolPos.imageTool = QPoint(1500, 3000);
        w.Toolbar_Click(4);
        QVERIFY(w.ImageToolOn);
        QVERIFY(w.ImageTool->isVisible());
        QVERIFY(w.Toolbar1->Value(4));
        QVERIFY(w.mnuTools[0]->isChecked());
        QCOMPARE(w.ImageTool->pos(), QPoint(100, 200));
        w.ImageTool->move(50, 60);
        // Its close box is the same command: hidden, position kept for next time.
        QVERIFY(!w.ImageTool->close());
        QVERIFY(!w.ImageToolOn);
        QVERIFY(!w.ImageTool->isVisible());
        QVERIFY(!w.Toolbar1->Value(4));
        QVERIFY(!w.mnuTools[0]->isChecked());
        QCOMPARE(G().ToolPos.imageTool, QPoint(750, 900));
        // The menu item toggles it too.
        w.mnuTools[0]->trigger();
        QVERIFY(w.ImageToolOn);
        QVERIFY(w.mnuTools[0]->isChecked());
        QCOMPARE(w.ImageTool->pos(), QPoint(50, 60));
    }

    void copyImagePutsTheFrameWithItsMarksOnTheClipboard() {
        MsgBoxRecorder boxes;
        frm_Main w;
        w.show();
        answer_.accepted = true;
        answer_.path = clips_.filePath(QStringLiteral("Drive.AVI"));
        w.Toolbar_Click(1);
        const QImage frame = w.pic_video->Image().copy();
        // A red line three pixels wide, then a rectangle, drawn with the mouse.
        w.Toolbar_Click(3);
        w.Toolbar_Click(20);
        w.Drawing->Overlay().Line1.BorderColor = 0x0000FF;
        w.Drawing->Overlay().Line1.BorderWidth = 3;
        QTest::mousePress(w.pic_video, Qt::LeftButton, {}, QPoint(100, 300));
        QTest::mouseMove(w.pic_video, QPoint(400, 300));
        QTest::mouseRelease(w.pic_video, Qt::LeftButton, {}, QPoint(400, 300));
        w.Toolbar_Click(21);
        QTest::mousePress(w.pic_video, Qt::LeftButton, {}, QPoint(120, 200));
        QTest::mouseMove(w.pic_video, QPoint(220, 260));
        QTest::mouseRelease(w.pic_video, Qt::LeftButton, {}, QPoint(220, 260));
        QCOMPARE(w.Drawing->Overlay().DrawHistoryIndex, short(2));
        QImage copied;
        SetClipboardAnswerer([&](const QImage& image) {
            copied = image;
            return true;
        });
        w.Toolbar_Click(5);
        SetClipboardAnswerer({});
        copied = copied.convertToFormat(QImage::Format_RGB32);
        QCOMPARE(copied.size(), frame.size());
        // The marks are in it: the line across its width, the rectangle's edges, not its inside.
        for (const QPoint p : {QPoint(250, 299), QPoint(250, 300), QPoint(250, 301), QPoint(170, 200),
                               QPoint(120, 230), QPoint(219, 230), QPoint(170, 259)})
            QVERIFY2(copied.pixelColor(p) == QColor(Qt::red), qPrintable(QStringLiteral("%1, %2").arg(p.x()).arg(p.y())));
        QCOMPARE(copied.pixelColor(170, 230), frame.pixelColor(170, 230));
        QCOMPARE(copied.pixelColor(250, 303), frame.pixelColor(250, 303));
        // And the frame under them.
        QCOMPARE(cliptools::ReadFrameNumber(copied), 0);
        QVERIFY(boxes.calls.empty());
    }

    void marksDrawnOnAClipStayOverEveryFrameShown() {
        MsgBoxRecorder boxes;
        frm_Main w;
        w.show();
        answer_.accepted = true;
        answer_.path = clips_.filePath(QStringLiteral("Drive.AVI"));
        w.Toolbar_Click(1);
        // Drawing on: the tool box appears at its place and the line tool is chosen.
        w.Toolbar_Click(3);
        QVERIFY(w.Drawing->Overlay().DrawingOn);
        QVERIFY(w.Toolbar1->Value(3));
        QVERIFY(w.mnuTools[1]->isChecked());
        QVERIFY(w.DrawToolBox->isVisible());
        w.Toolbar_Click(20);
        QCOMPARE(w.Drawing->Overlay().DrawTool, short(1));
        w.Drawing->Overlay().Line1.BorderColor = 0x0000FF;  // red, as 0x00BBGGRR
        w.Drawing->Overlay().Line1.BorderWidth = 3;
        QTest::mousePress(w.pic_video, Qt::LeftButton, {}, QPoint(100, 300));
        QTest::mouseMove(w.pic_video, QPoint(250, 300));
        QTest::mouseRelease(w.pic_video, Qt::LeftButton, {}, QPoint(400, 300));
        QCOMPARE(w.Drawing->Overlay().LineCount, short(1));
        QCOMPARE(w.pic_video->Image().pixelColor(250, 300), QColor(Qt::red));
        // Another frame is painted with the mark over it.
        w.ImgVideoFrames_Click(4);
        QCOMPARE(cliptools::ReadFrameNumber(w.pic_video->Image()), 4);
        QCOMPARE(w.pic_video->Image().pixelColor(250, 300), QColor(Qt::red));
        QCOMPARE(w.pic_video->Image().pixelColor(250, 301), QColor(Qt::red));  // 3 pixels wide
        // Drawing off hides the tool box and keeps its place.
        w.Toolbar_Click(3);
        QVERIFY(!w.Drawing->Overlay().DrawingOn);
        QVERIFY(!w.DrawToolBox->isVisible());
        QVERIFY(!w.Toolbar1->Value(3));
        QVERIFY(boxes.calls.empty());
    }

    void recentFilesReopenAndMoveToTheTop() {
        MsgBoxRecorder boxes;
        frm_Main w;
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("first.avi"));
        QVERIFY(QFile::copy(clips_.filePath(QStringLiteral("Drive.AVI")), first));
        const QString second = clips_.filePath(QStringLiteral("Drive.AVI"));
        answer_.accepted = true;
        answer_.path = first;
        w.Toolbar_Click(1);
        answer_.path = second;
        w.Toolbar_Click(1);
        QVERIFY(w.mnuFile[5]->text().endsWith(QStringLiteral("Drive.AVI")));
        QVERIFY(w.mnuFile[6]->text().endsWith(QStringLiteral("first.avi")));
        // Reopening the second entry swaps the two slots and loads it.
        w.mnuFile_Click(6);
        QVERIFY(w.mnuFile[5]->text().endsWith(QStringLiteral("first.avi")));
        QVERIFY(w.mnuFile[6]->text().endsWith(QStringLiteral("Drive.AVI")));
        QCOMPARE(w.Video1.clipFileName, QStringLiteral("first.avi"));
        QVERIFY(boxes.calls.empty());
        // A recent clip that is gone: the reader's message, and the loaded clip stays.
        w.ImgVideoFrames_Click(3);
        QVERIFY(QFile::remove(first));
        w.mnuFile_Click(5);
        QCOMPARE(boxes.calls.size(), size_t(1));
        QVERIFY(
            boxes.calls[0].prompt.startsWith(QStringLiteral("There was an error working with the file:")));
        QCOMPARE(w.Video1.clipFileName, QStringLiteral("first.avi"));
        QCOMPARE(cliptools::ReadFrameNumber(w.pic_video->Image()), 3);
        // Nothing happens while frames load.
        G().BusyLoading = true;
        w.mnuFile_Click(6);
        G().BusyLoading = false;
        QCOMPARE(w.Video1.clipFileName, QStringLiteral("first.avi"));
    }

    void imageToolEffectsRepaintAtOnce() {
        MsgBoxRecorder boxes;
        frm_Main w;
        answer_.accepted = true;
        answer_.path = clips_.filePath(QStringLiteral("Drive.AVI"));
        w.Toolbar_Click(1);
        w.ImgVideoFrames_Click(3);
        const QImage plain = w.pic_video->Image().copy();
        const QPoint probe(plain.width() / 2, plain.height() * 3 / 4);  // the coloured half
        const QColor c = plain.pixelColor(probe);
        // Invert: every channel turned over, at once.
        w.ImageTool->chkFlag[1]->setChecked(true);
        QCOMPARE(w.Flags(), 256);
        QCOMPARE(w.pic_video->Image().pixelColor(probe),
                 QColor(255 - c.red(), 255 - c.green(), 255 - c.blue()));
        // Flip X as well: the same frame, mirrored left-right (flags 262400).
        w.ImageTool->chkFlag[2]->setChecked(true);
        QCOMPARE(w.Flags(), 262400);
        w.ImageTool->chkFlag[1]->setChecked(false);
        QCOMPARE(cliptools::ReadFrameNumber(w.pic_video->Image().mirrored(true, false)), 3);
        QVERIFY(w.pic_video->Image() != plain);
        // Brightness only: lighter, clamped; back to 0 gives the plain picture again.
        w.ImageTool->chkFlag[2]->setChecked(false);
        w.ImageTool->VScrBright->setValue(40);
        QCOMPARE(
            w.pic_video->Image().pixelColor(probe),
            QColor(std::min(255, c.red() + 40), std::min(255, c.green() + 40), std::min(255, c.blue() + 40)));
        w.ImageTool->VScrBright->setValue(0);
        QCOMPARE(w.Flags(), 0);
        QCOMPARE(w.pic_video->Image(), plain);
        QVERIFY(boxes.calls.empty());
    }

    void previewPaneGetsAClipsFirstFrameQuietly() {
        MsgBoxRecorder boxes;
        frm_Main w;
        const ClipPreviewProvider& provider = CurrentClipPreviewProvider();
        QVERIFY(provider);
        QCOMPARE(cliptools::ReadFrameNumber(provider(clips_.filePath(QStringLiteral("Drive.AVI")))), 0);
        QVERIFY(provider(clips_.filePath(QStringLiteral("stance.jpg"))).isNull());
        QVERIFY(ClipFirstFrame(QStringLiteral("/no/such.avi")).isNull());
        QVERIFY(boxes.calls.empty());
    }
};

QTEST_MAIN(TestToolbar)
#include "tst_toolbar.moc"
