// Loading clips and pictures into the main window, and browsing their frames.

#include "CompareWindowFixture.h"
#include "SettingsStoreFixture.h"
#include "clips/ClipLoader.h"
#include "clips/ClipOpener.h"
#include "clips/FrameStore.h"
#include "clips/cVideo.h"
#include "imaging/cDIBSection.h"
#include "platform/SystemMemory.h"
#include "platform/Twips.h"
#include "shell/cMRUFileList.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QProgressBar>
#include <QSet>
#include <QUrl>
#include <QtEndian>

#include <limits>

#include <sys/resource.h>

using namespace platform;

namespace {

int numberOf(const cDIBSection* frame) { return frame ? cliptools::ReadFrameNumber(*frame->HDC()) : -1; }

// Every frame of the clip in memory and on its thumbnail carries its own number, and none follows.
bool framesAndThumbnailsNumbered(frm_Main& w, int count) {
    for (int i = 0; i < count; ++i)
        if (numberOf(w.Video1.Frame(i)) != i ||
            cliptools::ReadFrameNumber(w.ImgVideoFrames[size_t(i)]->pixmap().toImage()) != i)
            return false;
    return w.ImgVideoFrames.size() == size_t(count) && !w.Video1.Frame(count);
}

// A machine's memory figures as files under `root`: meminfo, the process's cgroup list and
// a cgroup tree; each entry is "relative path=content".
MemorySources fakeMachine(const QTemporaryDir& root, const QStringList& files) {
    for (const QString& entry : files)
        WriteAll(root.filePath(entry.section(QLatin1Char('='), 0, 0)), entry.section(QLatin1Char('='), 1).toUtf8());
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
    std::unique_ptr<MsgBoxRecorder> boxes_;
    std::unique_ptr<frm_Main> w_;

    // Opens a file of `folder` (the clips folder if none) as a Shift+click in the file list does.
    void shiftClick(const QString& name, const QString& folder = {}) {
        w_->Dir1->SetPath(folder.isEmpty() ? clips_->path() : folder);
        QTRY_VERIFY(w_->File1->SelectFile(name));
        w_->File1_MouseUp(vbLeftButton, vbShiftMask);
    }
    // The window most tests start from: the 30-frame clip open at frame 12, nothing said.
    frm_Main& openSwing() {
        shiftClick(QStringLiteral("swing.avi"));
        w_->ImgVideoFrames_Click(12);
        QTest::qVerify(boxes_->calls.empty(), "no message", qPrintable(boxes_->prompts().join('|')), __FILE__, __LINE__);
        return *w_;
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

    void init() {
        desktop_ = std::make_unique<TestDesktop>();
        boxes_ = std::make_unique<MsgBoxRecorder>();
        w_ = std::make_unique<frm_Main>();
        w_->show();
    }
    void cleanup() {
        w_.reset();
        boxes_.reset();
        desktop_.reset();
        OverrideAvailableMemory(std::nullopt);
        OverrideMemorySources(std::nullopt);
    }

    // The memory a clip may take: the system's available figure, or less when a control group
    // (version 2 up the tree, or version 1's memory controller) has less left under its limit.
    void memoryFiguresFromTheSystemAndTheControlGroups_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<quint64>("expected");
        const QString meminfo = QStringLiteral(
            "meminfo=MemTotal:       16000000 kB\nMemFree:         5000000 kB\n"
            "MemAvailable:    8000000 kB\nBuffers:           10000 kB\n");
        const quint64 available = 8000000ull * 1024;
        const auto row = [&](const char* name, const QStringList& cgroups, quint64 expected) {
            QTest::newRow(name) << QStringList{meminfo} + cgroups << expected;
        };
        row("no control group", {}, available);
        row("v2 limit of its own group", {"cgroup=0::/user.slice/app\n", "fs/user.slice/app/memory.max=3000000000\n",
                                          "fs/user.slice/app/memory.current=1000000000\n"}, 2000000000);
        row("v2 without limit", {"cgroup=0::/app\n", "fs/app/memory.max=max\n", "fs/app/memory.current=5\n"}, available);
        row("v2 tighter limit above", {"cgroup=0::/user.slice/app\n", "fs/user.slice/app/memory.max=max\n",
                                       "fs/user.slice/app/memory.current=700000000\n", "fs/user.slice/memory.max=1500000000\n",
                                       "fs/user.slice/memory.current=1200000000\n"}, 300000000);
        row("v2 usage beyond the limit", {"cgroup=0::/app\n", "fs/app/memory.max=4096\n", "fs/app/memory.current=8192\n"}, 0);
        row("v1 memory controller", {"cgroup=5:cpu,cpuacct:/job\n4:memory:/job\n0::/\n",
                                     "fs/memory/job/memory.limit_in_bytes=500000000\n",
                                     "fs/memory/job/memory.usage_in_bytes=100000000\n",
                                     "fs/memory/memory.limit_in_bytes=9223372036854771712\n"}, 400000000);
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
        QCOMPARE(QList<long>({t.height, t.width, t.perRow, t.scrollMax, t.scrollWidth}),
                 QList<long>({1380, 1840, 5, 6, 5 * 1840}));
        QCOMPARE(t.Position(4), QPoint(4 * 1840, 230));
        QCOMPARE(t.Position(10), QPoint(0, 230 + 2 * 1430));  // each row 1430 below the one before
        // The whole frame fits inside the canvas, centred: 320 x 240 in 513 x 383 is 510.7 x 383;
        // a phone held upright keeps its full height on a landscape canvas.
        const auto rectOf = [](const Fit& f) { return QRect(f.offsetX, f.offsetY, f.scaledWidth, f.scaledHeight); };
        QCOMPARE(rectOf(ComputeFit(513, 383, 320, 240)), QRect(1, 0, 510, 383));
        QCOMPARE(rectOf(ComputeFit(400, 400, 200, 100)), QRect(0, 100, 400, 200));
        QCOMPARE(rectOf(ComputeFit(960, 540, 1080, 1920)), QRect(328, 0, 303, 540));
        QCOMPARE(ComputeFit(400, 400, 0, 100).scaledWidth, 0);  // no frame: nothing to fit
        // Split halves: a landscape frame shows half its width in each; an upright one shows whole.
        const SplitHalf half = ComputeSplitHalf(960, 540, 1920, 1080, true);
        QCOMPARE(QList<int>({half.sourceWidth, half.panMaximum}), QList<int>({960, 960}));
        QCOMPARE(rectOf(half.fit), QRect(480, 0, 480, 540));
        const SplitHalf whole = ComputeSplitHalf(960, 540, 1080, 1920, false);
        QCOMPARE(QList<int>({whole.sourceWidth, whole.panMaximum}), QList<int>({1080, 0}));
        QCOMPARE(rectOf(whole.fit), QRect(177, 0, 303, 540));
    }

    // Other buttons and keys, or a click while a load runs, do nothing; a Shift+click opens the
    // clip whole, with thumbnails that show their frames and scroll by rows.
    void shiftClickOpensAClipAndTheStripBrowsesIt() {
        w_->Dir1->SetPath(clips_->path());
        QTRY_VERIFY(w_->File1->SelectFile(QStringLiteral("swing.avi")));
        struct Click { int button, keys; bool busy; };
        for (const Click c : {Click{vbLeftButton, vbCtrlMask, false}, Click{vbLeftButton, vbShiftMask | vbCtrlMask, false},
                              Click{vbRightButton, vbShiftMask, false}, Click{vbLeftButton, vbShiftMask, true}}) {
            w_->Program.BusyLoading = c.busy;
            w_->File1_MouseUp(c.button, c.keys);
            w_->Program.BusyLoading = false;
            QVERIFY(!w_->Program.ClipLoaded && !w_->imgLogo->isHidden());
        }
        frm_Main& w = openSwing();
        QVERIFY(w.Program.ClipLoaded && !w.Program.BusyLoading && w.imgLogo->isHidden() && w.pic_video->isVisible());
        QCOMPARE(w.Program.WorkingDir, QDir::cleanPath(clips_->path()));
        QVERIFY(framesAndThumbnailsNumbered(w, 30));
        QCOMPARE(w.MRU().File(1), QDir::cleanPath(clips_->path()) + QStringLiteral("/swing.avi"));
        QTest::mouseClick(w.ImgVideoFrames[13], Qt::LeftButton);
        QCOMPARE(w.CurrentVideoFrame, short(13));
        QCOMPARE(ShownFrame(w), 13);
        QCOMPARE(w.shapeVideoFrame->pos(), w.ImgVideoFrames[13]->pos());
        w.HScrVideoFrames->setValue(2);  // the strip's top at -2 x (1380 + 50) twips
        QCOMPARE(w.picCVideoFrames->y(), -TwipsToPixelsY(2860));
        w.Program.BusyLoading = true;  // ignored while frames load
        w.ImgVideoFrames_Click(20);
        QCOMPARE(w.CurrentVideoFrame, short(13));
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
        frm_Main& w = openSwing();
        w.VideoControls->cmdPlay->click();
        QTRY_VERIFY(w.File1->SelectFile(QStringLiteral("Ten.AVI")));
        // The commands at the first turn of the event loop the load lets through, ticks as
        // the frames come in.
        bool commandsArrived = false, dialogCommandsEnabled = true;
        int ticksOnAHalfReadClip = 0;
        QTimer meanwhile;
        connect(&meanwhile, &QTimer::timeout, &w, [&] {
            if (!w.Program.BusyLoading || commandsArrived) return;
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
            if (firstFrameShownAt < 0 && ShownFrame(w) == 0) firstFrameShownAt = n;
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
            const bool* busy = nullptr;  // the window's load flag
            int paints = 0;
            bool eventFilter(QObject*, QEvent* e) override {
                paints += e->type() == QEvent::Paint && *busy;
                return false;
            }
        } counter;
        counter.busy = &w.Program.BusyLoading;
        qApp->installEventFilter(&counter);
        meanwhile.start(0);
        w.File1_MouseUp(vbLeftButton, vbShiftMask);
        meanwhile.stop();
        qApp->removeEventFilter(&counter);
        QVERIFY(commandsArrived && ticksOnAHalfReadClip > 0 && counter.paints > 0);
        QVERIFY(progress.size() >= 5);
        QVERIFY(firstFrameShownAt >= 0 && firstFrameShownAt < 9);
        QVERIFY(!dialogCommandsEnabled && dialogs == 0);  // no dialog opened over a load
        QVERIFY(w.Toolbar1->Enabled(1) && w.Toolbar1->Enabled(7));
        QCOMPARE(w.Video1.frameCount, short(10));
        QVERIFY(framesAndThumbnailsNumbered(w, 10));
        QCOMPARE(ShownFrame(w), 0);
        QCOMPARE(w.CurrentVideoFrame, short(0));
        // The folder list stayed with the file list, so the next open takes the file listed.
        QCOMPARE(w.Dir1->Path(), w.File1->Path());
        QCOMPARE(w.Program.WorkingDir, QDir::cleanPath(clips_->path()));
        QVERIFY(w.File1->SelectFile(QStringLiteral("Ten.AVI")));
        w.File1_MouseUp(vbLeftButton, vbShiftMask);
        QCOMPARE(w.Video1.frameCount, short(10));
        QVERIFY2(boxes_->calls.empty(), qPrintable(boxes_->prompts().join('|')));
        SetFileDialogAnswerer({});
    }

    // The loader on its own: every frame in order with its thumbnail, or, cancelled by the
    // taker at frame 5, frames 0..5 and no more; destroyed while reading (-2), it just stops.
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
            QCOMPARE(numberOf(f.picture.get()), f.index);
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
        frm_Main& w = openSwing();
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
        QVERIFY(!w.Program.BusyLoading && w.prgbarProcess->isHidden());
        QVERIFY2(boxes_->calls.empty(), qPrintable(boxes_->prompts().join('|')));
        const int held = afterFrame < 0 ? 30 : afterFrame + 1;
        QCOMPARE(w.Video1.clipFileName, afterFrame < 0 ? QStringLiteral("swing.avi") : QStringLiteral("forty.avi"));
        QCOMPARE(w.Video1.Count(), held);
        QVERIFY(framesAndThumbnailsNumbered(w, held));
        if (afterFrame < 0) QCOMPARE(ShownFrame(w), 12);
        QCOMPARE(w.HScrVideoFrames->maximum(),
                 ComputeThumbnails(w.Program.ScreenUnitX, w.Program.ScreenUnitY, afterFrame < 0 ? 320 : 64, afterFrame < 0 ? 240 : 48, held).scrollMax);
        QTRY_COMPARE(w.isVisible(), !closing);
    }

    // Frames no decoder reads repeat the picture before (frame 0 the first there is), and the
    // load ends without a word. A frame larger than the canvas is scaled whole, to its
    // bottom-right corner, and the split view shows about half of it.
    void damagedFramesRepeatAGoodOne_data() {
        QTest::addColumn<QString>("file");      // empty: an 800 x 600 AVI written here
        QTest::addColumn<QList<int>>("shows");  // the number each frame's picture carries
        QTest::newRow("AVI, first and fourth damaged") << QString() << QList<int>{1, 1, 2, 2, 4, 5};
        QTest::newRow("AVI, damaged tail") << QString() << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 7, 7, 7, 7};
        const QString media = QStringLiteral(VARKELO_TESTMEDIA_DIR "/mp4/androidx-media/sample_mdat_too_long.mp4");
        if (QFile::exists(media)) QTest::newRow("MP4, cut short") << media << QList<int>{};
    }
    void damagedFramesRepeatAGoodOne() {
        QFETCH(QString, file);
        QFETCH(QList<int>, shows);
        QTemporaryDir dir;
        if (file.isEmpty()) file = WriteNumberedClip(dir.path(), QStringLiteral("holes.avi"), int(shows.size()), 800, 600);
        for (int i = 0; i < shows.size(); ++i)
            if (shows[i] != i) QVERIFY(SpoilFrames(file, {i}));
        frm_Main& w = *w_;
        QVERIFY(w.fOpenAvi(file));
        QVERIFY2(boxes_->calls.empty(), qPrintable(boxes_->prompts().join('|')));
        const int count = w.Video1.Count();
        QVERIFY(count > 0 && (shows.isEmpty() || count == shows.size()));
        QCOMPARE(w.ImgVideoFrames.size(), size_t(count));
        for (int i = 0; i < count; ++i)
            QVERIFY2(w.Video1.Frame(i) && (shows.isEmpty() || numberOf(w.Video1.Frame(i)) == shows[i]),
                     qPrintable(QString::number(i)));
        if (shows.isEmpty()) return;
        QCOMPARE(w.Video1.SourceRect(), QRect(0, 0, 800, 600));
        const Fit fit = ComputeFit(w.pic_video->width(), w.pic_video->height(), 800, 600);
        QCOMPARE(w.Video1.CanvasRect(), QRect(fit.offsetX, fit.offsetY, fit.scaledWidth, fit.scaledHeight));
        w.ImgVideoFrames_Click(3);
        QCOMPARE(ShownFrame(w), shows[3]);
        const QRect shown = w.Video1.CanvasRect();
        QVERIFY(w.pic_video->Image().rect().contains(shown));
        QVERIFY(w.pic_video->Image().pixelColor(shown.right(), shown.bottom()) != w.pic_video->BackColor());
        w.Toolbar_Click(11);
        // About half, as the half holds it (the canvas is not exactly 4:3).
        QVERIFY2(std::abs(w.Video1.SourceRect().width() - 400) <= 3, qPrintable(QString::number(w.Video1.SourceRect().width())));
    }

    // Each refusal names its reason first, under a title of its own where it has one; the clip
    // loaded before stays whole, and nothing of the refused one is read: no block, no reader.
    void refusedOrUnreadableClipsKeepTheLoadedOne_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("title");
        QTest::addColumn<qint64>("memory");  // -1 the machine's own
        const QString openError = QStringLiteral("fopenavi error"), fileError = QStringLiteral("Video file error");
        QTest::newRow("text named .avi")
            << "notes.avi" << QStringList{"There was an error working with the file:\n%1/notes.avi", openError}
            << QString() << qint64(-1);
        QTest::newRow("corrupt picture") << "broken.jpg" << QStringList{"The picture could not be read:\n"}
                                         << QString() << qint64(-1);
        // 1 MB: 30 frames of 320 x 240 need 6.6 MB.
        QTest::newRow("more than the machine holds")
            << "swing.avi" << QStringList{"There is not enough memory to load this clip.", openError} << fileError
            << qint64(1024 * 1024);
    }
    void refusedOrUnreadableClipsKeepTheLoadedOne() {
        QFETCH(QString, file);
        QFETCH(QStringList, messages);
        QFETCH(QString, title);
        QFETCH(qint64, memory);
        frm_Main& w = openSwing();
        const std::shared_ptr<FrameArena> arena = w.Video1.arena;
        const cVideo* reader = w.Video1.reader.get();
        if (memory >= 0) OverrideAvailableMemory(quint64(memory));
        shiftClick(file);
        const auto& calls = boxes_->calls;
        QCOMPARE(calls.size(), size_t(messages.size()));
        for (qsizetype i = 0; i < messages.size(); ++i)
            QVERIFY2(calls[size_t(i)].prompt.startsWith(messages[i].arg(QDir::cleanPath(clips_->path()))),
                     qPrintable(calls[size_t(i)].prompt));
        if (!title.isEmpty()) QCOMPARE(std::pair(calls[0].title, calls[0].style), std::pair(title, int(vbCritical)));
        QCOMPARE(w.Video1.frameCount, short(30));
        QCOMPARE(w.Video1.clipFileName, QStringLiteral("swing.avi"));
        QVERIFY(w.Video1.arena == arena && w.Video1.reader.get() == reader);
        QVERIFY(framesAndThumbnailsNumbered(w, 30));
        QVERIFY(w.ImgVideoFrames[29]->isVisible());
        QCOMPARE(w.CurrentVideoFrame, short(12));
        QCOMPARE(w.ClipKind, 2);
        QCOMPARE(ShownFrame(w), 12);
        QVERIFY(!w.Program.BusyLoading && w.prgbarProcess->isHidden());
    }

    // The refusals on their own: the frame table's limits first, then an empty clip, then memory.
    void refusalsOfAClip() {
        const QString tooBig = "Video file is too big", unreadable = "There was an error working with the file:\n/c/x.avi";
        struct Row { int frames, first; quint64 neededMB, availableMB; QString text; };
        for (const Row& r : {Row{30, 0, 7, 7, {}}, Row{998, 3, 100, 200, {}}, Row{10, 991, 1, 200, {}},
                             Row{999, 0, 500, 1, tooBig}, Row{10, -1, 1, 200, tooBig}, Row{10, 992, 1, 200, tooBig},
                             Row{0, 0, 0, 200, unreadable}, Row{-5, 0, 9, 1, unreadable},
                             Row{3, 0, 71, 64, "There is not enough memory to load this clip.\n"
                                               "It needs about 71 MB; 64 MB are available."}}) {
            const auto refusal = RefusalOf(r.frames, r.first, r.neededMB << 20, r.availableMB << 20, "/c/x.avi");
            QCOMPARE(refusal ? refusal->text : QString(), r.text);
            if (refusal)
                QCOMPARE(std::pair(refusal->title, refusal->style), r.text == unreadable ? std::pair(QString(), int(vbInformation))
                                                                    : std::pair(QStringLiteral("Video file error"), int(vbCritical)));
        }
    }

    // A smaller clip (a real Shift+click; the kind test ignores case), a one-frame clip, then
    // pictures: each replaces the strip and the store (a clip's block of memory goes with it). A
    // picture is drawn unscaled at the top left of the cleared canvas, and its strip ignores clicks.
    void eachNewFileReplacesTheOneBefore() {
        frm_Main& w = openSwing();
        const std::weak_ptr<FrameArena> swing = w.Video1.arena;
        const FrameArena* block = w.Video1.arena.get();  // the frames lie in the clip's own block, where the kernel gives blocks
        QVERIFY(!FrameArena::Create(1, 1, 1) ||
                (block && quint64(w.Video1.Frame(29)->DIBSectionBitsPtr() - static_cast<const uint8_t*>(block->Base())) < block->MappedBytes()));
        QVERIFY(w.File1->SelectFile(QStringLiteral("Ten.AVI")));
        QTest::mouseClick(w.File1->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          w.File1->visualRect(w.File1->currentIndex()).center());
        QCOMPARE(w.Video1.frameCount, short(10));
        QVERIFY(framesAndThumbnailsNumbered(w, 10));
        QVERIFY(swing.expired());  // the next clip lets the block of the one before go
        shiftClick(QStringLiteral("one.avi"));
        QCOMPARE(w.ClipKind, 1);
        QCOMPARE(w.Video1.frameCount, short(1));
        shiftClick(QStringLiteral("pose.jpeg"));  // "jpeg": a picture
        QCOMPARE(w.ClipKind, 1);
        QCOMPARE(w.Video1.frameCount, short(0));
        QCOMPARE(w.Video1.CanvasRect(), QRect(0, 0, 200, 100));
        QCOMPARE(w.ImgVideoFrames.size(), size_t(1));
        QVERIFY(w.ImgVideoFrames[0]->isHidden() && w.HScrVideoFrames->isHidden());
        QVERIFY(!w.mnuTools[9]->isEnabled());
        const QImage canvas = w.pic_video->Image();
        QCOMPARE(cliptools::ReadFrameNumber(canvas.copy(0, 0, 200, 100)), 7);
        QCOMPARE(canvas.pixelColor(300, 300), w.pic_video->BackColor());
        w.ImgVideoFrames_Click(0);
        QCOMPARE(w.CurrentVideoFrame, short(0));
        shiftClick(QStringLiteral("still.bmp"));
        QCOMPARE(cliptools::ReadFrameNumber(w.pic_video->Image().copy(0, 0, 200, 100)), 9);
        QVERIFY(boxes_->calls.empty() && !w.Video1.arena);
        // The model's frames have a block of their own, which a model refused keeps.
        QVERIFY(w.fOpenModel(clips_->filePath(QStringLiteral("swing.avi"))));
        const std::shared_ptr<FrameArena> model = w.Model.arena;
        QVERIFY(!w.fOpenModel(clips_->filePath(QStringLiteral("notes.avi"))));
        QVERIFY(w.Model.arena == model && numberOf(w.Model.Frame(14)) == 14);
    }

};

QTEST_MAIN(TestClipLoading)
#include "tst_cliploading.moc"
