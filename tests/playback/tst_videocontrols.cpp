// The video controls window: the window choice, the speed in real terms, the blend caption,
// the signals it gives the main window, and its close box and menu check.

#include "CompareWindowFixture.h"

#include <QGroupBox>
#include <QLabel>

class TestVideoControls : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDesktop> desktop_;

private Q_SLOTS:
    void init() { desktop_ = std::make_unique<TestDesktop>(); }
    void cleanup() { desktop_.reset(); }

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
        frmVideoControls f(Globals{}, nullptr);
        QList<short> asked;
        f.clipRate = [&](short choice) {
            asked << choice;
            return clipRate;
        };
        f.cmdRate[size_t(button)]->click();
        QTEST(f.hscrSpeed->value(), "interval");
        QTEST(f.lblSpeed->text(), "caption");
        QCOMPARE(asked, QList<short>{0});  // the rate of the clip the window choice plays
    }

    // With real clips: the rate buttons go by the chosen clip's rate (both windows by video 1's),
    // and moving the blend repaints the current frame.
    void rateAndBlendFollowTheClips() {
        QTemporaryDir dir;
        for (const auto& [name, fps] : {std::pair("swing.avi", 50), {"model.avi", 12}})
            WriteNumberedClip(dir.path(), QLatin1String(name), 6, {.width = 160, .height = 120, .fps = fps});
        frm_Main w;
        frmVideoControls* f = w.VideoControls;
        f->cmdRate[0]->click();  // no clip yet: nothing to go by
        QCOMPARE(f->hscrSpeed->value(), 100);
        QVERIFY(w.fOpenAvi(dir.filePath(QStringLiteral("swing.avi"))));
        f->cmdRate[0]->click();
        QCOMPARE(f->hscrSpeed->value(), 20);
        w.PasteAvi(0);
        w.CurrentVideoFrame = 4;  // not painted yet
        f->hscrBlend->setEnabled(true);
        f->hscrBlend->setValue(200);
        QCOMPARE(cliptools::ReadFrameNumber(w.pic_video->Image()), 4);
        QVERIFY(w.InsertModelFile(dir.filePath(QStringLiteral("model.avi"))));
        f->optWindow[2]->click();
        f->cmdRate[1]->click();
        QCOMPARE(f->hscrSpeed->value(), 167);  // half of 12 fps
        f->optWindow[1]->click();
        f->cmdRate[0]->click();
        QCOMPARE(f->hscrSpeed->value(), 20);
    }

    // Without a model only "Video 1" is usable, and it is chosen. The blend caption follows the
    // slider after the repaint, which still sees the caption of the value before.
    void windowChoiceAndBlendCaption() {
        Globals program;
        for (bool model : {false, true}) {
            program.ModelShown = model;
            frmVideoControls f(program, nullptr);
            QVERIFY(f.WindowChoice == 0 && f.optWindow[0]->isChecked() && f.optWindow[0]->isEnabled());
            for (QWidget* w : {(QWidget*)f.optWindow[1], (QWidget*)f.optWindow[2], (QWidget*)f.hscrBlend})
                QCOMPARE(w->isEnabled(), model);
        }
        frmVideoControls f(program, nullptr);  // a model shown, as the last one
        QStringList seenAtRepaint;
        connect(&f, &frmVideoControls::BlendMoved, this, [&] { seenAtRepaint << f.frmBlend->title(); });
        const std::pair<int, const char*> cases[] = {
            {0, "Blend: %"}, {1, "Blend: %"}, {2, "Blend: 1%"}, {128, "Blend: 50%"}, {255, "Blend: 100%"}};
        for (const auto& [value, caption] : cases) {
            f.hscrBlend->setValue(value);
            QCOMPARE(f.frmBlend->title(), QLatin1String(caption));
        }
        QCOMPARE(seenAtRepaint.size(), 5);
        QCOMPARE(seenAtRepaint.first(), QStringLiteral("Blend Model"));
        QCOMPARE(seenAtRepaint.last(), QStringLiteral("Blend: 50%"));
    }

    // The close box only hides the window and unchecks its menu item: shown again, it keeps its
    // place, sliders and choice. Activation puts the check back, whoever showed the window;
    // losing the focus does not take it away while the window stays shown.
    void closeBoxHidesUnchecksAndKeepsTheSettings() {
        frm_Main w;
        w.show();
        frmVideoControls* f = w.VideoControls;
        w.Program.ToolPos.videoControls = QPoint(1500, 3000);
        w.mnuTools_Click(9);
        QVERIFY(f->isVisible() && w.mnuTools[9]->isChecked());
        f->hscrSpeed->setValue(42);
        f->optWindow[2]->setEnabled(true);
        f->optWindow[2]->click();
        f->move(60, 90);
        QVERIFY(!f->close());  // refused: the window stays loaded
        QVERIFY(!f->isVisible() && !w.mnuTools[9]->isChecked());
        QCOMPARE(w.Program.ToolPos.videoControls, QPoint(900, 1350));
        w.mnuTools_Click(9);
        QVERIFY(f->isVisible() && w.mnuTools[9]->isChecked());
        QVERIFY(f->pos() == QPoint(60, 90) && f->hscrSpeed->value() == 42 && f->WindowChoice == 2);
        w.mnuTools[9]->setChecked(false);
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(f, &activate);
        QVERIFY(w.mnuTools[9]->isChecked());
        QEvent deactivate(QEvent::WindowDeactivate);
        QApplication::sendEvent(f, &deactivate);
        QVERIFY(w.mnuTools[9]->isChecked());
    }
};

QTEST_MAIN(TestVideoControls)
#include "tst_videocontrols.moc"
