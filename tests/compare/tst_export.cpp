// Export Picture: the canvas's picture at the frame's own resolution, written all or nothing.

#include "MsgBoxRecorder.h"
#include "NumberedClip.h"
#include "TestDesktop.h"
#include "overlay/CanvasDrawing.h"
#include "platform/FileDialog.h"
#include "platform/PictureBox.h"
#include "playback/frmVideoControls.h"
#include "shell/Globals.h"
#include "shell/MainToolbar.h"
#include "shell/frm_Main.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QScrollBar>
#include <QTest>

#include <csignal>
#include <optional>
#include <sys/resource.h>

using namespace platform;

namespace {

constexpr int kWidth = 960;
constexpr int kHeight = 720;

// Keeps every file of this process below `bytes` until it goes: a full disk, without one.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

}  // namespace

class TestExport : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDesktop> desktop_;
    QTemporaryDir clips_;
    QString clip_;
    QString model_;
    std::vector<FileDialogRequest> requests_;
    FileDialogResult answer_;

    // A window with the clip open and a red line, three canvas pixels wide, drawn across the
    // lower part of the frame; returns the line's canvas row and its ends.
    struct Drawn {
        int y, x1, x2;
    };
    Drawn openAndDraw(frm_Main& w) {
        w.show();
        answer_ = {};
        answer_.accepted = true;
        answer_.path = clip_;
        w.Toolbar_Click(1);
        const QRect r = w.Video1.CanvasRect();
        const Drawn d{r.y() + r.height() * 4 / 5, r.x() + r.width() / 5, r.x() + r.width() * 4 / 5};
        w.Toolbar_Click(3);
        w.Toolbar_Click(20);
        w.Drawing->Overlay().Line1.BorderColor = 0x0000FF;
        w.Drawing->Overlay().Line1.BorderWidth = 3;
        QTest::mousePress(w.pic_video, Qt::LeftButton, {}, QPoint(d.x1, d.y));
        QTest::mouseMove(w.pic_video, QPoint(d.x2, d.y));
        QTest::mouseRelease(w.pic_video, Qt::LeftButton, {}, QPoint(d.x2, d.y));
        requests_.clear();
        return d;
    }

private slots:
    void initTestCase() {
        clip_ = WriteNumberedClip(clips_.path(), QStringLiteral("Swing.avi"), 3, kWidth, kHeight);
        model_ = WriteNumberedClip(clips_.path(), QStringLiteral("Model.avi"), 3, 400, 300);
        SetFileDialogAnswerer([this](const FileDialogRequest& r) {
            requests_.push_back(r);
            return answer_;
        });
    }
    void cleanupTestCase() { SetFileDialogAnswerer({}); }
    void init() { desktop_ = std::make_unique<TestDesktop>(); }
    void cleanup() { desktop_.reset(); }

    void writesTheCanvasPictureAtTheFramesSize_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<int>("tolerance");
        QTest::newRow("png") << "a.png" << "a.png" << QByteArray("png") << 0;
        QTest::newRow("jpg") << "b.jpg" << "b.jpg" << QByteArray("jpeg") << 60;
        QTest::newRow("JPEG") << "c.JPEG" << "c.JPEG" << QByteArray("jpeg") << 60;
        QTest::newRow("no extension") << "d" << "d.png" << QByteArray("png") << 0;
        QTest::newRow("other extension") << "e.v2" << "e.v2.png" << QByteArray("png") << 0;
    }
    void writesTheCanvasPictureAtTheFramesSize() {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QFETCH(QByteArray, format);
        QFETCH(int, tolerance);
        QTemporaryDir out;
        MsgBoxRecorder boxes;
        frm_Main w;
        const Drawn d = openAndDraw(w);
        const QRect canvasRect = w.Video1.CanvasRect();
        QVERIFY(canvasRect.size() != QSize(kWidth, kHeight));  // else the test proves nothing
        answer_.path = out.filePath(chosen);
        const QImage canvasBefore = w.pic_video->Image().copy();
        w.mnuExportPicture->trigger();
        QCOMPARE(requests_.size(), size_t(1));
        QCOMPARE(requests_[0].kind, FileDialogRequest::Save);
        QCOMPARE(requests_[0].title, QStringLiteral("Export Picture"));
        QVERIFY2(boxes.calls.empty(), qPrintable(boxes.prompts().join(QLatin1Char('|'))));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList{written});
        QImageReader reader(out.filePath(written));
        QCOMPARE(reader.format(), format);
        const QImage picture = reader.read().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(picture.size(), QSize(kWidth, kHeight));
        QCOMPARE(cliptools::ReadFrameNumber(picture), 0);
        // The line lands on the same picture pixels, its width scaled with it.
        const double s = double(kWidth) / canvasRect.width();
        const int py = int((d.y - canvasRect.y() + 0.5) * s);
        auto reddish = [&](QPoint p) {
            const QColor c = picture.pixelColor(p);
            return c.red() >= 255 - tolerance && c.green() <= tolerance && c.blue() <= tolerance;
        };
        for (double t : {0.1, 0.5, 0.9}) {
            const int px = int((d.x1 + t * (d.x2 - d.x1) - canvasRect.x()) * s);
            QVERIFY2(reddish({px, py}), qPrintable(QStringLiteral("%1, %2").arg(px).arg(py)));
            QVERIFY(reddish({px, py + int(s)}) && reddish({px, py - int(s)}));
            QVERIFY(!reddish({px, py - int(6 * s)}));
        }
        // The canvas itself is as it was.
        QCOMPARE(w.pic_video->Image(), canvasBefore);
    }

    // With a model, blended or beside video 1: the picture, brought down to the canvas's
    // scale, is the canvas.
    void withTheModelThePictureIsTheCanvasEnlarged_data() {
        QTest::addColumn<bool>("split");
        QTest::newRow("blend") << false;
        QTest::newRow("split") << true;
    }
    void withTheModelThePictureIsTheCanvasEnlarged() {
        QFETCH(bool, split);
        QTemporaryDir out;
        MsgBoxRecorder boxes;
        frm_Main w;
        openAndDraw(w);
        answer_.path = model_;
        w.Toolbar_Click(7);
        QVERIFY(G().ModelShown);
        w.VideoControls->hscrBlend->setValue(128);
        if (split) {
            w.Toolbar1->SetValue(11, true);
            w.Toolbar_Click(11);
        }
        w.PasteAvi(w.CurrentVideoFrame);
        QCOMPARE(!w.Toolbar1->Value(10), split);
        const QRect area = split ? w.Video1.CanvasRect().united(w.Model.CanvasRect()) : w.Video1.CanvasRect();
        const double s = double(w.Video1.SourceRect().width()) / w.Video1.CanvasRect().width();
        answer_.path = out.filePath(QStringLiteral("both.png"));
        w.mnuExportPicture->trigger();
        QVERIFY(boxes.calls.empty());
        const QImage picture = QImage(answer_.path).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(picture.height(), kHeight);
        QVERIFY(std::abs(picture.width() - area.width() * s) <= 1);
        const QImage& canvas = w.pic_video->Image();
        int probes = 0, same = 0;
        for (int y = area.top() + 2; y < area.bottom() - 2; y += 7)
            for (int x = area.left() + 2; x < area.right() - 2; x += 7) {
                const QRgb a = canvas.pixel(x, y);
                const QRgb b = picture.pixel(int((x - area.x() + 0.5) * s), int((y - area.y() + 0.5) * s));
                ++probes;
                same += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) <= 12;
            }
        // Nearest-pixel sampling may pick the neighbour across an edge; nothing more.
        QVERIFY2(same >= probes * 97 / 100, qPrintable(QStringLiteral("%1 of %2").arg(same).arg(probes)));
    }

    void aFailedExportLeavesNothingAndSaysWhy_data() {
        QTest::addColumn<QString>("target");  // "" = a folder of the test's
        QTest::addColumn<bool>("existing");
        QTest::addColumn<int>("sizeLimit");
        QTest::newRow("folder that cannot be written") << "/proc/self/swing.png" << false << 0;
        QTest::newRow("full target") << "" << false << 1024;
        QTest::newRow("full target over an older picture") << "" << true << 1024;
    }
    void aFailedExportLeavesNothingAndSaysWhy() {
        QFETCH(QString, target);
        QFETCH(bool, existing);
        QFETCH(int, sizeLimit);
        QTemporaryDir out;
        if (target.isEmpty()) target = out.filePath(QStringLiteral("swing.png"));
        const QByteArray older("an older picture");
        if (existing) {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(older) == older.size());
        }
        MsgBoxRecorder boxes;
        frm_Main w;
        openAndDraw(w);
        const QImage canvasBefore = w.pic_video->Image().copy();
        const short marks = w.Drawing->Overlay().DrawHistoryIndex;
        answer_.path = target;
        {
            std::optional<FileSizeLimit> limit;
            if (sizeLimit) limit.emplace(rlim_t(sizeLimit));
            w.mnuExportPicture_Click();
        }
        QCOMPARE(boxes.calls.size(), size_t(1));
        QVERIFY(boxes.calls[0].prompt.startsWith(QStringLiteral("The picture could not be written to ") + target));
        if (existing) {
            QFile f(target);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), older);
        } else {
            QVERIFY(!QFile::exists(target));
        }
        if (sizeLimit) QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), existing ? 1 : 0);
        QCOMPARE(w.pic_video->Image(), canvasBefore);
        QCOMPARE(w.Drawing->Overlay().DrawHistoryIndex, marks);
    }

    void nothingOpenNothingAsked() {
        MsgBoxRecorder boxes;
        frm_Main w;
        requests_.clear();
        w.mnuExportPicture_Click();
        QVERIFY(requests_.empty());
        QCOMPARE(boxes.calls.size(), size_t(1));
    }
};

QTEST_MAIN(TestExport)
#include "tst_export.moc"
