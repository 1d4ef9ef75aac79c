// Stepping and playing through the video controls' buttons and the playback timers, with a
// 10-frame clip whose frame numbers are read back from the pictures painted. Timer ticks are
// driven by calling the tick handlers; the timers' own state is checked, never waited for.

#include "CompareWindowFixture.h"
#include "platform/Clipboard.h"
#include "platform/HelpWindow.h"

#include <QLineEdit>
#include <QTextBrowser>

using namespace platform;

namespace {
constexpr int kModelBase = 50;  // model frames carry 50 + their frame number
constexpr int kNone = -1;       // in a table: this window is not checked
}  // namespace

class TestPlayback : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDesktop> desktop_;
    QTemporaryDir clips_;
    ChosenFile files_;

    // The toolbar's Open (1) or Insert Model (7), its file dialog choosing `name`.
    void open(frm_Main& w, const char* name, int button = 1) {
        files_.Click(w, button, clips_.filePath(QLatin1String(name)));
    }
    void insertModel(frm_Main& w, const char* name = "model.avi") {
        open(w, name, 7);
        QVERIFY(w.Program.ModelShown);
        // The canvas then shows video 1 alone, so its frame can be read from it.
        w.VideoControls->hscrBlend->setValue(0);
    }
    // swing.avi open; for window choice 1 or 2 the model inserted (at its frame 1) and chosen.
    void load(frm_Main& w, int choice) {
        open(w, "swing.avi");
        if (choice == 0) return;
        insertModel(w);
        QCOMPARE(w.CurrentModelFrame, short(1));
        choose(w, choice);
    }
    static void choose(frm_Main& w, int option) {
        w.VideoControls->optWindow[size_t(option)]->click();
        QCOMPARE(w.VideoControls->WindowChoice, short(option));
    }
    // The buttons named by letters: H first frame, E last, B back, F forward.
    static void press(frm_Main& w, QChar button) {
        const frmVideoControls* c = w.VideoControls;
        QPushButton* const buttons[] = {c->cmdBackFull, c->cmdForwardFull, c->cmdBackFast, c->cmdForwardFast};
        buttons[QStringLiteral("HEBF").indexOf(button)]->click();
    }
    // A tick of the timer of window choice 0 (video 1), 1 (both) or 2 (the model).
    static void tick(frm_Main& w, int choice) {
        // A switch, not a table of member pointers: GCC's bounds check misreads an index into one.
        switch (choice) {
        case 0: w.VideoTimer_Timer(); break;
        case 1: w.bothTimer_Timer(); break;
        default: w.ModelTimer_Timer(); break;
        }
    }
    static QSlider* scrubBar(frm_Main& w) { return w.findChild<QSlider*>(QStringLiteral("sldScrub")); }
    // The model frame last painted, from the holder every model paint goes through.
    static int modelShown(frm_Main& w) {
        return cliptools::ReadFrameNumber(w.Compositor.ModelHolder().copy(w.Model.SourceRect())) - kModelBase;
    }
    // The pictures show `at` (x: video 1, y: the model, kNone: unchecked); with `counters`,
    // the frame counters name them too, and for video 1 alone its thumbnail is marked and its
    // row of the strip (five a row) is in view.
    static void showing(frm_Main& w, QPoint at, bool counters = true) {
        QCOMPARE(ShownFrame(w), at.x());
        if (at.y() != kNone) QCOMPARE(modelShown(w), at.y());
        if (!counters) return;
        QCOMPARE(w.CurrentVideoFrame, short(at.x()));
        if (at.y() != kNone) QCOMPARE(w.CurrentModelFrame, short(at.y()));
        if (at.y() != kNone) return;
        QVERIFY(w.shapeVideoFrame->pos() == w.ImgVideoFrames[size_t(at.x())]->pos());
        QCOMPARE(w.HScrVideoFrames->value(), at.x() / 5);
    }
    static bool anyTimerActive(const frm_Main& w) {
        return w.VideoTimer->isActive() || w.ModelTimer->isActive() || w.bothTimer->isActive();
    }
    static QList<bool> options(const frm_Main& w) {
        QList<bool> on;
        for (QRadioButton* opt : w.VideoControls->optWindow) on << opt->isEnabled();
        return on;
    }
    // Keys as a user types them into `target`, whose window is made the active one first;
    // "End Ctrl+Z" is End, then Ctrl+Z.
    static void type(QWidget* target, const QString& keys, QSlider* bar = nullptr) {
        target->window()->show();
        target->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(target->window()));
        target->setFocus();
        for (const QString& key : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            // "scrub:n" moves the scrub bar to n, "wheel:x,y" turns the wheel, "drag:y" draws
            // from x 100 to 300 at y.
            const QStringList turn = key.section(u':', 1).split(u',');
            if (key.startsWith(QLatin1String("drag:"))) {
                QTest::mousePress(target, Qt::LeftButton, {}, QPoint(100, turn[0].toInt()));
                QTest::mouseMove(target, QPoint(300, turn[0].toInt()));
                QTest::mouseRelease(target, Qt::LeftButton, {}, QPoint(300, turn[0].toInt()));
                continue;
            }
            if (key.startsWith(QLatin1String("scrub:"))) {
                bar->setValue(turn[0].toInt());
                continue;
            }
            if (turn.size() == 2) {
                const Qt::KeyboardModifiers mods(key.startsWith(QLatin1String("Ctrl")) ? Qt::ControlModifier
                                                                                       : Qt::NoModifier);
                QWheelEvent e({50, 50}, target->mapToGlobal(QPoint(50, 50)), {},
                              {turn[0].toInt(), turn[1].toInt()}, Qt::NoButton, mods, Qt::NoScrollPhase,
                              false);
                QApplication::sendEvent(target, &e);
                continue;
            }
            const QKeyCombination k = QKeySequence(key)[0];
            QTest::keyClick(target, k.key(), k.keyboardModifiers());
        }
    }

private Q_SLOTS:
    void initTestCase() {
        for (int base : {0, kModelBase})
            QVERIFY(cliptools::WriteClip(clips_.filePath(base ? "model.avi" : "swing.avi"), {160, 120}, 10,
                                         [base](int i) { return cliptools::NumberedFrame(base + i, 160, 120); }));
        QVERIFY(cliptools::NumberedFrame(7, 100, 80).save(clips_.filePath("pose.jpg")));
    }
    void init() { desktop_ = std::make_unique<TestDesktop>(); }
    void cleanup() { desktop_.reset(); }

    // Scripts for the video controls, with the frames expected after each step: video 1's, or
    // video 1's/the model's. H first frame, E last, B back, F forward: buttons, with the counters
    // and thumbnail checked too; t: a tick of the chosen window's timer, which runs at the speed
    // last set (~n) and alone; P play; S stop, which shows the frames the counters name.
    void controls_data() {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("script");
        QTest::newRow("video 1 steps round both ends") << 0 << "B9 F0 F1 F2 B1 E9 H0";
        // Each clip wraps on its own: video 1 first, then the model.
        QTest::newRow("both windows step") << 1 << "F1/2 B0/1 B9/0 B8/9 F9/0 H0/0 E9/9";
        QTest::newRow("the model steps alone") << 2 << "E0/9 F0/0 B0/9 H0/0 F0/1";
        // Stopped after frame 1 is drawn: the counter names the next frame, and that is shown.
        QTest::newRow("video 1 plays") << 0 << "~40 P t0 t1 t2 ~7 t3 t4 t5 t6 t7 t8 t9 t0 t1 S2";
        QTest::newRow("both windows play from the last frames")
            << 1 << "E9/9 ~25 P t0/0 t1/1 ~60 t2/2 t3/3 S3/3";
        QTest::newRow("the model plays from its frame 1")
            << 2 << "~100 P t0/2 t0/3 t0/4 ~3 t0/5 t0/6 t0/7 t0/8 t0/9 t0/0 t0/1 S0/1";
    }
    void controls() {
        QFETCH(int, choice);
        QFETCH(QString, script);
        MsgBoxRecorder boxes;
        frm_Main w;
        load(w, choice);
        QTimer* const timers[] = {w.VideoTimer, w.bothTimer, w.ModelTimer};
        frmVideoControls* c = w.VideoControls;
        int row = 0;  // the thumbnail strip's row when Play was pressed
        for (const QString& step : script.split(u' ')) {
            const QStringList f = step.mid(1).split(u'/');
            const QPoint at(f[0].toInt(), f.size() > 1 ? f[1].toInt() : kNone);
            if (step[0] == u'~') c->hscrSpeed->setValue(at.x());
            if (QStringLiteral("HEBF").contains(step[0])) {
                press(w, step[0]);
                showing(w, at);
            }
            if (step[0] == u'P') {
                row = w.HScrVideoFrames->value();
                c->cmdPlay->click();
                for (int t = 0; t < 3; ++t) QCOMPARE(timers[t]->isActive(), t == choice);
                QVERIFY(!w.Program.Stopped);
                QCOMPARE(options(w), (QList<bool>{false, false, false}));
            }
            if (step[0] == u't') {
                const QImage panel = w.picVideoInfo->Image();
                const int before = ShownFrame(w);
                tick(w, choice);
                showing(w, at, false);
                // Playing video 1, the info panel follows the picture.
                if (choice < 2 && at.x() != before) QVERIFY(w.picVideoInfo->Image() != panel);
                QCOMPARE(timers[choice]->interval(), c->hscrSpeed->value());
                QCOMPARE(w.HScrVideoFrames->value(), row);  // the strip stays while playing; the bar follows
                QCOMPARE(scrubBar(w)->value(), at.x());
            }
            if (step[0] == u'S') {
                QVERIFY(timers[choice]->isActive());
                c->cmdStop->click();
                QVERIFY(!anyTimerActive(w) && w.Program.Stopped);
                showing(w, at);
                QCOMPARE(options(w), (QList<bool>{true, choice > 0, choice > 0}));
            }
        }
        QVERIFY(!anyTimerActive(w) && boxes.calls.empty());
    }

    // The window's view decides a model tick's paints: the blend view paints the model surface and
    // video 1 (twice: PasteModel repaints it too); the split view only the model's half.
    void modelTicksPaintWhatTheViewShows() {
        frm_Main w;
        load(w, 2);
        int paints = 0;  // every paint of the canvas ends by redrawing the marks
        w.DrawingUpdate = [&paints, marks = w.DrawingUpdate] { marks(), ++paints; };
        w.ModelTimer_Timer();
        QCOMPARE(paints, 2);
        w.Toolbar1->SetValue(11, true);
        w.Toolbar_Click(11);
        paints = 0;
        w.ModelTimer_Timer();
        QCOMPARE(paints, 1);
    }

    // The frame keys and Space reach the video controls from every window of the program, but
    // not from a text box, which keeps the keys it edits with, nor during a load. Space plays
    // what the window choice names, and nothing for a still picture. The wheel over the picture
    // and the scrub bar under it step too.
    void keysWorkInEveryWindowButATextBox_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("frame");  // kNone: not checked
        QTest::addColumn<int>("timer");  // the one running after: 0 video 1, 2 the model, kNone
        const auto row = [](const char* name, const char* window, const char* keys, int frame, int timer) {
            QTest::newRow(name) << QString(window) << QString(keys) << frame << timer;
        };
        row("main window: Right twice", "main", "Right Right", 2, kNone);
        row("main window: End, Left", "main", "End Left", 8, kNone);
        row("main window: End, Home", "main", "End Home", 0, kNone);
        row("video controls: Right", "controls", "Right", 1, kNone);
        row("file list: End", "file list", "End", 9, kNone);
        row("help window: End", "help", "End", 9, kNone);
        row("text box: End moves the cursor", "text box", "End Left", 0, kNone);
        row("during a load: ignored", "loading", "End Right", 0, kNone);
        row("main window: Space plays", "main", "Space", 0, 0);
        row("main window: Space again stops", "main", "Space Space", 0, kNone);
        row("video controls: Space plays, Stop focused", "controls", "Space", 0, 0);
        row("model chosen: Space plays it", "model", "Space", 0, 2);
        row("still picture: Space plays nothing", "picture", "Space", kNone, kNone);
        // Whole notches (120) step, parts add up, Ctrl+wheel is not stepping.
        row("wheel: a notch down", "main", "wheel:0,-120", 1, kNone);
        row("wheel: two notches at once", "main", "wheel:0,-240", 2, kNone);
        row("wheel: a notch up wraps", "main", "wheel:0,120", 9, kNone);
        row("wheel: parts add up", "main", "wheel:0,-60 wheel:0,-50 wheel:0,-10", 1, kNone);
        row("wheel: half a notch", "main", "wheel:0,-60", 0, kNone);
        row("wheel: sideways", "main", "wheel:-120,0", 1, kNone);
        row("wheel: with Ctrl", "main", "Ctrl+wheel:0,-120", 0, kNone);
        row("scrub bar: any frame", "main", "scrub:7 scrub:3 scrub:9", 9, kNone);
        row("scrub bar: then a button", "controls", "scrub:7 Right", 8, kNone);
        row("scrub bar: during a load", "loading", "scrub:7", 0, kNone);
    }
    void keysWorkInEveryWindowButATextBox() {
        QFETCH(QString, window);
        QFETCH(QString, keys);
        QFETCH(int, frame);
        QFETCH(int, timer);
        frm_Main w;
        w.show();
        load(w, window == QLatin1String("model") ? 2 : 0);
        QWidget* target = w.pic_video;
        if (window == QLatin1String("controls")) target = w.VideoControls->cmdStop;
        if (window == QLatin1String("file list") || window == QLatin1String("picture")) target = w.File1;
        if (window == QLatin1String("help")) target = platform::HelpWindow::Instance()->Browser();
        if (window == QLatin1String("picture")) open(w, "pose.jpg");
        if (window == QLatin1String("text box")) {
            w.Toolbar_Click(3);  // the drawing tool box with its readout
            w.DrawToolBox->txtAngle->show();
            target = w.DrawToolBox->txtAngle;
        }
        w.Program.BusyLoading = window == QLatin1String("loading");
        type(target, keys, scrubBar(w));
        if (frame != kNone) showing(w, {frame, kNone});
        if (frame != kNone && !w.Program.BusyLoading) QCOMPARE(scrubBar(w)->value(), frame);  // the bar follows
        QCOMPARE(scrubBar(w)->isVisible(), window != QLatin1String("picture"));  // no frames to move through
        const QTimer* const timers[] = {w.VideoTimer, w.bothTimer, w.ModelTimer};
        for (int t = 0; t < 3; ++t) QCOMPARE(timers[t]->isActive(), t == timer);
        if (target == w.DrawToolBox->txtAngle)  // the keys went to the text
            QCOMPARE(w.DrawToolBox->txtAngle->cursorPosition(), w.DrawToolBox->txtAngle->text().size() - 1);
        delete platform::HelpWindow::Existing();
    }

    void markKeysUndoRedoAndCopy() {
        frm_Main w;
        w.show();
        open(w, "swing.avi");
        w.Toolbar_Click(3);
        w.Toolbar_Click(20);
        w.Drawing->Overlay().Line1.BorderColor = 0x0000FF;
        const auto marks = [&] {
            QString on;
            for (int y : {100, 200})
                on += w.pic_video->Image().pixelColor(200, y) == QColor(Qt::red) ? u'1' : u'0';
            return on;
        };
        // Which of the first two marks show after each key or new mark: undo and redo stop at
        // either end, and a new mark ends what can be redone.
        const QString steps =
            "drag:100=10 drag:200=11 Ctrl+Z=10 Ctrl+Z=00 Ctrl+Z=00 Ctrl+Shift+Z=10 Ctrl+Shift+Z=11 "
            "Ctrl+Shift+Z=11 Ctrl+Z=10 drag:300=10 Ctrl+Shift+Z=10";
        for (const QString& step : steps.split(u' ')) {
            type(w.pic_video, step.section(u'=', 0, 0));
            QCOMPARE(marks(), step.section(u'=', 1));
        }
        QCOMPARE(w.Drawing->Overlay().DrawHistoryIndex, short(2));
        QImage copied;
        platform::SetClipboardAnswerer([&](const QImage& image) {
            copied = image;
            return true;
        });
        type(w.VideoControls->cmdPlay, "Ctrl+C");
        platform::SetClipboardAnswerer({});
        QCOMPARE(copied, w.pic_video->Image());
    }

    // Clips whose frames do not fit the budget (set small here) are decoded on demand: every
    // step and tick still comes to show its own frame, in both windows.
    void clipsBeyondTheBudgetStepAndPlay() {
        constexpr int kLong = 24;  // 24 frames of 160 x 120 need 1.4 MB
        for (int base : {0, kModelBase})
            QVERIFY(cliptools::WriteClip(clips_.filePath(base ? "longmodel.avi" : "long.avi"), {160, 120}, kLong,
                                         [base](int i) { return cliptools::NumberedFrame(base + i, 160, 120); }));
        TestDesktop::SetFrameMemoryMB(1);
        MsgBoxRecorder boxes;
        frm_Main w;
        open(w, "long.avi");
        QVERIFY(w.Video1.OnDemand());
        // Its thumbnails, read at their own size in the load's pass, show their own frames.
        for (int i = 0; i < kLong; ++i)
            QCOMPARE(cliptools::ReadFrameNumber(w.ImgVideoFrames[size_t(i)]->pixmap().toImage()), i);
        for (const QString& step : QStringLiteral("F1 B0 B23 F0").split(u' ')) {
            press(w, step[0]);
            QTRY_COMPARE(ShownFrame(w), step.mid(1).toInt());
        }
        insertModel(w, "longmodel.avi");
        QVERIFY(w.Model.OnDemand());
        for (int tick = 0; tick < kLong + 3; ++tick) {
            w.bothTimer_Timer();
            // Painted again as each frame arrives: neither window still waits for one.
            QTRY_VERIFY(w.Video1.AwaitedFrame() < 0 && w.Model.AwaitedFrame() < 0);
            QCOMPARE(ShownFrame(w), int(w.CurrentVideoFrame));
            QCOMPARE(modelShown(w), int(w.CurrentModelFrame));
        }
        QVERIFY(boxes.calls.empty());
    }
};

QTEST_MAIN(TestPlayback)
#include "tst_playback.moc"
