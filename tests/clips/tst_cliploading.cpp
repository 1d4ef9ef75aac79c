// Loading clips and pictures into the main window, and browsing their frames.

#include "ClipWriter.h"
#include "MsgBoxRecorder.h"
#include "NumberedClip.h"
#include "TestDesktop.h"
#include "clips/ClipLoader.h"
#include "clips/FrameStore.h"
#include "clips/cVideo.h"
#include "imaging/cDIBSection.h"
#include "platform/FileDialog.h"
#include "platform/FileListBoxes.h"
#include "platform/ImageBox.h"
#include "platform/PictureBox.h"
#include "platform/RegistryStore.h"
#include "platform/SystemMemory.h"
#include "platform/Twips.h"
#include "playback/frmVideoControls.h"
#include "shell/Globals.h"
#include "shell/MainToolbar.h"
#include "shell/cMRUFileList.h"
#include "shell/frm_Main.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QtEndian>

#include <algorithm>
#include <limits>

#include <sys/resource.h>

using namespace platform;

namespace {

// The frame number shown on the canvas, read from its pixels.
int shownFrame(frm_Main& w) {
    return cliptools::ReadFrameNumber(w.pic_video->Image());
}

// A machine's memory figures as files under `root`: meminfo, the process's cgroup list and
// a cgroup tree; each entry is "relative path=content".
MemorySources fakeMachine(const QTemporaryDir& root, const QStringList& files) {
    for (const QString& entry : files) {
        const QString path = root.filePath(entry.section(QLatin1Char('='), 0, 0));
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
        file.write(entry.section(QLatin1Char('='), 1).toUtf8());
    }
    return {root.filePath(QStringLiteral("meminfo")), root.filePath(QStringLiteral("cgroup")),
            root.filePath(QStringLiteral("fs"))};
}

// Zeroes the data of the given frame chunks of an AVI file: no decoder finds a picture there.
bool SpoilFrames(const QString& path, std::initializer_list<int> frames) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) return false;
    QByteArray avi = file.readAll();
    int frame = 0;
    for (qsizetype at = avi.indexOf("00dc", avi.indexOf("movi")); at >= 0; at = avi.indexOf("00dc", at + 8)) {
        const qsizetype size = qFromLittleEndian<quint32>(avi.constData() + at + 4);
        if (std::find(frames.begin(), frames.end(), frame++) != frames.end() && size > 0)
            avi.replace(at + 8, size, QByteArray(size, '\0'));
    }
    return file.seek(0) && file.write(avi) == avi.size();
}

}  // namespace

class TestClipLoading : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDesktop> desktop_;
    std::unique_ptr<QTemporaryDir> clips_;

    // Opens a file of `folder` (the clips folder if none) as a Shift+click in the file list does.
    void shiftClick(frm_Main& w, const QString& name, const QString& folder = {}) {
        w.Dir1->SetPath(folder.isEmpty() ? clips_->path() : folder);
        QTRY_VERIFY(w.File1->SelectFile(name));
        w.File1_MouseUp(vbLeftButton, vbShiftMask);
    }

private slots:
    void initTestCase() {
        clips_ = std::make_unique<QTemporaryDir>();
        WriteNumberedClip(clips_->path(), QStringLiteral("swing.avi"), 30);
        WriteNumberedClip(clips_->path(), QStringLiteral("Ten.AVI"), 10, 64, 48, cliptools::Codec::RawBGR24);
        WriteNumberedClip(clips_->path(), QStringLiteral("one.avi"), 1, 64, 48);
        cliptools::NumberedFrame(7, 200, 100).save(clips_->filePath(QStringLiteral("pose.jpeg")));
        cliptools::NumberedFrame(9, 200, 100).save(clips_->filePath(QStringLiteral("still.bmp")));
        QFile text(clips_->filePath(QStringLiteral("notes.avi")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("this is not a clip at all\n");
        QFile broken(clips_->filePath(QStringLiteral("broken.jpg")));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("\xff\xd8\xff\xe0 truncated");
    }

    void init() { desktop_ = std::make_unique<TestDesktop>(); }
    void cleanup() {
        desktop_.reset();
        OverrideAvailableMemory(std::nullopt);
        OverrideMemorySources(std::nullopt);
    }

    void memoryFiguresFromTheSystemAndTheControlGroups_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<quint64>("expected");
        const QString meminfo = QStringLiteral(
            "meminfo=MemTotal:       16000000 kB\nMemFree:         5000000 kB\n"
            "MemAvailable:    8000000 kB\nBuffers:           10000 kB\n");
        const quint64 memAvailable = 8000000ull * 1024;
        QTest::newRow("no control group") << QStringList{meminfo} << memAvailable;
        QTest::newRow("v2 limit of its own group")
            << QStringList{meminfo, "cgroup=0::/user.slice/app\n", "fs/user.slice/app/memory.max=3000000000\n",
                           "fs/user.slice/app/memory.current=1000000000\n"}
            << quint64(2000000000);
        QTest::newRow("v2 without limit")
            << QStringList{meminfo, "cgroup=0::/app\n", "fs/app/memory.max=max\n", "fs/app/memory.current=5\n"}
            << memAvailable;
        QTest::newRow("v2 tighter limit above")
            << QStringList{meminfo, "cgroup=0::/user.slice/app\n", "fs/user.slice/app/memory.max=max\n",
                           "fs/user.slice/app/memory.current=700000000\n",
                           "fs/user.slice/memory.max=1500000000\n", "fs/user.slice/memory.current=1200000000\n"}
            << quint64(300000000);
        QTest::newRow("v2 usage beyond the limit")
            << QStringList{meminfo, "cgroup=0::/app\n", "fs/app/memory.max=4096\n", "fs/app/memory.current=8192\n"}
            << quint64(0);
        QTest::newRow("v1 memory controller")
            << QStringList{meminfo, "cgroup=5:cpu,cpuacct:/job\n4:memory:/job\n0::/\n",
                           "fs/memory/job/memory.limit_in_bytes=500000000\n",
                           "fs/memory/job/memory.usage_in_bytes=100000000\n",
                           "fs/memory/memory.limit_in_bytes=9223372036854771712\n"}
            << quint64(400000000);
        QTest::newRow("nothing known") << QStringList{"meminfo=MemTotal: 16000000 kB\n"}
                                       << std::numeric_limits<quint64>::max();
    }
    void memoryFiguresFromTheSystemAndTheControlGroups() {
        QFETCH(QStringList, files);
        QFETCH(quint64, expected);
        QTemporaryDir root;
        const MemorySources machine = fakeMachine(root, files);
        rlimit limit{};
        if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
            expected = std::min<quint64>(expected, limit.rlim_cur);  // run under ulimit -v
        QCOMPARE(quint64(AvailableMemoryBytes(machine)), expected);
        OverrideMemorySources(machine);
        QCOMPARE(quint64(AvailableMemoryBytes()), expected);
    }

    void geometryOfFitAndThumbnails() {
        // A 320 x 240 clip with 115-twip vertical units: thumbnails 1380 high, 1840 wide,
        // 5 to a row with 154-twip horizontal units; 30 frames scroll to 6.
        const ThumbnailLayout t = ComputeThumbnails(154, 115, 320, 240, 30);
        QCOMPARE(t.height, 1380L);
        QCOMPARE(t.width, 1840L);
        QCOMPARE(t.perRow, 5);
        QCOMPARE(t.scrollMax, 6);
        QCOMPARE(t.Position(4), QPoint(4 * 1840, 230));
        QCOMPARE(t.Position(5), QPoint(0, 230 + 1430));  // frame 5 starts the second row
        QCOMPARE(t.Position(10), QPoint(0, 230 + 2 * 1430));
        QCOMPARE(t.scrollWidth, 5L * 1840);
        // The whole frame fits inside the canvas, centred: 320 x 240 in 513 x 383 is 510.7 x 383.
        const auto rectOf = [](const Fit& f) { return QRect(f.offsetX, f.offsetY, f.scaledWidth, f.scaledHeight); };
        QCOMPARE(rectOf(ComputeFit(513, 383, 320, 240)), QRect(1, 0, 510, 383));
        QCOMPARE(ComputeFit(400, 400, 200, 100).scale, 2.0f);
        QCOMPARE(rectOf(ComputeFit(400, 400, 200, 100)), QRect(0, 100, 400, 200));
        // A phone held upright: 1080 x 1920 on a landscape canvas keeps its full height.
        QCOMPARE(rectOf(ComputeFit(960, 540, 1080, 1920)), QRect(328, 0, 303, 540));
        // Split halves: a landscape frame shows half its width in each; an upright one shows whole.
        const SplitHalf half = ComputeSplitHalf(960, 540, 1920, 1080, true);
        QCOMPARE(half.sourceWidth, 960);
        QCOMPARE(half.panMaximum, 960);
        QCOMPARE(rectOf(half.fit), QRect(480, 0, 480, 540));
        const SplitHalf whole = ComputeSplitHalf(960, 540, 1080, 1920, false);
        QCOMPARE(whole.sourceWidth, 1080);
        QCOMPARE(whole.panMaximum, 0);
        QCOMPARE(rectOf(whole.fit), QRect(177, 0, 303, 540));
        QCOMPARE(ComputeFit(400, 400, 0, 100).scaledWidth, 0);  // no frame: nothing to fit
    }

    void shiftClickOpensAClipWithThumbnailsAndFirstFrame() {
        MsgBoxRecorder boxes;
        frm_Main w;
        w.show();
        shiftClick(w, QStringLiteral("swing.avi"));
        QVERIFY2(boxes.calls.empty(), qPrintable(boxes.prompts().join('|')));
        QCOMPARE(w.Video1.frameCount, short(30));
        QCOMPARE(w.ClipKind, 2);
        QVERIFY(G().ClipLoaded);
        QVERIFY(!G().BusyLoading);
        QCOMPARE(w.CurrentVideoFrame, short(0));
        QCOMPARE(w.Video1.clipFileName, QStringLiteral("swing.avi"));
        QVERIFY(w.imgLogo->isHidden() && w.pic_video->isVisible());
        QCOMPARE(G().WorkingDir, QDir::cleanPath(clips_->path()));
        // Every frame is in memory, each its own picture.
        for (int i = 0; i < 30; ++i) {
            QVERIFY(w.Video1.Frame(i));
            QCOMPARE(cliptools::ReadFrameNumber(*w.Video1.Frame(i)->HDC()), i);
        }
        QVERIFY(!w.Video1.Frame(30));
        QCOMPARE(shownFrame(w), 0);
        // Thumbnails in rows of five (the layout's own sums are checked above), each its frame.
        QCOMPARE(w.ImgVideoFrames.size(), size_t(30));
        QCOMPARE(w.ImgVideoFrames[5]->y(), TwipsToPixelsY(230 + 1430));
        QCOMPARE(cliptools::ReadFrameNumber(w.ImgVideoFrames[17]->pixmap().toImage()), 17);
        QCOMPARE(w.HScrVideoFrames->maximum(), 6);
        QCOMPARE(w.shapeVideoFrame->geometry(), w.ImgVideoFrames[0]->geometry());
        // The clip heads the recent files.
        QCOMPARE(w.MRU().File(1), QDir::cleanPath(clips_->path()) + QStringLiteral("/swing.avi"));
    }

    void thumbnailClickShowsThatFrameAndScrollingMovesRows() {
        MsgBoxRecorder boxes;
        frm_Main w;
        w.show();
        shiftClick(w, QStringLiteral("swing.avi"));
        QTest::mouseClick(w.ImgVideoFrames[13], Qt::LeftButton);
        QCOMPARE(w.CurrentVideoFrame, short(13));
        QCOMPARE(shownFrame(w), 13);
        QCOMPARE(w.shapeVideoFrame->pos(), w.ImgVideoFrames[13]->pos());
        w.ImgVideoFrames_Click(2);
        QCOMPARE(shownFrame(w), 2);
        // Scroll value 2 puts the strip's top at -2 x (1380 + 50) twips.
        w.HScrVideoFrames->setValue(2);
        QCOMPARE(w.picCVideoFrames->y(), -TwipsToPixelsY(2860));
        // Ignored while frames load.
        G().BusyLoading = true;
        w.ImgVideoFrames_Click(20);
        QCOMPARE(w.CurrentVideoFrame, short(2));
        G().BusyLoading = false;
        QVERIFY(boxes.calls.empty());
    }

    void aFrameLargerThanTheCanvasIsScaledWhole() {
        MsgBoxRecorder boxes;
        QTemporaryDir dir;
        WriteNumberedClip(dir.path(), QStringLiteral("large.avi"), 3, 800, 600);
        frm_Main w;
        w.show();
        shiftClick(w, QStringLiteral("large.avi"), dir.path());
        w.ImgVideoFrames_Click(2);
        // All ten number blocks, the right-most included, reach the canvas, and the frame is
        // shown whole, to its bottom-right corner.
        QCOMPARE(shownFrame(w), 2);
        const QImage canvas = w.pic_video->Image();
        const QRect shown = w.Video1.CanvasRect();
        QVERIFY(canvas.rect().contains(shown));
        QVERIFY(std::abs(shown.width() * 600 / 800 - shown.height()) <= 1);
        QVERIFY(canvas.pixelColor(shown.right(), shown.bottom()) != w.pic_video->BackColor());
        QVERIFY(boxes.calls.empty());
    }

    void framesThatCannotBeDecodedRepeatThePictureBefore() {
        QTemporaryDir dir;
        QVERIFY(SpoilFrames(WriteNumberedClip(dir.path(), QStringLiteral("holes.avi"), 6, 160, 120), {0, 3}));
        MsgBoxRecorder boxes;
        frm_Main w;
        shiftClick(w, QStringLiteral("holes.avi"), dir.path());
        // Fitted at the clip's size; frame 0, before any picture, shows the first one there is
        // (frame 1's), frame 3 a copy of frame 2.
        QCOMPARE(w.Video1.SourceRect(), QRect(0, 0, 160, 120));
        const Fit fit = ComputeFit(w.pic_video->width(), w.pic_video->height(), 160, 120);
        QCOMPARE(w.Video1.CanvasRect(), QRect(fit.offsetX, fit.offsetY, fit.scaledWidth, fit.scaledHeight));
        QVERIFY(w.Video1.Frame(0));
        QCOMPARE(cliptools::ReadFrameNumber(*w.Video1.Frame(0)->HDC()), 1);
        QCOMPARE(*w.Video1.Frame(3)->HDC(), *w.Video1.Frame(2)->HDC());
        QCOMPARE(w.ImgVideoFrames.size(), size_t(6));
        w.ImgVideoFrames_Click(3);
        QCOMPARE(shownFrame(w), 2);
        w.Toolbar_Click(11);
        QVERIFY(std::abs(w.Video1.SourceRect().width() - 80) <= 1);  // about half, as the half holds it
        QVERIFY2(boxes.calls.empty(), qPrintable(boxes.prompts().join('|')));
    }

    // A tick of the playing clip, the toolbar's Open, the menu's Insert Model, a change of
    // folder, keys and a drop, all arriving while the next clip loads; meanwhile the window
    // paints, the progress bar moves and the first frame is on the canvas.
    void inputDuringARealLoad() {
        QTemporaryDir other;
        WriteNumberedClip(other.path(), QStringLiteral("Ten.AVI"), 3, 64, 48, cliptools::Codec::RawBGR24);
        int dialogs = 0;
        SetFileDialogAnswerer([&](const FileDialogRequest&) {
            ++dialogs;
            return FileDialogResult{};
        });
        MsgBoxRecorder boxes;
        frm_Main w;
        w.show();
        shiftClick(w, QStringLiteral("swing.avi"));
        w.VideoControls->cmdPlay->click();
        QTRY_VERIFY(w.File1->SelectFile(QStringLiteral("Ten.AVI")));
        // The commands at the first turn of the event loop the load lets through, ticks as
        // the frames come in.
        bool commandsArrived = false;
        bool dialogCommandsEnabled = true;
        int ticksOnAHalfReadClip = 0;
        QTimer meanwhile;
        connect(&meanwhile, &QTimer::timeout, &w, [&] {
            if (!G().BusyLoading || commandsArrived) return;
            commandsArrived = true;
            dialogCommandsEnabled = w.Toolbar1->Enabled(1) || w.Toolbar1->Enabled(7);
            w.Toolbar_Click(1);
            w.mnuTools_Click(3);
            w.Dir1->SetPath(other.path());
        });
        QMimeData dropped;
        dropped.setUrls({QUrl::fromLocalFile(clips_->filePath(QStringLiteral("one.avi")))});
        int firstFrameShownAt = -1;
        connect(&w.Video1, &FrameSource::FrameReady, &w, [&](int n) {
            if (firstFrameShownAt < 0 && shownFrame(w) == 0) firstFrameShownAt = n;
            if (n < 2 || n > 8) return;
            w.VideoTimer_Timer();
            ++ticksOnAHalfReadClip;
            QTest::keyClick(&w, Qt::Key_End);
            QDropEvent drop(QPointF(w.rect().center()), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&w, &drop);
        });
        QSet<int> progress;
        connect(w.prgbarProcess, &QProgressBar::valueChanged, &w, [&](int v) { progress.insert(v); });
        struct PaintCounter : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* e) override {
                paints += e->type() == QEvent::Paint && G().BusyLoading;
                return false;
            }
        } counter;
        qApp->installEventFilter(&counter);
        meanwhile.start(0);
        w.File1_MouseUp(vbLeftButton, vbShiftMask);
        meanwhile.stop();
        qApp->removeEventFilter(&counter);
        QVERIFY(commandsArrived);
        QVERIFY(ticksOnAHalfReadClip > 0);
        QVERIFY(counter.paints > 0);
        QVERIFY(progress.size() >= 5);
        QVERIFY(firstFrameShownAt >= 0 && firstFrameShownAt < 9);
        QVERIFY(!dialogCommandsEnabled);
        QCOMPARE(dialogs, 0);
        QVERIFY(w.Toolbar1->Enabled(1) && w.Toolbar1->Enabled(7));
        QCOMPARE(w.Video1.frameCount, short(10));
        for (int i = 0; i < 10; ++i) QCOMPARE(cliptools::ReadFrameNumber(*w.Video1.Frame(i)->HDC()), i);
        QCOMPARE(shownFrame(w), 0);
        QCOMPARE(w.CurrentVideoFrame, short(0));
        // The folder list stayed with the file list, so the next open takes the file listed.
        QCOMPARE(w.Dir1->Path(), w.File1->Path());
        QCOMPARE(G().WorkingDir, QDir::cleanPath(clips_->path()));
        QVERIFY(w.File1->SelectFile(QStringLiteral("Ten.AVI")));
        w.File1_MouseUp(vbLeftButton, vbShiftMask);
        QCOMPARE(w.Video1.frameCount, short(10));
        QVERIFY2(boxes.calls.empty(), qPrintable(boxes.prompts().join('|')));
        SetFileDialogAnswerer({});
    }

    // The loader on its own: every frame in order with its thumbnail, or, cancelled by the
    // taker at frame 5, frames 0..5 and no more; destroyed while reading, it just stops.
    void theLoaderOnItsOwn_data() {
        QTest::addColumn<int>("cancelAt");
        QTest::newRow("to the end") << -1;
        QTest::newRow("cancelled at frame 5") << 5;
        QTest::newRow("destroyed while reading") << -2;
    }
    void theLoaderOnItsOwn() {
        QFETCH(int, cancelAt);
        auto clip = std::make_unique<cVideo>();
        QVERIFY(clip->OpenAviFile(clips_->filePath(QStringLiteral("swing.avi"))));
        auto loader = std::make_unique<ClipLoader>(std::move(clip), std::vector<QSize>{QSize(40, 30), QSize(32, 24)});
        loader->Start();
        if (cancelAt == -2) {
            QCOMPARE(loader->Result(), ClipLoader::Outcome::Running);
            loader.reset();
            QCoreApplication::processEvents();  // what it had posted goes with it
            return;
        }
        int taken = 0;
        const ClipLoader::Outcome outcome = loader->Wait([&](ClipLoader::Frame& f) {
            QCOMPARE(f.index, taken++);
            QCOMPARE(cliptools::ReadFrameNumber(*f.picture->HDC()), f.index);
            QCOMPARE(f.thumbnail.size(), f.index == 0 ? QSize(40, 30) : QSize(32, 24));
            if (f.index == cancelAt) loader->Cancel();
        });
        QCOMPARE(outcome, cancelAt < 0 ? ClipLoader::Outcome::Complete : ClipLoader::Outcome::Cancelled);
        QCOMPARE(taken, cancelAt < 0 ? 30 : cancelAt + 1);
        QCOMPARE(loader->TakeClip()->NumberOfFrames(), 30);
    }

    // Esc or a close, before the new clip's first frame is in (the clip shown stays) or after
    // frame 3 (the clip ends there, whole: every frame and thumbnail up to it, none after).
    void cancellingALoad_data() {
        QTest::addColumn<bool>("closing");
        QTest::addColumn<int>("afterFrame");
        QTest::newRow("Esc before the first frame") << false << -1;
        QTest::newRow("close before the first frame") << true << -1;
        QTest::newRow("Esc after some frames") << false << 3;
        QTest::newRow("close after some frames") << true << 3;
    }
    void cancellingALoad() {
        QFETCH(bool, closing);
        QFETCH(int, afterFrame);
        const QString next = WriteNumberedClip(clips_->path(), QStringLiteral("forty.avi"), 40, 64, 48,
                                               cliptools::Codec::RawBGR24);
        MsgBoxRecorder boxes;
        frm_Main w;
        w.show();
        shiftClick(w, QStringLiteral("swing.avi"));
        w.ImgVideoFrames_Click(12);
        // Before the first frame: queued before the load begins, so it arrives ahead of any frame.
        const auto cancel = [&] {
            if (closing)
                QMetaObject::invokeMethod(&w, "close", afterFrame < 0 ? Qt::QueuedConnection : Qt::DirectConnection);
            else
                QCoreApplication::postEvent(&w, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
            if (afterFrame >= 0) QCoreApplication::sendPostedEvents(&w);
        };
        if (afterFrame < 0) cancel();
        connect(&w.Video1, &FrameSource::FrameReady, &w, [&](int n) {
            if (n == afterFrame) cancel();
        });
        QCOMPARE(w.fOpenAvi(next), afterFrame >= 0);
        QVERIFY(!G().BusyLoading && w.prgbarProcess->isHidden());
        QVERIFY2(boxes.calls.empty(), qPrintable(boxes.prompts().join('|')));
        if (afterFrame < 0) {
            QCOMPARE(w.Video1.clipFileName, QStringLiteral("swing.avi"));
            QCOMPARE(w.Video1.frameCount, short(30));
            QCOMPARE(w.ImgVideoFrames.size(), size_t(30));
            QCOMPARE(shownFrame(w), 12);
        } else {
            const int held = afterFrame + 1;
            QCOMPARE(w.Video1.clipFileName, QStringLiteral("forty.avi"));
            QCOMPARE(w.Video1.Count(), held);
            QCOMPARE(w.ImgVideoFrames.size(), size_t(held));
            for (int i = 0; i < held; ++i) {
                QCOMPARE(cliptools::ReadFrameNumber(*w.Video1.Frame(i)->HDC()), i);
                QCOMPARE(cliptools::ReadFrameNumber(w.ImgVideoFrames[size_t(i)]->pixmap().toImage()), i);
            }
            QVERIFY(!w.Video1.Frame(held));
            QCOMPARE(w.HScrVideoFrames->maximum(), ComputeThumbnails(G().ScreenUnitX, G().ScreenUnitY, 64, 48, held).scrollMax);
        }
        QTRY_COMPARE(w.isVisible(), !closing);
    }

    // Frames past the first that no decoder can read: the load ends without a word, and those
    // frames show the last good picture.
    void aClipWithDamagedLaterFramesLoadsToItsEnd_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("frames");
        QTest::newRow("AVI, damaged tail") << QString() << 12;
        const QString media = QStringLiteral(VARKELO_TESTMEDIA_DIR "/mp4/androidx-media/");
        if (QFile::exists(media + QStringLiteral("sample_mdat_too_long.mp4")))
            QTest::newRow("MP4, cut short") << media + QStringLiteral("sample_mdat_too_long.mp4") << 0;
    }
    void aClipWithDamagedLaterFramesLoadsToItsEnd() {
        QFETCH(QString, file);
        QFETCH(int, frames);
        QTemporaryDir dir;
        if (file.isEmpty()) {
            file = WriteNumberedClip(dir.path(), QStringLiteral("tail.avi"), frames, 160, 120);
            QVERIFY(SpoilFrames(file, {8, 9, 10, 11}));
        }
        MsgBoxRecorder boxes;
        frm_Main w;
        w.show();
        QVERIFY(w.fOpenAvi(file));
        QVERIFY2(boxes.calls.empty(), qPrintable(boxes.prompts().join('|')));
        const int count = w.Video1.Count();
        if (frames > 0) QCOMPARE(count, frames);
        QVERIFY(count > 0);
        for (int i = 0; i < count; ++i) QVERIFY2(w.Video1.Frame(i), qPrintable(QString::number(i)));
        QCOMPARE(w.ImgVideoFrames.size(), size_t(count));
        if (frames > 0)
            for (int i = 8; i < frames; ++i) QCOMPARE(*w.Video1.Frame(i)->HDC(), *w.Video1.Frame(7)->HDC());
    }

    // Each refusal names its reason first; everything of the clip loaded before stays.
    void refusedOrUnreadableClipsKeepTheLoadedOne_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<qint64>("memory");
        const QString openError = QStringLiteral("fopenavi error");
        QTest::newRow("text named .avi")
            << QStringLiteral("notes.avi")
            << QStringList{QStringLiteral("There was an error working with the file:\n%1/notes.avi"), openError}
            << qint64(-1);
        QTest::newRow("too many frames")
            << QStringLiteral("big.avi") << QStringList{QStringLiteral("Video file is too big"), openError}
            << qint64(-1);
        QTest::newRow("corrupt picture") << QStringLiteral("broken.jpg")
                                         << QStringList{QStringLiteral("The picture could not be read:\n")}
                                         << qint64(-1);
        // 1 MB: 30 frames of 320 x 240 need 6.6 MB.
        QTest::newRow("more than the machine holds")
            << QStringLiteral("swing.avi")
            << QStringList{QStringLiteral("There is not enough memory to load this clip."), openError}
            << qint64(1024 * 1024);
    }
    void refusedOrUnreadableClipsKeepTheLoadedOne() {
        QFETCH(QString, file);
        QFETCH(QStringList, messages);
        QFETCH(qint64, memory);
        if (file == QLatin1String("big.avi") && !QFile::exists(clips_->filePath(file)))
            WriteNumberedClip(clips_->path(), file, 999, 16, 16, cliptools::Codec::RawBGR24);
        frm_Main w;
        w.show();
        {
            MsgBoxRecorder quiet;
            shiftClick(w, QStringLiteral("swing.avi"));
            w.ImgVideoFrames_Click(12);
        }
        if (memory >= 0) OverrideAvailableMemory(quint64(memory));
        MsgBoxRecorder boxes;
        shiftClick(w, file);
        QCOMPARE(boxes.calls.size(), size_t(messages.size()));
        for (qsizetype i = 0; i < messages.size(); ++i)
            QVERIFY2(boxes.calls[size_t(i)].prompt.startsWith(messages[i].arg(QDir::cleanPath(clips_->path()))),
                     qPrintable(boxes.calls[size_t(i)].prompt));
        if (file == QLatin1String("big.avi")) {
            QCOMPARE(boxes.calls[0].title, QStringLiteral("Video file error"));
            QCOMPARE(boxes.calls[0].style, int(vbCritical));
        }
        QCOMPARE(w.Video1.frameCount, short(30));
        QCOMPARE(w.Video1.clipFileName, QStringLiteral("swing.avi"));
        QCOMPARE(w.ImgVideoFrames.size(), size_t(30));
        QVERIFY(w.ImgVideoFrames[29]->isVisible());
        QCOMPARE(w.CurrentVideoFrame, short(12));
        QCOMPARE(w.ClipKind, 2);
        QCOMPARE(shownFrame(w), 12);
        QVERIFY(w.Video1.Frame(29));
        QVERIFY(!G().BusyLoading);
        QVERIFY(w.prgbarProcess->isHidden());
    }

    void a4KClipBeyondTheControlGroupsLimitIsRefusedBeforeAnyFrameIsRead() {
        // Three frames of 3840 x 2160 need 71 MB; the process's group has 64 MB left.
        QTemporaryDir root;
        OverrideMemorySources(fakeMachine(
            root, {"meminfo=MemAvailable: 24000000 kB\n", "cgroup=0::/app\n",
                   "fs/app/memory.max=" + QString::number(96 << 20), "fs/app/memory.current=" + QString::number(32 << 20)}));
        const QString clip = WriteNumberedClip(clips_->path(), QStringLiteral("4k.avi"), 3, 3840, 2160);
        frm_Main w;
        MsgBoxRecorder boxes;
        QVERIFY(!w.fOpenAvi(clip));
        QCOMPARE(boxes.prompts(), QStringList{QStringLiteral("There is not enough memory to load this clip.\n"
                                                             "It needs about 71 MB; 64 MB are available.")});
        QCOMPARE(boxes.calls[0].title, QStringLiteral("Video file error"));
        // Nothing of it was read: no block set aside, no frame stored, no reader kept.
        QVERIFY(!w.Video1.arena);
        QVERIFY(!w.Video1.Frame(0));
        QVERIFY(!w.Video1.reader);
        QVERIFY(!G().ClipLoaded);
        QVERIFY(!G().BusyLoading);
    }

    void aSmallerClipReplacesTheStripAndTheStore() {
        MsgBoxRecorder boxes;
        frm_Main w;
        w.show();
        shiftClick(w, QStringLiteral("swing.avi"));
        // A real Shift+click in the list; the kind test ignores case.
        QVERIFY(w.File1->SelectFile(QStringLiteral("Ten.AVI")));
        QTest::mouseClick(w.File1->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          w.File1->visualRect(w.File1->currentIndex()).center());
        QVERIFY(boxes.calls.empty());
        QCOMPARE(w.Video1.frameCount, short(10));
        QCOMPARE(w.ImgVideoFrames.size(), size_t(10));
        QVERIFY(!w.Video1.Frame(10));
        QCOMPARE(cliptools::ReadFrameNumber(*w.Video1.Frame(9)->HDC()), 9);
        // A one-frame clip: kind 1, one thumbnail.
        shiftClick(w, QStringLiteral("one.avi"));
        QCOMPARE(w.ClipKind, 1);
        QCOMPARE(w.Video1.frameCount, short(1));
        QCOMPARE(w.prgbarProcess->maximum(), 1);
    }

    void pictureOpensAtItsOwnSizeAndTheStripIgnoresClicks() {
        MsgBoxRecorder boxes;
        frm_Main w;
        w.show();
        shiftClick(w, QStringLiteral("swing.avi"));
        shiftClick(w, QStringLiteral("pose.jpeg"));  // "jpeg": a picture
        QVERIFY(boxes.calls.empty());
        QCOMPARE(w.ClipKind, 1);
        QCOMPARE(w.Video1.frameCount, short(0));
        QCOMPARE(w.Video1.CanvasRect(), QRect(0, 0, 200, 100));
        QCOMPARE(w.ImgVideoFrames.size(), size_t(1));
        QVERIFY(w.ImgVideoFrames[0]->isHidden());
        QVERIFY(w.HScrVideoFrames->isHidden());
        QVERIFY(!w.mnuTools[9]->isEnabled());
        // Drawn unscaled at the top left of the cleared canvas.
        const QImage canvas = w.pic_video->Image();
        QCOMPARE(cliptools::ReadFrameNumber(canvas.copy(0, 0, 200, 100)), 7);
        QCOMPARE(canvas.pixelColor(300, 300), w.pic_video->BackColor());
        w.ImgVideoFrames_Click(0);
        QCOMPARE(w.CurrentVideoFrame, short(0));
        shiftClick(w, QStringLiteral("still.bmp"));
        QCOMPARE(cliptools::ReadFrameNumber(w.pic_video->Image().copy(0, 0, 200, 100)), 9);
    }

    void otherModifiersAndTheBusyFlagDoNothing() {
        MsgBoxRecorder boxes;
        frm_Main w;
        w.Dir1->SetPath(clips_->path());
        QTRY_VERIFY(w.File1->SelectFile(QStringLiteral("swing.avi")));
        struct Click { int button, keys; bool busy; };
        for (const Click c : {Click{vbLeftButton, vbCtrlMask, false}, Click{vbLeftButton, vbShiftMask | vbCtrlMask, false},
                              Click{vbRightButton, vbShiftMask, false}, Click{vbLeftButton, vbShiftMask, true}}) {
            G().BusyLoading = c.busy;
            w.File1_MouseUp(c.button, c.keys);
            G().BusyLoading = false;
            QVERIFY(!G().ClipLoaded);
        }
        QVERIFY(boxes.calls.empty());
        QVERIFY(!w.imgLogo->isHidden());
    }
};

QTEST_MAIN(TestClipLoading)
#include "tst_cliploading.moc"
