// The video controls window: its controls as designed, the blend caption, the signals it
// gives the main window, and its close box and menu check.

#include "ClipWriter.h"
#include "TestDesktop.h"
#include "platform/FileDialog.h"
#include "platform/PictureBox.h"
#include "platform/Twips.h"
#include "playback/frmVideoControls.h"
#include "shell/Globals.h"
#include "shell/frm_Main.h"

#include <QAction>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using platform::TwipsToPixels;

class TestVideoControls : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDesktop> desktop_;
    QTemporaryDir clips_;

    static QRect twips(int l, int t, int w, int h) { return TwipsToPixels(QRect(l, t, w, h)); }

private slots:
    void initTestCase() {
        QVERIFY(cliptools::WriteClip(clips_.filePath(QStringLiteral("swing.avi")), {160, 120}, 6,
                                     [](int i) { return cliptools::NumberedFrame(i, 160, 120); }));
    }
    void init() { desktop_ = std::make_unique<TestDesktop>(); }
    void cleanup() { desktop_.reset(); }

    void controlsAreLaidOutAsDesigned() {
        frmVideoControls f(nullptr);
        QCOMPARE(f.windowTitle(), QStringLiteral("Video Controls"));
        // Fixed: the client area as designed, neither smaller nor larger.
        QCOMPARE(f.size(), twips(0, 0, 1590, 3540).size());
        QCOMPARE(f.minimumSize(), f.maximumSize());
        QVERIFY(f.windowFlags() & Qt::Tool);

        const struct {
            QPushButton* button;
            QString tip;
            QRect place;
        } buttons[] = {
            {f.cmdPlay, QStringLiteral("Play the video"), twips(360, 120, 365, 365)},
            {f.cmdStop, QStringLiteral("Stop the video"), twips(840, 120, 365, 365)},
            {f.cmdBackFast, QStringLiteral("Skip one frame backwards"), twips(360, 480, 365, 365)},
            {f.cmdForwardFast, QStringLiteral("Skip one frame forwards"), twips(840, 480, 365, 365)},
            {f.cmdBackFull, QStringLiteral("Go to the beginning of the video"), twips(360, 840, 365, 365)},
            {f.cmdForwardFull, QStringLiteral("Go to the ending of the video"), twips(840, 840, 365, 365)},
        };
        for (const auto& b : buttons) {
            QCOMPARE(b.button->toolTip(), b.tip);
            QCOMPARE(b.button->geometry(), b.place);
            QVERIFY(b.button->text().isEmpty());
            QVERIFY(!b.button->icon().isNull());
            QCOMPARE(b.button->iconSize(), QSize(16, 16));
        }

        QCOMPARE(f.Frame3->title(), QStringLiteral("Speed"));
        QCOMPARE(f.Frame3->geometry(), twips(0, 1320, 1575, 495));
        QCOMPARE(f.hscrSpeed->parentWidget(), f.Frame3);
        QCOMPARE(f.hscrSpeed->geometry(), twips(120, 240, 1335, 135));
        QCOMPARE(f.hscrSpeed->orientation(), Qt::Horizontal);
        QCOMPARE(f.hscrSpeed->minimum(), 1);
        QCOMPARE(f.hscrSpeed->maximum(), 200);
        QCOMPARE(f.hscrSpeed->singleStep(), 1);
        QCOMPARE(f.hscrSpeed->pageStep(), 10);
        QCOMPARE(f.hscrSpeed->value(), 100);

        QVERIFY(f.frmVideos->title().isEmpty());
        QCOMPARE(f.frmVideos->geometry(), twips(0, 1800, 1575, 1125));
        const QString captions[] = {QStringLiteral("Video 1"), QStringLiteral("Both Windows"),
                                    QStringLiteral("Model")};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(f.optWindow[size_t(i)]->text(), captions[i]);
            QCOMPARE(f.optWindow[size_t(i)]->parentWidget(), f.frmVideos);
            QCOMPARE(f.optWindow[size_t(i)]->geometry(), twips(120, 240 * (i + 1), 1335, 195));
        }

        QCOMPARE(f.frmBlend->title(), QStringLiteral("Blend Model"));
        QCOMPARE(f.frmBlend->geometry(), twips(0, 3000, 1575, 495));
        QCOMPARE(f.hscrBlend->parentWidget(), f.frmBlend);
        QCOMPARE(f.hscrBlend->geometry(), twips(120, 240, 1335, 135));
        QCOMPARE(f.hscrBlend->minimum(), 0);
        QCOMPARE(f.hscrBlend->maximum(), 255);
        QCOMPARE(f.hscrBlend->singleStep(), 1);
        QCOMPARE(f.hscrBlend->pageStep(), 1);
        QCOMPARE(f.hscrBlend->value(), 128);
    }

    void tabOrderRunsButtonsOptionsBlendSpeed() {
        frmVideoControls f(nullptr);
        const QList<QWidget*> expected = {f.cmdBackFull,    f.cmdBackFast,    f.cmdPlay,      f.cmdStop,
                                          f.cmdForwardFast, f.cmdForwardFull, f.optWindow[0], f.optWindow[1],
                                          f.optWindow[2],   f.hscrBlend,      f.hscrSpeed};
        QList<QWidget*> order;
        QWidget* w = f.cmdBackFull;
        do {
            if (w->focusPolicy() & Qt::TabFocus) order << w;
            w = w->nextInFocusChain();
        } while (w != f.cmdBackFull && order.size() < 20);
        QCOMPARE(order, expected);
    }

    void loadChoosesVideoOneAndGreysTheModelWithoutOne() {
        {
            frmVideoControls f(nullptr);
            QCOMPARE(f.WindowChoice, short(0));
            QVERIFY(f.optWindow[0]->isChecked());
            QVERIFY(f.optWindow[0]->isEnabled());
            QVERIFY(!f.optWindow[1]->isEnabled());
            QVERIFY(!f.optWindow[2]->isEnabled());
            QVERIFY(!f.frmBlend->isEnabled());
            QVERIFY(!f.hscrBlend->isEnabled());
        }
        G().ModelShown = true;
        frmVideoControls f(nullptr);
        QCOMPARE(f.WindowChoice, short(0));
        for (QRadioButton* opt : f.optWindow) QVERIFY(opt->isEnabled());
        QVERIFY(f.frmBlend->isEnabled());
        QVERIFY(f.hscrBlend->isEnabled());
    }

    void buttonsSendTheirCodeWithTheWindowChoice() {
        G().ModelShown = true;
        frmVideoControls f(nullptr);
        QSignalSpy spy(&f, &frmVideoControls::ButtonClicked);
        f.cmdPlay->click();
        f.optWindow[2]->click();
        QCOMPARE(f.WindowChoice, short(2));
        f.cmdBackFull->click();
        f.cmdForwardFull->click();
        f.optWindow[1]->click();
        QCOMPARE(f.WindowChoice, short(1));
        f.cmdBackFast->click();
        f.cmdForwardFast->click();
        f.cmdStop->click();
        const QList<std::pair<short, short>> expected = {{2, 0}, {0, 2}, {1, 2}, {4, 1}, {5, 1}, {6, 1}};
        QCOMPARE(spy.size(), expected.size());
        for (int i = 0; i < spy.size(); ++i) {
            QCOMPARE(spy[i][0].value<short>(), expected[i].first);
            QCOMPARE(spy[i][1].value<short>(), expected[i].second);
        }
    }

    void blendCaptionShowsThePercentageAfterTheMainWindowRepaints() {
        G().ModelShown = true;
        frmVideoControls f(nullptr);
        QStringList captionsSeenAtRepaint;
        connect(&f, &frmVideoControls::BlendMoved, this,
                [&] { captionsSeenAtRepaint << f.frmBlend->title(); });
        const std::pair<int, QString> cases[] = {
            {0, QStringLiteral("Blend: %")},     {1, QStringLiteral("Blend: %")},
            {2, QStringLiteral("Blend: 1%")},    {128, QStringLiteral("Blend: 50%")},
            {191, QStringLiteral("Blend: 75%")}, {255, QStringLiteral("Blend: 100%")},
        };
        for (const auto& [value, caption] : cases) {
            f.hscrBlend->setValue(value);
            QCOMPARE(f.frmBlend->title(), caption);
        }
        // The repaint comes first, so it still sees the caption of the value before.
        QCOMPARE(captionsSeenAtRepaint.size(), 6);
        QCOMPARE(captionsSeenAtRepaint.first(), QStringLiteral("Blend Model"));
        QCOMPARE(captionsSeenAtRepaint.last(), QStringLiteral("Blend: 75%"));
        // A user's step moves it too.
        f.hscrBlend->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(f.hscrBlend->value(), 254);
        QCOMPARE(f.frmBlend->title(), QStringLiteral("Blend: 100%"));  // 99.6 rounds up
    }

    void closeBoxHidesUnchecksAndKeepsTheSettings() {
        frm_Main w;
        w.show();
        frmVideoControls* f = w.VideoControls;
        G().ToolPos.videoControls = QPoint(1500, 3000);
        w.mnuTools_Click(9);
        QVERIFY(f->isVisible());
        QVERIFY(w.mnuTools[9]->isChecked());
        QCOMPARE(f->pos(), QPoint(100, 200));
        f->hscrSpeed->setValue(42);
        f->hscrBlend->setValue(0);
        f->optWindow[0]->setChecked(false);
        G().ModelShown = true;
        f->optWindow[2]->setEnabled(true);
        f->optWindow[2]->click();
        f->move(60, 90);

        QVERIFY(!f->close());  // refused: the window stays loaded
        QVERIFY(!f->isVisible());
        QVERIFY(!w.mnuTools[9]->isChecked());
        QCOMPARE(G().ToolPos.videoControls, QPoint(900, 1350));
        QCOMPARE(w.VideoControls, f);

        w.mnuTools_Click(9);
        QVERIFY(f->isVisible());
        QVERIFY(w.mnuTools[9]->isChecked());
        QCOMPARE(f->pos(), QPoint(60, 90));
        QCOMPARE(f->hscrSpeed->value(), 42);
        QCOMPARE(f->hscrBlend->value(), 0);
        QCOMPARE(f->frmBlend->title(), QStringLiteral("Blend: %"));
        QCOMPARE(f->WindowChoice, short(2));
        QVERIFY(f->optWindow[2]->isChecked());
    }

    void activationChecksTheMenuItem() {
        frm_Main w;
        QVERIFY(!w.mnuTools[9]->isChecked());
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(w.VideoControls, &activate);
        QVERIFY(w.mnuTools[9]->isChecked());
        // Other events leave the check alone.
        w.mnuTools[9]->setChecked(false);
        QEvent deactivate(QEvent::WindowDeactivate);
        QApplication::sendEvent(w.VideoControls, &deactivate);
        QVERIFY(!w.mnuTools[9]->isChecked());
    }

    void movingTheBlendRepaintsTheCurrentFrame() {
        frm_Main w;
        QVERIFY(w.fOpenAvi(clips_.filePath(QStringLiteral("swing.avi"))));
        w.PasteAvi(0);
        QCOMPARE(cliptools::ReadFrameNumber(w.pic_video->Image()), 0);
        w.CurrentVideoFrame = 4;  // not painted yet
        w.VideoControls->hscrBlend->setEnabled(true);
        w.VideoControls->hscrBlend->setValue(200);
        QCOMPARE(cliptools::ReadFrameNumber(w.pic_video->Image()), 4);
    }
};

QTEST_MAIN(TestVideoControls)
#include "tst_videocontrols.moc"
