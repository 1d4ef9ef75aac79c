// The video controls window: its controls, the blend caption, the signals it gives the main
// window, and its close box and menu check.

#include "ClipWriter.h"
#include "TestDesktop.h"
#include "platform/PictureBox.h"
#include "playback/frmVideoControls.h"
#include "shell/Globals.h"
#include "shell/frm_Main.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

class TestVideoControls : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDesktop> desktop_;

private slots:
    void init() { desktop_ = std::make_unique<TestDesktop>(); }
    void cleanup() { desktop_.reset(); }

    // Without a model only "Video 1" is usable, and it is chosen.
    void windowChoiceFollowsTheModel() {
        for (bool model : {false, true}) {
            G().ModelShown = model;
            frmVideoControls f(nullptr);
            QCOMPARE(f.WindowChoice, short(0));
            QVERIFY(f.optWindow[0]->isChecked() && f.optWindow[0]->isEnabled());
            for (QWidget* w : {(QWidget*)f.optWindow[1], (QWidget*)f.optWindow[2], (QWidget*)f.hscrBlend})
                QCOMPARE(w->isEnabled(), model);
        }
    }

    void speedInRealTermsAndTheRateButtons_data() {
        QTest::addColumn<double>("clipRate");
        QTest::addColumn<int>("button");  // index into cmdRate: own rate, half, quarter
        QTest::addColumn<int>("interval");
        QTest::addColumn<QString>("caption");
        QTest::newRow("25 fps") << 25.0 << 0 << 40 << "40 ms = 25 fps";
        QTest::newRow("25 fps, half") << 25.0 << 1 << 80 << "80 ms = 12.5 fps";
        QTest::newRow("25 fps, quarter") << 25.0 << 2 << 160 << "160 ms = 6.3 fps";
        QTest::newRow("NTSC") << 29.97 << 0 << 33 << "33 ms = 30.3 fps";
        QTest::newRow("slow motion 240 fps") << 240.0 << 0 << 4 << "4 ms = 250 fps";
        QTest::newRow("1000 fps: the fastest") << 1000.0 << 1 << 2 << "2 ms = 500 fps";
        QTest::newRow("15 fps, quarter: the slowest") << 15.0 << 2 << 200 << "200 ms = 5 fps";
        QTest::newRow("rate unknown: unchanged") << 0.0 << 0 << 100 << "100 ms = 10 fps";
    }
    void speedInRealTermsAndTheRateButtons() {
        QFETCH(double, clipRate);
        QFETCH(int, button);
        QFETCH(int, interval);
        QFETCH(QString, caption);
        frmVideoControls f(nullptr);
        QCOMPARE(f.lblSpeed->text(), QStringLiteral("100 ms = 10 fps"));
        QList<short> asked;
        f.clipRate = [&](short choice) {
            asked << choice;
            return clipRate;
        };
        f.cmdRate[size_t(button)]->click();
        QCOMPARE(f.hscrSpeed->value(), interval);
        QCOMPARE(f.lblSpeed->text(), caption);
        QCOMPARE(asked, QList<short>{0});  // the rate of the clip the window choice plays
    }

    void rateButtonsUseTheRateOfTheChosenClip() {
        QTemporaryDir dir;
        cliptools::ClipSpec fifty{160, 120};
        fifty.fps = 50;
        cliptools::ClipSpec twelve{160, 120};
        twelve.fps = 12;
        const QString clip = dir.filePath(QStringLiteral("swing.avi"));
        const QString model = dir.filePath(QStringLiteral("model.avi"));
        const auto frame = [](int i) { return cliptools::NumberedFrame(i, 160, 120); };
        QVERIFY(cliptools::WriteClip(clip, fifty, 4, frame));
        QVERIFY(cliptools::WriteClip(model, twelve, 4, frame));
        frm_Main w;
        frmVideoControls* f = w.VideoControls;
        f->cmdRate[0]->click();  // no clip yet: nothing to go by
        QCOMPARE(f->hscrSpeed->value(), 100);
        QVERIFY(w.fOpenAvi(clip));
        f->cmdRate[0]->click();
        QCOMPARE(f->hscrSpeed->value(), 20);
        QVERIFY(w.InsertModelFile(model));
        f->optWindow[2]->click();
        f->cmdRate[1]->click();
        QCOMPARE(f->hscrSpeed->value(), 167);  // half of 12 fps
        f->optWindow[1]->click();  // both windows play at video 1's rate
        f->cmdRate[0]->click();
        QCOMPARE(f->hscrSpeed->value(), 20);
    }

    void blendCaptionFollowsTheSliderAfterTheRepaint() {
        G().ModelShown = true;
        frmVideoControls f(nullptr);
        QStringList seenAtRepaint;
        connect(&f, &frmVideoControls::BlendMoved, this, [&] { seenAtRepaint << f.frmBlend->title(); });
        const std::pair<int, const char*> cases[] = {
            {0, "Blend: %"}, {1, "Blend: %"}, {2, "Blend: 1%"}, {128, "Blend: 50%"}, {255, "Blend: 100%"}};
        for (const auto& [value, caption] : cases) {
            f.hscrBlend->setValue(value);
            QCOMPARE(f.frmBlend->title(), QLatin1String(caption));
        }
        // The repaint comes first, so it still sees the caption of the value before.
        QCOMPARE(seenAtRepaint.size(), 5);
        QCOMPARE(seenAtRepaint.first(), QStringLiteral("Blend Model"));
        QCOMPARE(seenAtRepaint.last(), QStringLiteral("Blend: 50%"));
    }

    void closeBoxHidesUnchecksAndKeepsTheSettings() {
        frm_Main w;
        w.show();
        frmVideoControls* f = w.VideoControls;
        G().ToolPos.videoControls = QPoint(1500, 3000);
        w.mnuTools_Click(9);
        QVERIFY(f->isVisible() && w.mnuTools[9]->isChecked());
        f->hscrSpeed->setValue(42);
        f->hscrBlend->setValue(0);
        f->optWindow[2]->setEnabled(true);
        f->optWindow[2]->click();
        f->move(60, 90);

        QVERIFY(!f->close());  // refused: the window stays loaded
        QVERIFY(!f->isVisible());
        QVERIFY(!w.mnuTools[9]->isChecked());
        QCOMPARE(G().ToolPos.videoControls, QPoint(900, 1350));

        w.mnuTools_Click(9);
        QVERIFY(f->isVisible() && w.mnuTools[9]->isChecked());
        QCOMPARE(f->pos(), QPoint(60, 90));
        QCOMPARE(f->hscrSpeed->value(), 42);
        QCOMPARE(f->frmBlend->title(), QStringLiteral("Blend: %"));
        QCOMPARE(f->WindowChoice, short(2));

        // Activation puts the check back, whoever showed the window; losing the focus to
        // another window does not take it away while the window stays shown.
        w.mnuTools[9]->setChecked(false);
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(f, &activate);
        QVERIFY(w.mnuTools[9]->isChecked());
        QEvent deactivate(QEvent::WindowDeactivate);
        QApplication::sendEvent(f, &deactivate);
        QVERIFY(w.mnuTools[9]->isChecked());
    }

    void movingTheBlendRepaintsTheCurrentFrame() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("swing.avi"));
        QVERIFY(cliptools::WriteClip(path, {160, 120}, 6,
                                     [](int i) { return cliptools::NumberedFrame(i, 160, 120); }));
        frm_Main w;
        QVERIFY(w.fOpenAvi(path));
        w.PasteAvi(0);
        w.CurrentVideoFrame = 4;  // not painted yet
        w.VideoControls->hscrBlend->setEnabled(true);
        w.VideoControls->hscrBlend->setValue(200);
        QCOMPARE(cliptools::ReadFrameNumber(w.pic_video->Image()), 4);
    }
};

QTEST_MAIN(TestVideoControls)
#include "tst_videocontrols.moc"
