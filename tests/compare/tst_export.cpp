// Export Picture: the canvas's picture at the frame's own resolution, written all or nothing.

#include "FfmpegReference.h"
#include "MsgBoxRecorder.h"
#include "NumberedClip.h"
#include "TestDesktop.h"
#include "SwingDrawing.h"
#include "compare/ExportRange.h"
#include "compare/KeyPositionsController.h"
#include "compare/PictureExporter.h"
#include "compare/VideoExporter.h"
#include "compare/frmModelTool.h"
#include "overlay/CanvasDrawing.h"
#include "platform/FileDialog.h"
#include "platform/PictureBox.h"
#include "playback/frmVideoControls.h"
#include "shell/Globals.h"
#include "shell/MainToolbar.h"
#include "shell/frm_Main.h"

#include <QAction>
#include <QCheckBox>
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
    QString video_;  // 12 frames at 30 a second, for the video export
    QString model5_;
    QString still_;  // a clip of one frame
    ExportRangeAnswer range_;
    std::vector<FileDialogRequest> requests_;
    FileDialogResult answer_;

    // A window with the clip open and a red line, three canvas pixels wide, drawn across the
    // lower part of the frame; returns the line's canvas row and its ends.
    struct Drawn {
        int y, x1, x2;
    };
    Drawn openAndDraw(frm_Main& w, const QString& clip = {}) {
        w.show();
        answer_ = {};
        answer_.accepted = true;
        answer_.path = clip.isEmpty() ? clip_ : clip;
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
        model5_ = WriteNumberedClip(clips_.path(), QStringLiteral("Model5.avi"), 5, 400, 300);
        still_ = WriteNumberedClip(clips_.path(), QStringLiteral("Still.avi"), 1);
        cliptools::ClipSpec clipFormat;
        clipFormat.width = 640;
        clipFormat.height = 480;
        clipFormat.fps = 30;
        video_ = clips_.filePath(QStringLiteral("Video.avi"));
        QVERIFY(cliptools::WriteClip(video_, clipFormat, 12, [](int i) { return cliptools::NumberedFrame(i, 640, 480); }));
        SetExportRangeAnswerer([this](int first, int last) {
            ExportRangeAnswer a = range_;
            if (a.from == -1) a = {true, first, last};  // every frame
            return a;
        });
        SetFileDialogAnswerer([this](const FileDialogRequest& r) {
            requests_.push_back(r);
            return answer_;
        });
    }
    void cleanupTestCase() {
        SetFileDialogAnswerer({});
        SetExportRangeAnswerer({});
    }
    void init() { desktop_ = std::make_unique<TestDesktop>(); }
    void cleanup() { desktop_.reset(); }

    void writesTheCanvasPictureAtTheFramesSize_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<int>("tolerance");
        QTest::addColumn<bool>("zoomed");  // the whole frame all the same
        QTest::newRow("png") << "a.png" << "a.png" << QByteArray("png") << 0 << false;
        QTest::newRow("jpg") << "b.jpg" << "b.jpg" << QByteArray("jpeg") << 60 << false;
        QTest::newRow("JPEG") << "c.JPEG" << "c.JPEG" << QByteArray("jpeg") << 60 << false;
        QTest::newRow("no extension") << "d" << "d.png" << QByteArray("png") << 0 << false;
        QTest::newRow("other extension") << "e.v2" << "e.v2.png" << QByteArray("png") << 0 << false;
        QTest::newRow("png, zoomed") << "f.png" << "f.png" << QByteArray("png") << 0 << true;
    }
    void writesTheCanvasPictureAtTheFramesSize() {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QFETCH(QByteArray, format);
        QFETCH(int, tolerance);
        QFETCH(bool, zoomed);
        QTemporaryDir out;
        MsgBoxRecorder boxes;
        frm_Main w;
        const Drawn d = openAndDraw(w);
        const QRect canvasRect = w.Video1.CanvasRect();
        QVERIFY(canvasRect.size() != QSize(kWidth, kHeight));  // else the test proves nothing
        if (zoomed) {
            w.Zoom.ZoomAbout(QPointF(d.x1, d.y), 3, canvasRect, w.pic_video->size());
            w.PasteAvi(w.CurrentVideoFrame);
            QCOMPARE_NE(w.CanvasGeometry().frameCanvas, canvasRect);
        }
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

    // Export Video: each decoded frame is the picture Export Picture writes when the canvas
    // shows that frame, with the model stepping as "Both Windows" playback steps it.
    void videoHoldsTheCanvasFrameByFrame_data() {
        QTest::addColumn<int>("view");  // 0 video 1 alone, 1 blend, 2 split
        QTest::addColumn<int>("from");  // -1: all frames
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("all frames, no extension") << 0 << -1 << 0 << "swing" << "swing.mp4";
        QTest::newRow("blend, a range") << 1 << 3 << 10 << "b.mp4" << "b.mp4";
        QTest::newRow("split") << 2 << -1 << 0 << "c.MP4" << "c.MP4";
    }
    void videoHoldsTheCanvasFrameByFrame() {
        QFETCH(int, view);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        if (FfmpegPictureCount(model_) < 0) QSKIP("FFmpeg's command-line tools are not installed");
        QTemporaryDir out;
        MsgBoxRecorder boxes;
        frm_Main w;
        openAndDraw(w, video_);
        if (view > 0) {
            answer_.path = model5_;
            w.Toolbar_Click(7);
            QVERIFY(G().ModelShown);
            w.VideoControls->hscrBlend->setValue(128);
            w.ModelTool->chkFlags[1]->setChecked(true);  // mirrored
        }
        if (view == 2) {
            w.Toolbar1->SetValue(11, true);
            w.Toolbar_Click(11);
        }
        const short modelAtStart = w.CurrentModelFrame;
        range_ = {true, from, to};
        if (from < 0) from = 0, to = 11;
        answer_.path = out.filePath(chosen);
        w.mnuExportVideo->trigger();
        QVERIFY(w.VideoExportRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!w.VideoExportRunning(), 120000);
        QVERIFY2(boxes.calls.empty(), qPrintable(boxes.prompts().join(QLatin1Char('|'))));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{written});
        const QString path = out.filePath(written);
        QVERIFY(QFileInfo(path).permissions() & QFile::ReadOther);  // not left private like a temporary file
        QCOMPARE(FfmpegPictureCount(path), to - from + 1);
        QCOMPARE(FfprobeStreamEntry(path, QStringLiteral("avg_frame_rate")), QStringLiteral("30/1"));
        QCOMPARE(FfprobeStreamEntry(path, QStringLiteral("pix_fmt")), QStringLiteral("yuv420p"));
        for (int k = 0; k <= to - from; ++k) {
            if (k == 0) {
                w.CurrentVideoFrame = short(from);
                w.CurrentModelFrame = modelAtStart;
                w.PasteAvi(short(from));
                if (view > 0) w.ModelDraw(modelAtStart);
            } else if (view > 0) {
                w.bothTimer_Timer();
            } else {
                w.PasteAvi(short(from + k));
            }
            QImage expected = PictureExporter::Compose(w.CanvasScene());
            expected = expected.copy(0, 0, expected.width() & ~1, expected.height() & ~1);
            const QImage decoded = FfmpegPicture(path, k);
            const double psnr = Psnr(expected, decoded);
            QVERIFY2(psnr >= 35, qPrintable(QStringLiteral("frame %1: %2 dB").arg(k).arg(psnr)));
            // The marks are in it: without them the picture is much further from the frame.
            PictureScene bare = w.CanvasScene();
            bare.drawMarks = nullptr;
            QVERIFY(Psnr(PictureExporter::Compose(bare).copy(expected.rect()), decoded) < psnr - 3);
        }
    }

    // Cancelled half way, by the exporter's flag or the progress dialog's Cancel: no file is
    // left and a file of that name keeps what it held.
    void aCancelledVideoLeavesNothing_data() {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<bool>("fromTheDialog");
        QTest::newRow("new name") << false << false;
        QTest::newRow("over an older file") << true << false;
        QTest::newRow("the progress dialog's Cancel") << false << true;
    }
    void aCancelledVideoLeavesNothing() {
        QFETCH(bool, existing);
        QFETCH(bool, fromTheDialog);
        QTemporaryDir out;
        const QString target = out.filePath(QStringLiteral("swing.mp4"));
        const QByteArray older("an older video");
        if (existing) {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(older) == older.size());
        }
        MsgBoxRecorder boxes;
        frm_Main w;
        openAndDraw(w, video_);
        if (fromTheDialog) {
            range_ = {true, -1, 0};
            answer_.path = target;
            w.mnuExportVideo->trigger();
            QVERIFY(w.VideoExportRunning());
            w.StopVideoExport();
        } else {
            VideoExportJob job = w.VideoExportJobFor(0, 11);
            job.target = target;
            std::atomic<bool> cancel{false};
            int reached = 0;
            const VideoExportResult r = VideoExporter::Write(job, cancel, [&](int done) {
                reached = done;
                if (done == 6) cancel = true;
            });
            QCOMPARE(r.outcome, VideoExportResult::Cancelled);
            QCOMPARE(reached, 6);
        }
        QVERIFY(!w.VideoExportRunning());
        QVERIFY(boxes.calls.empty());
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), existing ? 1 : 0);
        if (existing) {
            QFile f(target);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), older);
        }
    }

    void badVideoExportsSayWhyAndWriteNothing_data() {
        QTest::addColumn<int>("clip");  // 0 none, 1 one frame, 12 frames
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("target");  // "" = a folder of the test's
        QTest::addColumn<int>("sizeLimit");
        QTest::addColumn<QString>("says");
        QTest::newRow("nothing open") << 0 << -1 << 0 << "" << 0 << "Open a clip first";
        QTest::newRow("one-frame clip") << 1 << -1 << 0 << "" << 0 << "A video needs a clip of several frames";
        QTest::newRow("range past the end") << 12 << 5 << 40 << "" << 0 << "Frames 5 to 40 cannot be exported";
        QTest::newRow("range before the start") << 12 << -3 << 4 << "" << 0 << "Frames -3 to 4 cannot";
        QTest::newRow("range backwards") << 12 << 8 << 2 << "" << 0 << "Frames 8 to 2 cannot";
        QTest::newRow("folder that cannot be written")
            << 12 << -1 << 0 << "/proc/self/swing.mp4" << 0 << "The video could not be written to /proc/self/swing.mp4";
        QTest::newRow("full target") << 12 << -1 << 0 << "" << 2048 << "The video could not be written to ";
    }
    void badVideoExportsSayWhyAndWriteNothing() {
        QFETCH(int, clip);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, target);
        QFETCH(int, sizeLimit);
        QFETCH(QString, says);
        QTemporaryDir out;
        if (target.isEmpty()) target = out.filePath(QStringLiteral("swing.mp4"));
        MsgBoxRecorder boxes;
        frm_Main w;
        if (clip) openAndDraw(w, clip == 1 ? still_ : video_);
        const QImage canvasBefore = w.pic_video->Image().copy();
        range_ = {true, from, to};
        answer_.path = target;
        {
            std::optional<FileSizeLimit> limit;
            if (sizeLimit) limit.emplace(rlim_t(sizeLimit));
            w.mnuExportVideo_Click();
            QTRY_VERIFY_WITH_TIMEOUT(!w.VideoExportRunning(), 120000);
        }
        QCOMPARE(boxes.calls.size(), size_t(1));
        QVERIFY2(boxes.calls[0].prompt.startsWith(says), qPrintable(boxes.calls[0].prompt));
        QVERIFY(!QFile::exists(target));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
        QCOMPARE(w.pic_video->Image(), canvasBefore);
    }

    // The model frame of each exported frame is the one "Both Windows" playback shows with it,
    // on the key positions when they are in sync (the two swings have different timing).
    void theModelStepsAsBothWindowsPlayback_data() {
        QTest::addColumn<bool>("sync");
        QTest::newRow("one model frame per frame") << false;
        QTest::newRow("in sync on the key positions") << true;
    }
    void theModelStepsAsBothWindowsPlayback() {
        QFETCH(bool, sync);
        cliptools::SwingScript video, model;
        model.top = 1.1, model.impact = 1.3, model.finish = 1.8, model.length = 2.4;
        QStringList paths;
        for (const auto& [name, script] : {std::pair{"SwingV.avi", video}, std::pair{"SwingM.avi", model}}) {
            paths << clips_.filePath(QLatin1String(name));
            cliptools::ClipSpec clipFormat;
            clipFormat.fps = 30;
            const cliptools::SwingScript drawn = script;
            QVERIFY(cliptools::WriteClip(paths.back(), clipFormat, drawn.Frames(),
                                         [&](int i) { return cliptools::DrawSwing(drawn, i); }));
        }
        MsgBoxRecorder boxes;
        frm_Main w;
        openAndDraw(w, paths[0]);
        answer_.path = paths[1];
        w.Toolbar_Click(7);
        QVERIFY(G().ModelShown);
        w.VideoControls->chkSync->setChecked(sync);
        if (sync)
            QTRY_VERIFY_WITH_TIMEOUT(w.SwingKeys->Keys(KeyPositionsController::Video1).Found() &&
                                         w.SwingKeys->Keys(KeyPositionsController::Model).Found(),
                                     30000);
        const int from = 5, to = video.Frames() - 1;  // the model wraps round when out of step
        const VideoExportJob job = w.VideoExportJobFor(from, to);
        QCOMPARE(int(job.frames.size()), to - from + 1);
        w.CurrentVideoFrame = short(from);
        w.CurrentModelFrame = short(w.SwingKeys->ModelFrameFor(from, w.CurrentModelFrame));
        int outOfStep = 0;  // steps neither to the next model frame nor round to the first
        for (int k = 0; k <= to - from; ++k) {
            const int before = w.CurrentModelFrame;
            if (k > 0) w.bothTimer_Timer();
            QCOMPARE(w.CurrentVideoFrame, short(from + k));
            QVERIFY(job.frames[size_t(k)].frame == w.Video1.Frame(from + k));
            QVERIFY2(job.frames[size_t(k)].model == w.Model.Frame(w.CurrentModelFrame), qPrintable(QString::number(k)));
            outOfStep += k > 0 && w.CurrentModelFrame != before + 1 && w.CurrentModelFrame != w.Model.reader->FirstFrame();
        }
        // Else the sync row would prove nothing.
        QCOMPARE(outOfStep > 0, sync);
        QVERIFY(boxes.calls.empty());
    }
};

QTEST_MAIN(TestExport)
#include "tst_export.moc"
