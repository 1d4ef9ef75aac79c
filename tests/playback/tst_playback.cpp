// Stepping and playing through the video controls' buttons and the playback timers, with a
// 10-frame clip whose frame numbers are read back from the pictures painted. Timer ticks are
// driven by calling the tick handlers; the timers' own state is checked, never waited for.

#include "ClipWriter.h"
#include "MsgBoxRecorder.h"
#include "TestDesktop.h"
#include "compare/frmImageTool.h"
#include "compare/frmModelTool.h"
#include "overlay/CanvasDrawing.h"
#include "overlay/frmDrawToolBox.h"
#include "platform/Clipboard.h"
#include "platform/FileDialog.h"
#include "platform/FileListBoxes.h"
#include "platform/HelpWindow.h"
#include "platform/ImageBox.h"
#include "platform/PictureBox.h"
#include "platform/RegistryStore.h"
#include "playback/frmVideoControls.h"
#include "shell/Globals.h"
#include "shell/MainToolbar.h"
#include "shell/frm_Main.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTextBrowser>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <array>

using namespace platform;

namespace {
constexpr int kModelBase = 50;  // model frames carry 50 + their frame number
}

class TestPlayback : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDesktop> desktop_;
    QTemporaryDir clips_;
    FileDialogResult answer_;

    QString clip(const char* name) const { return clips_.filePath(QLatin1String(name)); }

    // The file dialog of the next command chooses `name`.
    void pick(const char* name) {
        answer_ = {};
        answer_.accepted = true;
        answer_.path = clip(name);
    }
    void open(frm_Main& w, const char* name) {
        pick(name);
        w.Toolbar_Click(1);
    }
    void insertModel(frm_Main& w) {
        pick("model.avi");
        w.Toolbar_Click(7);
        QVERIFY(G().ModelShown);
        // The canvas then shows video 1 alone, so its frame can be read from it.
        w.VideoControls->hscrBlend->setValue(0);
    }
    static int shown(frm_Main& w) { return cliptools::ReadFrameNumber(w.pic_video->Image()); }
    // The model frame last painted, from the holder every model paint goes through.
    static int modelShown(frm_Main& w) {
        return cliptools::ReadFrameNumber(w.Compositor.ModelHolder().copy(w.Model.SourceRect())) - kModelBase;
    }
    static void choose(frm_Main& w, int option) {
        w.VideoControls->optWindow[size_t(option)]->setEnabled(true);
        w.VideoControls->optWindow[size_t(option)]->click();
        QCOMPARE(w.VideoControls->WindowChoice, short(option));
    }
    static bool anyTimerActive(const frm_Main& w) {
        return w.VideoTimer->isActive() || w.ModelTimer->isActive() || w.bothTimer->isActive();
    }
    static std::array<bool, 3> options(const frm_Main& w) {
        return {w.VideoControls->optWindow[0]->isEnabled(), w.VideoControls->optWindow[1]->isEnabled(),
                w.VideoControls->optWindow[2]->isEnabled()};
    }
    // Counts paints of the canvas: every paint ends by redrawing the marks.
    static void countPaints(frm_Main& w, int& paints) {
        auto marks = w.DrawingUpdate;
        w.DrawingUpdate = [marks, &paints] {
            ++paints;
            if (marks) marks();
        };
    }
    static bool highlightOn(const frm_Main& w, int index) {
        return w.shapeVideoFrame->pos() == w.ImgVideoFrames[size_t(index)]->pos();
    }
    // Keys as a user types them into `target`, whose window is made the active one first;
    // "End Ctrl+Z" is End, then Ctrl+Z.
    static void type(QWidget* target, const QString& keys) {
        target->window()->show();
        target->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(target->window()));
        target->setFocus();
        for (const QString& key : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QKeyCombination k = QKeySequence(key)[0];
            QTest::keyClick(target, k.key(), k.keyboardModifiers());
        }
    }
    static QSlider* scrubBar(frm_Main& w) { return w.findChild<QSlider*>(QStringLiteral("sldScrub")); }
    static void wheel(frm_Main& w, QPoint turn, Qt::KeyboardModifiers modifiers = {}) {
        const QPointF at(50, 50);
        QWheelEvent e(at, w.pic_video->mapToGlobal(at), QPoint(), turn, Qt::NoButton, modifiers, Qt::NoScrollPhase,
                      false);
        QApplication::sendEvent(w.pic_video, &e);
    }

private slots:
    void initTestCase() {
        const cliptools::ClipSpec clipFormat{160, 120};
        QVERIFY(cliptools::WriteClip(clip("swing.avi"), clipFormat, 10,
                                     [](int i) { return cliptools::NumberedFrame(i, 160, 120); }));
        QVERIFY(cliptools::WriteClip(clip("model.avi"), clipFormat, 10, [](int i) {
            return cliptools::NumberedFrame(kModelBase + i, 160, 120);
        }));
        QVERIFY(cliptools::NumberedFrame(7, 100, 80).save(clip("pose.jpg")));
        SetFileDialogAnswerer([this](const FileDialogRequest&) { return answer_; });
    }
    void cleanupTestCase() { SetFileDialogAnswerer({}); }
    void init() { desktop_ = std::make_unique<TestDesktop>(); }
    void cleanup() { desktop_.reset(); }

    void videoOneStepsWrapAroundBothEnds() {
        MsgBoxRecorder boxes;
        frm_Main w;
        open(w, "swing.avi");
        frmVideoControls* c = w.VideoControls;
        c->cmdBackFast->click();  // back from the first frame: the last
        QCOMPARE(shown(w), 9);
        QCOMPARE(w.CurrentVideoFrame, short(9));
        QVERIFY(highlightOn(w, 9));
        c->cmdForwardFast->click();  // forward from the last: the first
        QCOMPARE(shown(w), 0);
        QVERIFY(highlightOn(w, 0));
        c->cmdForwardFast->click();
        c->cmdForwardFast->click();
        QCOMPARE(shown(w), 2);
        c->cmdBackFast->click();
        QCOMPARE(shown(w), 1);
        c->cmdForwardFull->click();
        QCOMPARE(shown(w), 9);
        QCOMPARE(w.CurrentVideoFrame, short(9));
        c->cmdBackFull->click();
        QCOMPARE(shown(w), 0);
        QCOMPARE(w.CurrentVideoFrame, short(0));
        QVERIFY(highlightOn(w, 0));
        QVERIFY(!anyTimerActive(w));
        QVERIFY(boxes.calls.empty());
    }

    void videoTimerPlaysAtTheSliderSpeedAndStopShowsARealFrame() {
        frm_Main w;
        open(w, "swing.avi");
        QVERIFY(!anyTimerActive(w));
        QVERIFY(G().Stopped);
        frmVideoControls* c = w.VideoControls;
        QCOMPARE(options(w), (std::array<bool, 3>{true, false, false}));
        c->hscrSpeed->setValue(40);
        c->cmdPlay->click();
        QVERIFY(w.VideoTimer->isActive());
        QCOMPARE(w.VideoTimer->interval(), 40);
        QVERIFY(!w.ModelTimer->isActive() && !w.bothTimer->isActive());
        QVERIFY(!G().Stopped);
        QCOMPARE(options(w), (std::array<bool, 3>{false, false, false}));

        // Frames 0 .. 9, then 0 again; the slider's value is taken at every tick.
        for (int frame = 0; frame < 12; ++frame) {
            if (frame == 5) c->hscrSpeed->setValue(7);
            w.VideoTimer_Timer();
            QCOMPARE(shown(w), frame % 10);
            QCOMPARE(w.VideoTimer->interval(), frame < 5 ? 40 : 7);
        }
        QVERIFY(w.VideoTimer->isActive());
        // Stopped after frame 1 is drawn: the counter names the next frame, and that is shown.
        c->cmdStop->click();
        QVERIFY(!w.VideoTimer->isActive());
        QVERIFY(G().Stopped);
        QCOMPARE(shown(w), 2);
        QCOMPARE(w.CurrentVideoFrame, short(2));
        QVERIFY(highlightOn(w, 2));
        QCOMPARE(options(w), (std::array<bool, 3>{true, false, false}));

        // Right after the last frame the counter names the first, where the next tick goes,
        // never a frame past the end; Stop shows it.
        c->cmdPlay->click();
        QCOMPARE(w.VideoTimer->interval(), 7);
        while (shown(w) != 9) w.VideoTimer_Timer();
        QCOMPARE(w.CurrentVideoFrame, short(0));
        c->cmdStop->click();
        QCOMPARE(w.CurrentVideoFrame, short(0));
        QCOMPARE(shown(w), 0);
        QVERIFY(highlightOn(w, 0));
        c->cmdForwardFast->click();
        QCOMPARE(shown(w), 1);
    }

    // Frames the store does not hold (past the end while playing, a picture's frame 1) show
    // the last frame painted as it was: its effects are never applied twice.
    void aMissingFrameNeverGetsItsEffectsTwice() {
        frm_Main w;
        open(w, "swing.avi");
        w.ImageTool->VScrBright->setValue(40);
        w.ImageTool->chkFlag[1]->setChecked(true);  // inverted twice would be plain again
        const auto paintedAlikeAgain = [&w] {
            const QImage before = w.pic_video->Image();
            w.PasteAvi(w.CurrentVideoFrame);
            return w.pic_video->Image() == before;
        };
        frmVideoControls* c = w.VideoControls;
        c->cmdPlay->click();
        for (int tick = 0; tick < 10; ++tick) w.VideoTimer_Timer();  // frames 0 .. 9
        c->cmdForwardFast->click();
        QVERIFY(w.CurrentVideoFrame >= 0 && w.CurrentVideoFrame <= 9);
        QVERIFY(paintedAlikeAgain());
        w.PasteAvi(4);
        const QImage four = w.pic_video->Image();
        for (short missing : {10, -1, 1000}) {
            w.PasteAvi(missing);
            QCOMPARE(w.pic_video->Image(), four);
        }
        c->cmdStop->click();

        open(w, "pose.jpg");
        insertModel(w);
        w.ModelTool->HscrBrightness->setValue(40);
        w.PasteModel(3);
        const QImage model = w.Compositor.ModelSurface();
        w.PasteModel(99);
        QCOMPARE(w.Compositor.ModelSurface(), model);
        choose(w, 1);
        c->cmdPlay->click();
        const QImage picture = w.pic_video->Image().copy(0, 0, 100, 80);
        for (int tick = 0; tick < 3; ++tick) {
            w.bothTimer_Timer();
            QCOMPARE(w.CurrentVideoFrame, short(0));
            QCOMPARE(w.pic_video->Image().copy(0, 0, 100, 80), picture);
        }
    }

    void onlyOnePlaybackTimerEverRuns() {
        frm_Main w;
        open(w, "swing.avi");
        frmVideoControls* c = w.VideoControls;
        c->cmdPlay->click();
        // A model inserted while video 1 plays leaves the window choice locked.
        insertModel(w);
        QVERIFY(w.VideoTimer->isActive());
        QCOMPARE(options(w), (std::array<bool, 3>{false, false, false}));
        // Play for another window takes over from the running timer; one Stop ends playback.
        w.VideoControl_Click(2, 1);
        QVERIFY(w.bothTimer->isActive() && !w.VideoTimer->isActive() && !w.ModelTimer->isActive());
        w.VideoControl_Click(6, 1);
        QVERIFY(!anyTimerActive(w));
        QCOMPARE(options(w), (std::array<bool, 3>{true, true, true}));
    }

    void closingTheModelGivesTheButtonsBackToVideoOne() {
        frm_Main w;
        open(w, "swing.avi");
        frmVideoControls* c = w.VideoControls;
        for (int choice : {1, 2}) {
            insertModel(w);
            choose(w, choice);
            c->cmdPlay->click();
            w.Toolbar_Click(7);
            QVERIFY(!G().ModelShown);
            QVERIFY(!anyTimerActive(w));
            QVERIFY(G().Stopped);
            QCOMPARE(c->WindowChoice, short(0));
            QVERIFY(c->optWindow[0]->isChecked());
            QCOMPARE(options(w), (std::array<bool, 3>{true, false, false}));
            const short before = w.CurrentVideoFrame;
            c->cmdForwardFast->click();
            QCOMPARE(w.CurrentVideoFrame, short(before + 1));
            QCOMPARE(shown(w), before + 1);
        }
    }

    // The frame keys reach the video controls from every window of the program, but not from
    // a text box, which keeps the keys it edits with.
    void frameKeysWorkInEveryWindowButATextBox_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("frame");
        QTest::newRow("main window: Right twice") << "main" << "Right Right" << 2;
        QTest::newRow("main window: Left wraps to the last") << "main" << "Left" << 9;
        QTest::newRow("main window: End, Left") << "main" << "End Left" << 8;
        QTest::newRow("main window: End, Home") << "main" << "End Home" << 0;
        QTest::newRow("video controls: Right") << "controls" << "Right" << 1;
        QTest::newRow("file list: End") << "file list" << "End" << 9;
        QTest::newRow("help window: End") << "help" << "End" << 9;
        QTest::newRow("text box: End moves the cursor") << "text box" << "End Left" << 0;
        QTest::newRow("during a load: ignored") << "loading" << "End Right" << 0;
    }
    void frameKeysWorkInEveryWindowButATextBox() {
        QFETCH(QString, window);
        QFETCH(QString, keys);
        QFETCH(int, frame);
        frm_Main w;
        w.show();
        open(w, "swing.avi");
        QWidget* target = w.pic_video;
        if (window == QLatin1String("controls")) target = w.VideoControls->cmdPlay;
        if (window == QLatin1String("file list")) target = w.File1;
        if (window == QLatin1String("help")) target = platform::HelpWindow::Instance()->Browser();
        if (window == QLatin1String("text box")) {
            w.Toolbar_Click(3);  // the drawing tool box with its readout
            w.DrawToolBox->txtAngle->show();
            target = w.DrawToolBox->txtAngle;
        }
        G().BusyLoading = window == QLatin1String("loading");
        type(target, keys);
        G().BusyLoading = false;
        QCOMPARE(shown(w), frame);
        QCOMPARE(w.CurrentVideoFrame, short(frame));
        QVERIFY(!anyTimerActive(w));
        if (target == w.DrawToolBox->txtAngle)  // the keys went to the text
            QCOMPARE(w.DrawToolBox->txtAngle->cursorPosition(), w.DrawToolBox->txtAngle->text().size() - 1);
        delete platform::HelpWindow::Existing();
    }

    void spacePlaysAndStopsWhatTheWindowChoiceNames() {
        frm_Main w;
        w.show();
        open(w, "swing.avi");
        // Nothing loaded in the window choice: Space plays nothing.
        frmVideoControls* c = w.VideoControls;
        type(w.pic_video, "Space");
        QVERIFY(w.VideoTimer->isActive());
        w.VideoTimer_Timer();
        w.VideoTimer_Timer();
        type(c->cmdStop, "Space");  // from the video controls, whatever button has the focus
        QVERIFY(!anyTimerActive(w));
        QCOMPARE(shown(w), 2);
        insertModel(w);
        choose(w, 2);
        type(w.pic_video, "Space");
        QVERIFY(w.ModelTimer->isActive() && !w.VideoTimer->isActive());
        type(w.pic_video, "Space");
        QVERIFY(!anyTimerActive(w));
        // A still picture has no frames to play: the key is not taken from the focused widget.
        choose(w, 0);
        open(w, "pose.jpg");
        type(w.File1, "Space");
        QVERIFY(!anyTimerActive(w));
    }

    void markKeysUndoRedoAndCopy() {
        frm_Main w;
        w.show();
        open(w, "swing.avi");
        w.Toolbar_Click(3);
        w.Toolbar_Click(20);
        w.Drawing->Overlay().Line1.BorderColor = 0x0000FF;
        const auto drag = [&](int y) {
            QTest::mousePress(w.pic_video, Qt::LeftButton, {}, QPoint(100, y));
            QTest::mouseMove(w.pic_video, QPoint(300, y));
            QTest::mouseRelease(w.pic_video, Qt::LeftButton, {}, QPoint(300, y));
        };
        const auto marks = [&] {
            QList<bool> on;
            for (int y : {100, 200}) on << (w.pic_video->Image().pixelColor(200, y) == QColor(Qt::red));
            return on;
        };
        drag(100);
        drag(200);
        QCOMPARE(marks(), (QList<bool>{true, true}));
        const std::pair<const char*, QList<bool>> steps[] = {
            {"Ctrl+Z", {true, false}},       {"Ctrl+Z", {false, false}}, {"Ctrl+Z", {false, false}},
            {"Ctrl+Shift+Z", {true, false}}, {"Ctrl+Shift+Z", {true, true}}, {"Ctrl+Shift+Z", {true, true}},
            {"Ctrl+Z", {true, false}},
        };
        for (const auto& [key, expected] : steps) {
            type(w.pic_video, QLatin1String(key));
            QCOMPARE(marks(), expected);
        }
        // A new mark ends what can be redone.
        drag(300);
        type(w.pic_video, "Ctrl+Shift+Z");
        QCOMPARE(marks(), (QList<bool>{true, false}));
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

    // The scrub bar under the picture shows the frame on the canvas and goes to any frame;
    // the thumbnail strip follows it, except while the clip plays.
    void scrubBarGoesToAnyFrameAndTheStripFollows() {
        frm_Main w;
        w.show();
        QSlider* bar = scrubBar(w);
        QVERIFY(bar && bar->isHidden());
        open(w, "swing.avi");
        QVERIFY(bar->isVisible());
        QCOMPARE((std::pair{bar->minimum(), bar->maximum()}), (std::pair{0, 9}));
        // Five thumbnails a row: frame 7 is in the second row.
        for (const auto& [frame, row] : {std::pair{7, 1}, std::pair{3, 0}, std::pair{9, 1}}) {
            bar->setValue(frame);
            QCOMPARE(shown(w), frame);
            QVERIFY(highlightOn(w, frame));
            QCOMPARE(w.HScrVideoFrames->value(), row);
        }
        w.VideoControls->cmdForwardFast->click();  // the bar follows the buttons
        QCOMPARE(bar->value(), 0);
        QCOMPARE(w.HScrVideoFrames->value(), 0);
        w.VideoControls->cmdPlay->click();
        for (int tick = 0; tick < 7; ++tick) w.VideoTimer_Timer();
        QCOMPARE(bar->value(), 6);
        QCOMPARE(w.HScrVideoFrames->value(), 0);  // not while playing
        w.VideoControls->cmdStop->click();
        QCOMPARE(w.HScrVideoFrames->value(), 1);
        // Ignored during a load.
        G().BusyLoading = true;
        bar->setValue(2);
        G().BusyLoading = false;
        QCOMPARE(shown(w), 7);
        // A still picture has no frames to move through.
        open(w, "pose.jpg");
        QVERIFY(bar->isHidden());
        open(w, "swing.avi");
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->value(), 0);
    }

    void wheelOverThePictureStepsFrames_data() {
        QTest::addColumn<QList<QPoint>>("turns");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("frame");
        QTest::newRow("a notch down: one on") << QList<QPoint>{{0, -120}} << 0 << 1;
        QTest::newRow("two notches at once") << QList<QPoint>{{0, -240}} << 0 << 2;
        QTest::newRow("a notch up: one back, wrapping") << QList<QPoint>{{0, 120}} << 0 << 9;
        QTest::newRow("half notches add up") << QList<QPoint>{{0, -60}, {0, -50}, {0, -10}} << 0 << 1;
        QTest::newRow("half a notch: nothing yet") << QList<QPoint>{{0, -60}} << 0 << 0;
        QTest::newRow("sideways") << QList<QPoint>{{-120, 0}} << 0 << 1;
        QTest::newRow("Ctrl+wheel is not stepping") << QList<QPoint>{{0, -120}} << int(Qt::ControlModifier) << 0;
    }
    void wheelOverThePictureStepsFrames() {
        QFETCH(QList<QPoint>, turns);
        QFETCH(int, modifiers);
        QFETCH(int, frame);
        frm_Main w;
        w.show();
        open(w, "swing.avi");
        for (QPoint turn : turns) wheel(w, turn, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(shown(w), frame);
        QCOMPARE(scrubBar(w)->value(), frame);
    }

    void bothWindowsStepAndPlayTogether() {
        frm_Main w;
        open(w, "swing.avi");
        insertModel(w);
        QCOMPARE(w.CurrentModelFrame, short(1));
        frmVideoControls* c = w.VideoControls;
        choose(w, 1);

        c->cmdForwardFast->click();
        QCOMPARE(shown(w), 1);
        QCOMPARE(modelShown(w), 2);
        c->cmdBackFast->click();
        c->cmdBackFast->click();  // video 1 wraps from its first frame to its last
        QCOMPARE(shown(w), 9);
        QCOMPARE(modelShown(w), 0);
        c->cmdBackFast->click();  // and now the model does
        QCOMPARE(shown(w), 8);
        QCOMPARE(modelShown(w), 9);
        QCOMPARE(w.CurrentModelFrame, short(9));
        c->cmdForwardFast->click();
        QCOMPARE(shown(w), 9);
        QCOMPARE(modelShown(w), 0);

        c->cmdBackFull->click();
        QCOMPARE(shown(w), 0);
        QCOMPARE(modelShown(w), 0);
        QCOMPARE(w.CurrentVideoFrame, short(0));
        QCOMPARE(w.CurrentModelFrame, short(0));
        c->cmdForwardFull->click();
        QCOMPARE(shown(w), 9);
        QCOMPARE(modelShown(w), 9);
        QCOMPARE(w.CurrentModelFrame, short(9));

        // Playing from the last frames: both go on with their first ones.
        c->hscrSpeed->setValue(25);
        c->cmdPlay->click();
        QVERIFY(w.bothTimer->isActive());
        QCOMPARE(w.bothTimer->interval(), 25);
        QVERIFY(!w.VideoTimer->isActive() && !w.ModelTimer->isActive());
        QCOMPARE(options(w), (std::array<bool, 3>{false, false, false}));
        for (int step = 0; step < 3; ++step) {
            if (step == 2) c->hscrSpeed->setValue(60);
            w.bothTimer_Timer();
            QCOMPARE(shown(w), step);
            QCOMPARE(modelShown(w), step);
            QCOMPARE(w.bothTimer->interval(), step == 2 ? 60 : 25);
        }
        c->cmdStop->click();
        QVERIFY(!anyTimerActive(w));
        QCOMPARE(shown(w), 2);
        QCOMPARE(modelShown(w), 2);
        QCOMPARE(options(w), (std::array<bool, 3>{true, true, true}));
    }

    void modelPlaybackWrapsToTheModelsFirstFrame() {
        frm_Main w;
        open(w, "swing.avi");
        insertModel(w);
        frmVideoControls* c = w.VideoControls;
        choose(w, 2);
        c->cmdPlay->click();
        QVERIFY(w.ModelTimer->isActive());
        QCOMPARE(w.ModelTimer->interval(), 100);
        QVERIFY(!w.VideoTimer->isActive() && !w.bothTimer->isActive());
        // From frame 1 of a model inserted just before: 2 .. 9, then 0, 1, 2.
        const int expected[] = {2, 3, 4, 5, 6, 7, 8, 9, 0, 1, 2};
        for (int frame : expected) {
            w.ModelTimer_Timer();
            QCOMPARE(modelShown(w), frame);
            QCOMPARE(shown(w), 0);  // video 1 stays where it was
        }
        c->hscrSpeed->setValue(3);
        w.ModelTimer_Timer();
        QCOMPARE(w.ModelTimer->interval(), 3);
        c->cmdStop->click();
        QVERIFY(!anyTimerActive(w));
        QCOMPARE(modelShown(w), 3);

        // Stepping the model alone wraps too, and leaves video 1 alone.
        c->cmdForwardFull->click();
        QCOMPARE(modelShown(w), 9);
        c->cmdForwardFast->click();
        QCOMPARE(modelShown(w), 0);
        c->cmdBackFast->click();
        QCOMPARE(modelShown(w), 9);
        c->cmdBackFull->click();
        QCOMPARE(modelShown(w), 0);
        QCOMPARE(w.CurrentVideoFrame, short(0));

        // The view decides the paint: the blend view paints the model surface and video 1
        // (twice: PasteModel repaints it too); the split view only the model's half.
        int paints = 0;
        countPaints(w, paints);
        w.ModelTimer_Timer();
        QCOMPARE(paints, 2);
        w.Toolbar1->SetValue(11, true);
        w.Toolbar_Click(11);
        paints = 0;
        w.ModelTimer_Timer();
        QCOMPARE(paints, 1);
        QCOMPARE(w.CurrentModelFrame, short(2));
        const QRect left(0, 0, w.Model.CanvasRect().left(), w.pic_video->Image().height());
        const QImage videoHalf = w.pic_video->Image().copy(left);
        w.bothTimer_Timer();
        QCOMPARE(paints, 3);
        QVERIFY(w.pic_video->Image().copy(left) != videoHalf);  // video 1 moved on too
    }

    void modelButtonsDoNothingWhileLoading() {
        frm_Main w;
        open(w, "swing.avi");
        insertModel(w);
        frmVideoControls* c = w.VideoControls;
        choose(w, 2);
        int paints = 0;
        countPaints(w, paints);
        // A state the closing steps would change, to see that they do not run.
        for (QRadioButton* opt : c->optWindow) opt->setEnabled(false);
        G().BusyLoading = true;
        for (QPushButton* b :
             {c->cmdPlay, c->cmdForwardFast, c->cmdBackFast, c->cmdForwardFull, c->cmdBackFull, c->cmdStop})
            b->click();
        QCOMPARE(paints, 0);
        QCOMPARE(w.CurrentModelFrame, short(1));
        QVERIFY(!anyTimerActive(w));
        QVERIFY(G().Stopped);
        QCOMPARE(options(w), (std::array<bool, 3>{false, false, false}));
        // Aimed at both windows, the same buttons run.
        w.VideoControl_Click(5, 1);
        QCOMPARE(w.CurrentVideoFrame, short(1));
        QCOMPARE(w.CurrentModelFrame, short(2));
        QCOMPARE(options(w), (std::array<bool, 3>{true, true, true}));
        G().BusyLoading = false;
    }

    void codeThreeAndUnknownChoicesOnlyUpdateTheOptions() {
        frm_Main w;
        open(w, "swing.avi");
        w.CurrentVideoFrame = 4;
        int paints = 0;
        countPaints(w, paints);
        w.VideoControls->optWindow[0]->setEnabled(false);
        w.VideoControl_Click(3, 0);
        QCOMPARE(paints, 0);
        QCOMPARE(w.CurrentVideoFrame, short(4));
        QVERIFY(w.VideoControls->optWindow[0]->isEnabled());
        // Outside the codes and the choices: no frame work, no timer, still stopped.
        for (const auto& [button, video] :
             {std::pair<short, short>{7, 0}, {-1, 1}, {2, 3}, {5, -1}, {2, 5}}) {
            w.VideoControl_Click(button, video);
            QCOMPARE(paints, 0);
            QCOMPARE(w.CurrentVideoFrame, short(4));
            QVERIFY(!anyTimerActive(w));
            QVERIFY(G().Stopped);
        }
    }

    void pictureInVideoOneIsNeverRedrawnByPlayback() {
        frm_Main w;
        open(w, "pose.jpg");
        QCOMPARE(w.ClipKind, 1);
        QCOMPARE(cliptools::ReadFrameNumber(w.pic_video->Image().copy(0, 0, 100, 80)), 7);
        frmVideoControls* c = w.VideoControls;
        int paints = 0;
        countPaints(w, paints);
        c->cmdPlay->click();
        QVERIFY(w.VideoTimer->isActive());
        for (int i = 0; i < 3; ++i) w.VideoTimer_Timer();
        for (QPushButton* b : {c->cmdForwardFast, c->cmdBackFast, c->cmdForwardFull, c->cmdBackFull})
            b->click();
        c->cmdStop->click();
        QCOMPARE(paints, 0);
        QVERIFY(!w.VideoTimer->isActive());
        QCOMPARE(w.CurrentVideoFrame, short(0));
    }

    void nothingLoadedFailsQuietly() {
        MsgBoxRecorder boxes;
        frm_Main w;
        for (short video = 0; video <= 2; ++video) {
            for (short button : {0, 1, 4, 5, 2, 6}) w.VideoControl_Click(button, video);
            QVERIFY(!anyTimerActive(w));
        }
        w.VideoTimer_Timer();
        w.ModelTimer_Timer();
        w.bothTimer_Timer();
        QVERIFY(boxes.calls.empty());
        QVERIFY(!anyTimerActive(w));
    }

    void countersNearTheSixteenBitLimitStopCounting() {
        frm_Main w;
        open(w, "swing.avi");
        insertModel(w);
        // A counter that would overflow keeps its value; the steps after it still run.
        w.CurrentVideoFrame = 32767;
        w.CurrentModelFrame = 32767;
        w.VideoControl_Click(5, 1);
        QCOMPARE(w.CurrentVideoFrame, short(0));  // the wrap check still ran
        QCOMPARE(w.CurrentModelFrame, short(0));
        QCOMPARE(shown(w), 0);
        // A model counter beyond the end wraps at the next tick instead of running on.
        w.CurrentModelFrame = 30000;
        w.ModelTimer_Timer();
        QCOMPARE(w.CurrentModelFrame, short(0));
        QCOMPARE(modelShown(w), 0);
    }

    // Clips whose frames do not fit the budget (set small here) are decoded on demand: every step
    // and every tick still comes to show its own frame, in both windows, blended or split.
    void clipsBeyondTheBudgetStepAndPlay_data() {
        QTest::addColumn<bool>("split");
        QTest::newRow("blend") << false;
        QTest::newRow("split") << true;
    }
    void clipsBeyondTheBudgetStepAndPlay() {
        QFETCH(bool, split);
        constexpr int kLong = 24;  // 24 frames of 160 x 120 need 1.4 MB
        const cliptools::ClipSpec clipFormat{160, 120};
        for (int base : {0, kModelBase})
            if (!QFile::exists(clip(base ? "longmodel.avi" : "long.avi")))
                QVERIFY(cliptools::WriteClip(clip(base ? "longmodel.avi" : "long.avi"), clipFormat, kLong,
                                             [base](int i) { return cliptools::NumberedFrame(base + i, 160, 120); }));
        QByteArray mb(4, 0);
        qToLittleEndian<quint32>(1, mb.data());
        RegistryStore::Instance().SetValues(HKEY_CURRENT_USER, QStringLiteral("Software\\varkelo\\video"),
                                            {{QStringLiteral("FrameMemoryMB"), {REG_DWORD, mb}}});
        MsgBoxRecorder boxes;
        frm_Main w;
        open(w, "long.avi");
        QVERIFY(w.Video1.OnDemand());
        QTRY_COMPARE(shown(w), 0);
        frmVideoControls* c = w.VideoControls;
        for (int expected : {1, 2, 3, 2, 1, 0, kLong - 1, kLong - 2, kLong - 1, 0}) {
            const int from = w.CurrentVideoFrame;
            (expected == (from + 1) % kLong ? c->cmdForwardFast : c->cmdBackFast)->click();
            QTRY_COMPARE(shown(w), expected);
        }
        c->cmdPlay->click();
        for (int tick = 0; tick < kLong + 3; ++tick) {
            w.VideoTimer_Timer();
            QTRY_COMPARE(shown(w), tick % kLong);
        }
        c->cmdStop->click();

        pick("longmodel.avi");
        w.Toolbar_Click(7);
        QVERIFY(G().ModelShown && w.Model.OnDemand());
        w.VideoControls->hscrBlend->setValue(0);
        if (split) {
            w.Toolbar1->SetValue(11, true);
            w.Toolbar_Click(11);
        }
        for (int tick = 0; tick < kLong + 3; ++tick) {
            w.bothTimer_Timer();
            // Painted again as each frame arrives: neither window still waits for one.
            QTRY_VERIFY(w.Video1.AwaitedFrame() < 0 && w.Model.AwaitedFrame() < 0);
            if (!split) {
                QCOMPARE(shown(w), int(w.CurrentVideoFrame));
                QCOMPARE(modelShown(w), int(w.CurrentModelFrame));
            }
        }
        QVERIFY(boxes.calls.empty());
    }
};

QTEST_MAIN(TestPlayback)
#include "tst_playback.moc"
