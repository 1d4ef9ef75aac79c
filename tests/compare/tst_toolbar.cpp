// Toolbar commands: opening through the dialog, the image tool window and the commands' states.
// (Copying the canvas with its marks: the playback test's mark keys.)

#include "CompareWindowFixture.h"
#include "clips/ClipPreview.h"
#include "shell/CommandStates.h"

#include <QMenu>

using namespace platform;

class TestToolbar : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDesktop> desktop_;
    QTemporaryDir clips_;
    ChosenFile files_;

    // Opens a file of the clips folder through the toolbar's Open.
    void openClip(frm_Main& w, const QString& name) { files_.Click(w, 1, clips_.filePath(name)); }

private slots:
    void initTestCase() {
        cliptools::ClipRecipe clipFormat;
        clipFormat.width = 160;
        clipFormat.height = 120;
        QVERIFY(cliptools::WriteClip(clips_.filePath(QStringLiteral("Drive.AVI")), clipFormat, 6,
                                     [](int i) { return cliptools::NumberedFrame(i, 160, 120); }));
        QVERIFY(cliptools::NumberedFrame(5, 100, 80).save(clips_.filePath(QStringLiteral("stance.jpg"))));
    }

    void init() {
        desktop_ = std::make_unique<TestDesktop>();
        files_.requests.clear();
        files_.Choose({});  // cancelled
    }
    void cleanup() { desktop_.reset(); }

    // A cancelled dialog changes nothing; the File menu's Open loads the clip or picture chosen.
    void openThroughTheDialog() {
        MsgBoxRecorder boxes;
        frm_Main w;
        const QString before = w.Program.WorkingDir;
        w.Toolbar_Click(1);
        QCOMPARE(files_.requests.size(), size_t(1));
        const FileDialogRequest& r = files_.requests[0];
        QVERIFY(r.startFolder == before && r.preview && r.filters.size() == 3);
        // Every kind it opens is offered: clips first, then AVI alone, then pictures.
        for (const char* kind : {"*.avi", "*.mp4", "*.mov", "*.mkv", "*.webm", "*.m4v", "*.3gp"})
            QVERIFY(r.filters[0].patterns.split(QLatin1Char(';')).contains(QLatin1String(kind)));
        QVERIFY(w.Program.WorkingDir == before && !w.Program.ClipLoaded && !w.mnuToolsTOP->menuAction()->isEnabled());

        files_.Choose(clips_.filePath(QStringLiteral("Drive.AVI")));  // ".AVI" opens as a clip
        w.mnuFile_Click(0);
        QCOMPARE(w.Video1.frameCount, short(6));
        QCOMPARE(ShownFrame(w), 0);
        // The folder list follows, and it names the working folder.
        QCOMPARE(w.Program.WorkingDir, QDir::cleanPath(clips_.path()));
        QCOMPARE(w.Dir1->Path(), QDir::cleanPath(clips_.path()));
        // The clip's commands follow (the rules: derivedStates).
        QVERIFY(w.Toolbar1->Enabled(3) && w.mnuTools[6]->isChecked() && w.mnuToolsTOP->menuAction()->isEnabled());
        // The video controls came up with the clip, and the menu item hides them again.
        QVERIFY(w.mnuTools[9]->isChecked() && !w.VideoControls->isHidden());
        w.mnuTools[9]->trigger();
        QVERIFY(!w.mnuTools[9]->isChecked() && w.VideoControls->isHidden());
        openClip(w, QStringLiteral("stance.jpg"));
        QCOMPARE(w.ClipKind, 1);
        QCOMPARE(cliptools::ReadFrameNumber(w.pic_video->Image().copy(0, 0, 100, 80)), 5);
        QVERIFY(boxes.calls.empty());
    }

    // From the program's state ("clip": a clip or picture was opened) to the commands enabled
    // and those on; the checks of Open, Copy and Video Controls are left to others.
    void derivedStates_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("enabled");
        QTest::addColumn<QString>("on");
        const QString clip = "Open Draw Image Copy Insert Full Split Video";
        QTest::newRow("start") << "" << "Open Video" << "";
        QTest::newRow("clip") << "clip" << clip << "Full";
        QTest::newRow("loading") << "clip busy" << "Draw Image Copy Full Split Video" << "Full";
        QTest::newRow("picture") << "clip picture" << "Open Draw Image Copy Insert Full Split" << "Full";
        QTest::newRow("model before a clip") << "model" << "Open Adjust Video" << "Insert";
        QTest::newRow("drawing before a clip") << "drawing" << "Open Video" << "Draw";
        QTest::newRow("model adjusted, split")
            << "clip model adjust split" << "Open Draw Image Copy Insert Adjust Full Split Video" << "Insert Adjust Split";
        QTest::newRow("tools on") << "clip image drawing" << clip << "Draw Image Full";
    }
    void derivedStates() {
        QFETCH(QString, state);
        QFETCH(QString, enabled);
        QFETCH(QString, on);
        const auto in = [list = state.split(' ')](const char* flag) { return list.contains(flag); };
        const CommandStates out = deriveCommandStates({in("clip"), in("picture"), in("busy"), in("model"), in("adjust"),
                                                       !in("split"), in("image"), in("drawing")});
        const char* names[kCommandCount] = {"Open", "Draw", "Image", "Copy", "Insert", "Adjust", "Full", "Split", "Video"};
        QStringList outEnabled, outOn, left;
        for (int i = 0; i < kCommandCount; ++i) {
            const CommandState& c = out.commands[size_t(i)];
            if (c.enabled) outEnabled << names[i];
            if (c.checked.value_or(false)) outOn << names[i];
            if (!c.checked) left << names[i];
        }
        QCOMPARE(outEnabled.join(' '), enabled);
        QCOMPARE(outOn.join(' '), on);
        QCOMPARE(left.join(' '), QStringLiteral("Open Copy Video"));
        QVERIFY(out.toolsMenu == in("clip") && out.modelItemCloses == in("model"));
    }

    void imageToolFollowsItsButtonMenuAndCloseBox() {
        frm_Main w;
        w.show();
        openClip(w, QStringLiteral("Drive.AVI"));  // the command and its menu come alive
        w.Program.ToolPos.imageTool = QPoint(1500, 3000);
        // The window, its button and its menu item agree.
        const auto isOn = [&](bool on) {
            return w.ImageToolOn == on && w.ImageTool->isVisible() == on && w.Toolbar1->Value(4) == on &&
                   w.mnuTools[0]->isChecked() == on;
        };
        w.Toolbar_Click(4);
        QVERIFY(isOn(true));
        QCOMPARE(w.ImageTool->pos(), QPoint(100, 200));
        w.ImageTool->move(50, 60);
        // Its close box is the same command: hidden, position kept for next time.
        QVERIFY(!w.ImageTool->close());
        QVERIFY(isOn(false));
        QCOMPARE(w.Program.ToolPos.imageTool, QPoint(750, 900));
        // The menu item toggles it too.
        w.mnuTools[0]->trigger();
        QVERIFY(isOn(true));
        QCOMPARE(w.ImageTool->pos(), QPoint(50, 60));
        // So do Drawing's button, menu item and tool box.
        for (const bool on : {true, false}) {
            w.Toolbar_Click(3);
            QVERIFY(w.Toolbar1->Value(3) == on && w.mnuTools[1]->isChecked() == on && w.DrawToolBox->isVisible() == on);
        }
    }

    void recentFilesReopenAndMoveToTheTop() {
        MsgBoxRecorder boxes;
        frm_Main w;
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("first.avi"));
        QVERIFY(QFile::copy(clips_.filePath(QStringLiteral("Drive.AVI")), first));
        const QString second = clips_.filePath(QStringLiteral("Drive.AVI"));
        files_.Click(w, 1, first);
        files_.Click(w, 1, second);
        QVERIFY(w.mnuFile[5]->text().endsWith(QStringLiteral("Drive.AVI")));
        QVERIFY(w.mnuFile[6]->text().endsWith(QStringLiteral("first.avi")));
        // Reopening the second entry swaps the two slots and loads it.
        w.mnuFile_Click(6);
        QVERIFY(w.mnuFile[5]->text().endsWith(QStringLiteral("first.avi")));
        QVERIFY(w.mnuFile[6]->text().endsWith(QStringLiteral("Drive.AVI")));
        QCOMPARE(w.Video1.clipFileName, QStringLiteral("first.avi"));
        QVERIFY(boxes.calls.empty());
        // A recent clip that is gone: the reader's message, and the loaded clip stays.
        w.ImgVideoFrames_Click(3);
        QVERIFY(QFile::remove(first));
        w.mnuFile_Click(5);
        QCOMPARE(boxes.calls.size(), size_t(1));
        QVERIFY(
            boxes.calls[0].prompt.startsWith(QStringLiteral("There was an error working with the file:")));
        QCOMPARE(w.Video1.clipFileName, QStringLiteral("first.avi"));
        QCOMPARE(ShownFrame(w), 3);
        // Nothing happens while frames load.
        w.Program.BusyLoading = true;
        w.mnuFile_Click(6);
        w.Program.BusyLoading = false;
        QCOMPARE(w.Video1.clipFileName, QStringLiteral("first.avi"));
    }

    void imageToolEffectsRepaintAtOnce() {
        MsgBoxRecorder boxes;
        frm_Main w;
        openClip(w, QStringLiteral("Drive.AVI"));
        w.ImgVideoFrames_Click(3);
        const QImage plain = w.pic_video->Image().copy();
        const QPoint probe(plain.width() / 2, plain.height() * 3 / 4);  // the coloured half
        const QColor c = plain.pixelColor(probe);
        // Invert: every channel turned over, at once.
        w.ImageTool->chkFlag[1]->setChecked(true);
        QCOMPARE(w.pic_video->Image().pixelColor(probe),
                 QColor(255 - c.red(), 255 - c.green(), 255 - c.blue()));
        // Flip X as well: the same frame, mirrored left-right (flags 262400).
        w.ImageTool->chkFlag[2]->setChecked(true);
        w.ImageTool->chkFlag[1]->setChecked(false);
        QCOMPARE(cliptools::ReadFrameNumber(w.pic_video->Image().mirrored(true, false)), 3);
        QVERIFY(w.pic_video->Image() != plain);
        // Brightness only: lighter, clamped; back to 0 gives the plain picture again.
        w.ImageTool->chkFlag[2]->setChecked(false);
        w.ImageTool->VScrBright->setValue(40);
        QCOMPARE(
            w.pic_video->Image().pixelColor(probe),
            QColor(std::min(255, c.red() + 40), std::min(255, c.green() + 40), std::min(255, c.blue() + 40)));
        w.ImageTool->VScrBright->setValue(0);
        QCOMPARE(w.Flags(), 0);
        QCOMPARE(w.pic_video->Image(), plain);
        QVERIFY(boxes.calls.empty());
    }

    void previewPaneGetsAClipsFirstFrameQuietly() {
        MsgBoxRecorder boxes;
        frm_Main w;
        const ClipPreviewProvider& provider = CurrentClipPreviewProvider();
        QVERIFY(provider);
        QCOMPARE(cliptools::ReadFrameNumber(provider(clips_.filePath(QStringLiteral("Drive.AVI")))), 0);
        QVERIFY(provider(clips_.filePath(QStringLiteral("stance.jpg"))).isNull());
        QVERIFY(ClipFirstFrame(QStringLiteral("/no/such.avi")).isNull());
        QVERIFY(boxes.calls.empty());
    }
};

QTEST_MAIN(TestToolbar)
#include "tst_toolbar.moc"
