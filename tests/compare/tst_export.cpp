// Export Picture and Export Video: the canvas's picture at the frame's own resolution, and the
// canvas frame by frame, written all or nothing.

#include "CompareWindowFixture.h"
#include "FfmpegReference.h"
#include "SettingsStoreFixture.h"
#include "SwingDrawing.h"
#include "compare/ExportRange.h"
#include "compare/KeyPositionsController.h"
#include "compare/PictureExporter.h"
#include "compare/VideoExporter.h"

#include <QImageReader>

#include <optional>

using namespace platform;

namespace {

constexpr int kWidth = 960;
constexpr int kHeight = 720;

bool near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// The file name chosen, the one written, its format and the colour tolerance it allows; the
// canvas zoomed (the whole frame all the same); view 0 video 1 alone, 1 blend, 2 split.
struct Picture {
    QString chosen, written;
    QByteArray format;
    int tolerance = 0;
    bool zoomed = false;
    int view = 0;
};
// The view as above, the frames asked for (from -1: all), the file name chosen and written.
struct Video {
    int view, from, to;
    QString chosen, written;
};
// how: 0 Export Picture, 1 Export Video, 2 and at once its progress dialog's Cancel, 3 the
// exporter's flag at frame 6; clip: 0 none, 1 of one frame, 12 of 12; the frames asked for;
// target "" = a folder of the test's; a file there already; the size files are held below;
// what the one box says ("": no box).
struct Failure {
    int how, clip, from, to;
    QString target;
    bool existing;
    int sizeLimit;
    QString says;
};

}  // namespace

Q_DECLARE_METATYPE(Picture)
Q_DECLARE_METATYPE(Video)
Q_DECLARE_METATYPE(Failure)

class TestExport : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDesktop> desktop_;
    QTemporaryDir clips_;
    // Numbered frames: 3 of the full size, a model of 3 and one of 5, a clip of one frame, and
    // video_ of 12 at 30 a second for the video export; a drawn swing, and a model swing of other
    // timing.
    QString clip_, model_, model5_, still_, video_;
    QString swingV_, swingM_;
    ExportRangeAnswer range_;
    ChosenFile files_;

    // Opens the clip and draws a red line, three canvas pixels wide, across the lower part of
    // the frame; returns the line's canvas row and its ends.
    struct Drawn { int y, x1, x2; };
    Drawn openAndDraw(frm_Main& w, const QString& clip) {
        w.show();
        files_.Click(w, 1, clip);
        const QRect r = w.Video1.CanvasRect();
        const Drawn d{r.y() + r.height() * 4 / 5, r.x() + r.width() / 5, r.x() + r.width() * 4 / 5};
        w.Toolbar_Click(3);
        w.Toolbar_Click(20);
        w.Drawing->Overlay().Line1.BorderColor = 0x0000FF;
        w.Drawing->Overlay().Line1.BorderWidth = 3;
        QTest::mousePress(w.pic_video, Qt::LeftButton, {}, QPoint(d.x1, d.y));
        QTest::mouseMove(w.pic_video, QPoint(d.x2, d.y));
        QTest::mouseRelease(w.pic_video, Qt::LeftButton, {}, QPoint(d.x2, d.y));
        files_.requests.clear();
        return d;
    }
    // view: 1 the model blended half over video 1, 2 beside it.
    void insertModel(frm_Main& w, const QString& model, int view) {
        files_.Click(w, 7, model);
        QVERIFY(w.Program.ModelShown);
        w.VideoControls->hscrBlend->setValue(128);
        if (view == 2) {
            w.Toolbar1->SetValue(11, true);
            w.Toolbar_Click(11);
        }
        w.PasteAvi(w.CurrentVideoFrame);
        files_.requests.clear();
        QCOMPARE(!w.Toolbar1->Value(10), view == 2);
    }

private slots:
    void initTestCase() {
        clip_ = WriteNumberedClip(clips_.path(), QStringLiteral("Swing.avi"), 3, kWidth, kHeight);
        model_ = WriteNumberedClip(clips_.path(), QStringLiteral("Model.avi"), 3, 400, 300);
        model5_ = WriteNumberedClip(clips_.path(), QStringLiteral("Model5.avi"), 5, 400, 300);
        still_ = WriteNumberedClip(clips_.path(), QStringLiteral("Still.avi"), 1);
        video_ = clips_.filePath(QStringLiteral("Video.avi"));
        QVERIFY(cliptools::WriteClip(video_, {.width = 640, .height = 480, .fps = 30}, 12,
                                     [](int i) { return cliptools::NumberedFrame(i, 640, 480); }));
        const cliptools::SwingScript model{.top = 1.1, .impact = 1.3, .finish = 1.8, .length = 2.4};
        for (auto [path, script] : {std::pair{&swingV_, cliptools::SwingScript{}}, std::pair{&swingM_, model}}) {
            *path = clips_.filePath(path == &swingV_ ? QStringLiteral("SwingV.avi") : QStringLiteral("SwingM.avi"));
            QVERIFY(cliptools::WriteClip(*path, {.fps = 30}, script.Frames(), [&s = script](int i) { return cliptools::DrawSwing(s, i); }));
        }
        SetExportRangeAnswerer([this](int first, int last) {
            return range_.from == -1 ? ExportRangeAnswer{true, first, last} : range_;  // -1: every frame
        });
    }
    void cleanupTestCase() { SetExportRangeAnswerer({}); }
    void init() {
        desktop_ = std::make_unique<TestDesktop>();
        files_.requests.clear();
    }
    void cleanup() { desktop_.reset(); }

    // Video 1 alone: the frame's own size, the line on the same picture pixels, its width scaled.
    // With the model, blended or beside video 1: the picture, brought down to the canvas's
    // scale, is the canvas.
    void picture_data() {
        QTest::addColumn<Picture>("p");
        QTest::newRow("png") << Picture{"a.png", "a.png", "png"};
        QTest::newRow("jpg") << Picture{"b.jpg", "b.jpg", "jpeg", 60};
        QTest::newRow("JPEG") << Picture{"c.JPEG", "c.JPEG", "jpeg", 60};
        QTest::newRow("no extension") << Picture{"d", "d.png", "png"};
        QTest::newRow("other extension") << Picture{"e.v2", "e.v2.png", "png"};
        QTest::newRow("png, zoomed") << Picture{"f.png", "f.png", "png", 0, true};
        QTest::newRow("blend") << Picture{"g.png", "g.png", "png", 0, false, 1};
        QTest::newRow("split") << Picture{"h.png", "h.png", "png", 0, false, 2};
    }
    void picture() {
        QFETCH(Picture, p);
        const auto& [chosen, written, format, tolerance, zoomed, view] = p;
        QTemporaryDir out;
        MsgBoxRecorder boxes;
        frm_Main w;
        const Drawn d = openAndDraw(w, clip_);
        const QRect canvasRect = w.Video1.CanvasRect();
        QVERIFY(canvasRect.size() != QSize(kWidth, kHeight));  // else the test proves nothing
        if (view) insertModel(w, model_, view);
        if (zoomed) {
            w.Zoom.ZoomAbout(QPointF(d.x1, d.y), 3, canvasRect, w.pic_video->size());
            w.PasteAvi(w.CurrentVideoFrame);
            QCOMPARE_NE(w.CanvasGeometry().frameCanvas, canvasRect);
        }
        const QRect area = view == 2 ? w.Video1.CanvasRect().united(w.Model.CanvasRect()) : w.Video1.CanvasRect();
        files_.Choose(out.filePath(chosen));
        const QImage canvas = w.pic_video->Image().copy();
        w.mnuExportPicture->trigger();
        QCOMPARE(files_.requests.size(), size_t(1));
        QCOMPARE(files_.requests[0].kind, FileDialogRequest::Save);
        QVERIFY2(boxes.calls.empty(), qPrintable(boxes.prompts().join(QLatin1Char('|'))));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList{written});
        QImageReader reader(out.filePath(written));
        QCOMPARE(reader.format(), format);
        const QImage picture = reader.read().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(w.pic_video->Image(), canvas);  // the canvas itself is as it was
        if (view) {
            const double s = double(w.Video1.SourceRect().width()) / w.Video1.CanvasRect().width();
            QCOMPARE(picture.height(), kHeight);
            QVERIFY(std::abs(picture.width() - area.width() * s) <= 1);
            int probes = 0, same = 0;
            for (int y = area.top() + 2; y < area.bottom() - 2; y += 7)
                for (int x = area.left() + 2; x < area.right() - 2; x += 7, ++probes)
                    same += near(canvas.pixel(x, y), picture.pixel(int((x - area.x() + 0.5) * s), int((y - area.y() + 0.5) * s)), 12);
            // Nearest-pixel sampling may pick the neighbour across an edge; nothing more.
            QVERIFY2(same >= probes * 97 / 100, qPrintable(QStringLiteral("%1 of %2").arg(same).arg(probes)));
            return;
        }
        QCOMPARE(picture.size(), QSize(kWidth, kHeight));
        QCOMPARE(cliptools::ReadFrameNumber(picture), 0);
        const double f = double(kWidth) / canvasRect.width();  // zoomed or not, the whole frame
        const int py = int((d.y - canvasRect.y() + 0.5) * f);
        auto reddish = [&, tol = tolerance](int x, int y) { return near(picture.pixel(x, y), qRgb(255, 0, 0), tol); };
        for (double t : {0.1, 0.5, 0.9}) {
            const int px = int((d.x1 + t * (d.x2 - d.x1) - canvasRect.x()) * f);
            QVERIFY2(reddish(px, py) && reddish(px, py + int(f)) && reddish(px, py - int(f)),
                     qPrintable(QStringLiteral("%1, %2").arg(px).arg(py)));
            QVERIFY(!reddish(px, py - int(6 * f)));
        }
    }

    // Export Video: each decoded frame is the picture Export Picture writes when the canvas
    // shows that frame, with the model stepping as "Both Windows" playback steps it.
    void videoHoldsTheCanvasFrameByFrame_data() {
        QTest::addColumn<Video>("v");
        QTest::newRow("all frames, no extension") << Video{0, -1, 0, "swing", "swing.mp4"};
        QTest::newRow("blend, a range") << Video{1, 3, 10, "b.mp4", "b.mp4"};
        QTest::newRow("split") << Video{2, -1, 0, "c.MP4", "c.MP4"};
    }
    void videoHoldsTheCanvasFrameByFrame() {
        QFETCH(Video, v);
        auto [view, from, to, chosen, written] = v;
        if (FfmpegPictureCount(model_) < 0) QSKIP("FFmpeg's command-line tools are not installed");
        QTemporaryDir out;
        MsgBoxRecorder boxes;
        frm_Main w;
        openAndDraw(w, video_);
        if (view) insertModel(w, model5_, view), w.ModelTool->chkFlags[1]->setChecked(true);  // mirrored
        const short modelAtStart = w.CurrentModelFrame;
        range_ = {true, from, to};
        if (from < 0) from = 0, to = 11;
        files_.Choose(out.filePath(chosen));
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
        w.CurrentVideoFrame = short(from);
        w.CurrentModelFrame = modelAtStart;
        for (int k = 0; k <= to - from; ++k) {
            if (k == 0 || !view) w.PasteAvi(short(from + k));
            if (view) k == 0 ? w.ModelDraw(modelAtStart) : w.bothTimer_Timer();
            QImage expected = PictureExporter::Compose(w.CanvasScene());
            expected = expected.copy(0, 0, expected.width() & ~1, expected.height() & ~1);
            const QImage decoded = FfmpegPicture(path, k, QStringLiteral("bicubic"));  // the file, read faithfully
            const double psnr = Psnr(expected, decoded);
            QVERIFY2(psnr >= 35, qPrintable(QStringLiteral("frame %1: %2 dB").arg(k).arg(psnr)));
            // The marks are in it: without them the picture is much further from the frame.
            PictureScene bare = w.CanvasScene();
            bare.drawMarks = nullptr;
            QVERIFY(Psnr(PictureExporter::Compose(bare).copy(expected.rect()), decoded) < psnr - 3);
        }
    }

    // Refused, failed or cancelled: one box says why (none when cancelled), no file is left,
    // a file of that name keeps what it held, and the canvas and the marks are as they were.
    void aFailedExportLeavesNothing_data() {
        QTest::addColumn<Failure>("row");
        const QString p = QStringLiteral("The picture could not be written to ");
        const QString v = QStringLiteral("The video could not be written to ");
        QTest::newRow("picture, nothing open") << Failure{0, 0, -1, 0, "", false, 0, "Open a clip or a picture first"};
        QTest::newRow("picture, folder that cannot be written")
            << Failure{0, 12, -1, 0, "/proc/self/swing.png", false, 0, p + "/proc/self/swing.png"};
        QTest::newRow("picture, full target") << Failure{0, 12, -1, 0, "", false, 1024, p};
        QTest::newRow("picture, full target over an older picture") << Failure{0, 12, -1, 0, "", true, 1024, p};
        QTest::newRow("video, nothing open") << Failure{1, 0, -1, 0, "", false, 0, "Open a clip first"};
        QTest::newRow("one-frame clip") << Failure{1, 1, -1, 0, "", false, 0, "A video needs a clip of several frames"};
        QTest::newRow("range past the end") << Failure{1, 12, 5, 40, "", false, 0, "Frames 5 to 40 cannot be exported"};
        QTest::newRow("range before the start") << Failure{1, 12, -3, 4, "", false, 0, "Frames -3 to 4 cannot"};
        QTest::newRow("range backwards") << Failure{1, 12, 8, 2, "", false, 0, "Frames 8 to 2 cannot"};
        QTest::newRow("video, folder that cannot be written")
            << Failure{1, 12, -1, 0, "/proc/self/swing.mp4", false, 0, v + "/proc/self/swing.mp4"};
        QTest::newRow("video, full target") << Failure{1, 12, -1, 0, "", false, 2048, v};
        QTest::newRow("the progress dialog's Cancel") << Failure{2, 12, -1, 0, "", false, 0, ""};
        QTest::newRow("cancelled half way") << Failure{3, 12, -1, 0, "", false, 0, ""};
        QTest::newRow("cancelled half way over an older file") << Failure{3, 12, -1, 0, "", true, 0, ""};
    }
    void aFailedExportLeavesNothing() {
        QFETCH(Failure, row);
        auto [how, clip, from, to, target, existing, sizeLimit, says] = row;
        QTemporaryDir out;
        if (target.isEmpty()) target = out.filePath(how ? QStringLiteral("swing.mp4") : QStringLiteral("swing.png"));
        const QByteArray older("an older file");
        if (existing) WriteAll(target, older);
        MsgBoxRecorder boxes;
        frm_Main w;
        if (clip) openAndDraw(w, clip == 1 ? still_ : video_);
        const QImage canvasBefore = w.pic_video->Image().copy();
        const short marks = w.Drawing->Overlay().DrawHistoryIndex;
        range_ = {true, from, to};
        files_.Choose(target);
        if (how == 3) {
            VideoExportJob job = w.VideoExportJobFor(0, 11);
            job.target = target;
            std::atomic<bool> cancel{false};
            int reached = 0;
            const VideoExportResult r = VideoExporter::Write(job, cancel, [&](int done) {
                if ((reached = done) == 6) cancel = true;
            });
            QCOMPARE(r.outcome, VideoExportResult::Cancelled);
            QCOMPARE(reached, 6);
        } else {
            std::optional<FileSizeLimit> limit;
            if (sizeLimit) limit.emplace(sizeLimit);
            how ? w.mnuExportVideo_Click() : w.mnuExportPicture_Click();
            if (how == 2) {
                QVERIFY(w.VideoExportRunning());
                w.StopVideoExport();
                QVERIFY(!w.VideoExportRunning());  // at once: the window never waits for the worker
            }
            QTRY_VERIFY_WITH_TIMEOUT(!w.VideoExportRunning(), 120000);
        }
        QCOMPARE(boxes.calls.size(), size_t(says.isEmpty() ? 0 : 1));
        if (!says.isEmpty()) QVERIFY2(boxes.calls[0].prompt.startsWith(says), qPrintable(boxes.calls[0].prompt));
        if (!clip) QVERIFY(files_.requests.empty());
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), existing ? 1 : 0);
        QCOMPARE(ReadAll(target), existing ? older : QByteArray());
        QVERIFY(existing || !QFile::exists(target));
        QCOMPARE(w.pic_video->Image(), canvasBefore);
        QCOMPARE(w.Drawing->Overlay().DrawHistoryIndex, marks);
    }

    // The model frame of each exported frame is the one "Both Windows" playback shows with it
    // on the key positions in sync (the two swings have different timing; without sync the
    // video's own frames, checked above, show the model stepping one frame a frame).
    void theModelStepsOnTheKeyPositions() {
        MsgBoxRecorder boxes;
        frm_Main w;
        openAndDraw(w, swingV_);
        insertModel(w, swingM_, 1);
        w.VideoControls->chkSync->setChecked(true);
        QTRY_VERIFY_WITH_TIMEOUT(w.SwingKeys->Keys(KeyPositionsController::Video1).Found() &&
                                     w.SwingKeys->Keys(KeyPositionsController::Model).Found(),
                                 30000);
        const int from = 5, to = cliptools::SwingScript{}.Frames() - 1;  // the model wraps round when out of step
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
        QVERIFY(outOfStep > 0);  // else the test would prove nothing
        QVERIFY(boxes.calls.empty());
    }
};

QTEST_MAIN(TestExport)
#include "tst_export.moc"
