// The main window's start-up, layout, settings and shut-down.

#include "CompareWindowFixture.h"
#include "platform/Twips.h"
#include "shell/DesktopInput.h"
#include "shell/MainLayout.h"
#include "shell/ReportError.h"
#include "shell/cRegistry.h"
#include "shell/frmSplash.h"

#include <QMimeData>
#include <QPointer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStyle>

#include <sys/inotify.h>
#include <unistd.h>

using namespace platform;

namespace {

cRegistry programKey(const QString& name, std::uint32_t type = REG_SZ) {
    cRegistry reg;
    reg.SetClassKey(HKEY_CURRENT_USER);
    reg.SetSectionKey(QStringLiteral("Software\\varkelo\\video"));
    reg.SetValueKey(name);
    reg.SetValueType(type);
    return reg;
}
// Numbers are stored as REG_DWORD, text as REG_SZ.
void store(const QVariantMap& values) {
    for (auto [name, value] : values.asKeyValueRange())
        programKey(name, value.typeId() == QMetaType::Int ? REG_DWORD : REG_SZ).SetValue(value);
}
QString stored(const QString& name) {
    return programKey(name).Value().toString();
}

// Counts how often a file of a folder is put in place by a finished save (made or renamed
// onto). The temporary files' creation is watched too: it keeps the kernel from merging
// the renames onto one name into one event.
struct SaveCounter {
    const int fd_ = inotify_init1(IN_NONBLOCK);
    explicit SaveCounter(const QString& folder) {
        inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_MOVED_TO | IN_CREATE);
    }
    ~SaveCounter() { ::close(fd_); }
    int Saves(const QString& name) const {
        alignas(inotify_event) char buffer[4096];
        int saves = 0;
        for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;)
            for (const char* p = buffer; p < buffer + n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(p);
                saves += e->len && QFile::decodeName(e->name) == name;
                p += sizeof(inotify_event) + e->len;
            }
        return saves;
    }
};

// A way files come in, the files (space-separated), and the outcome.
struct Entry {
    QString how, files, outcome;
};

// The frame number on the canvas; -1 while it shows nothing.
int shownFrame(frm_Main& w) {
    return w.pic_video->isHidden() ? -1 : ShownFrame(w);
}

}  // namespace

Q_DECLARE_METATYPE(Entry)

class TestMainWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDesktop> desktop_;
    QTemporaryDir files_;  // swing.avi (frames 0..), other.avi (frames 20..), pose.jpg (frame 7)

    // A name in the test folder; absolute paths and the empty name stay as they are.
    QString file(const QString& name) const {
        return name.isEmpty() || name.startsWith(QLatin1Char('/')) ? name : files_.filePath(name);
    }

private Q_SLOTS:
    void initTestCase() {
        for (const auto& [name, base] : {std::pair{"swing.avi", 0}, std::pair{"other.avi", 20}})
            QVERIFY(cliptools::WriteClip(file(name), {160, 120}, 4, [base = base](int i) {
                return cliptools::NumberedFrame(base + i, 160, 120);
            }));
        QVERIFY(cliptools::NumberedFrame(7, 513, 383).save(file("pose.jpg")));  // fills the canvas
        QVERIFY(QDir(files_.path()).mkdir(QStringLiteral("takes.avi")));        // a folder named as a clip
        for (const char* name : {"notes.txt", "unknown.xyz"})
            QVERIFY(QFile(file(name)).open(QIODevice::WriteOnly));
    }
    void init() { desktop_ = std::make_unique<TestDesktop>(); }
    void cleanup() { desktop_.reset(); }

    // The design's twips on a 1024 x 768 screen at 96 DPI: units round half to even, and the
    // places that take sums of them.
    void layoutOnA1024x768ScreenAt96Dpi() {
        QVERIFY(ScreenUnit(15250) == 152L && ScreenUnit(15350) == 154L);  // 152.5 -> 152, 153.5 -> 154
        const MainLayout l = ComputeMainLayout(
            1024 * 15, 768 * 15, {.toolbarBottom = 600, .toolbarWidth = 15360, .toolbarButtonWidth = 480});
        QVERIFY(l.ScreenUnitX == 154L && l.ScreenUnitY == 115L);  // 153.6 rounds up, 115.2 down
        QCOMPARE(l.pic_video, QRect(24 * 154, 600, 7700, 5750));
        QCOMPARE(l.defaultVideoControls, QPoint(11704, 600 + 2588));  // 1.5 x 1725 = 2587.5 -> even 2588
    }

    // What a start shows, from what the store holds and the screen: maximised, the start-up
    // picture, only what works without a clip enabled, the recent files in the menu, the
    // file list in the working folder (the program's own when none is stored or it is gone),
    // and a warning for a screen of few colours.
    void startState_data() {
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<int>("depth");
        QTest::addColumn<QString>("shown");  // the recent-file menu items shown, and messages
        QTest::newRow("first start") << QVariantMap{} << 24 << "";
        QTest::newRow("recent files")
            << QVariantMap{{"MaxCount", 4},
                           {"Count", 2},
                           {"File1", "/clips/a.avi"},
                           {"File2", "/Golf/Clips/2002/March/driver_front_view_take3.avi"}}
            << 24 << "&1)  /clips/a.avi|&2)  .../driver_front_view_take3.avi|-";
        QTest::newRow("working folder gone") << QVariantMap{{"WorkingDir", "/no/such/folder"}} << 24 << "";
        QTest::newRow("low colour depth")
            << QVariantMap{} << 8
            << "Screen colour depths below 16 bits/pixel are not supported by this program.";
    }
    void startState() {
        QFETCH(QVariantMap, stored);
        QFETCH(int, depth);
        QFETCH(QString, shown);
        store(stored);
        OverrideScreenMetrics(ScreenMetrics{1024, 768, 96, 96, depth});
        MsgBoxRecorder boxes;
        frm_Main w;
        QStringList items = boxes.prompts();
        for (int i = 5; i <= 9; ++i)
            if (w.mnuFile[i]->isVisible())
                items << (w.mnuFile[i]->text().isEmpty() ? "-" : w.mnuFile[i]->text());
        QCOMPARE(items.join('|'), shown);
        QVERIFY(w.isMaximized() && w.pic_video->isHidden() && !w.imgLogo->isHidden() &&
                w.ClockTimer->isActive());
        QCOMPARE(w.File1->Path(), QDir::cleanPath(QCoreApplication::applicationDirPath()));
        for (int i = 1; i <= 12; ++i) QCOMPARE(w.Toolbar1->Enabled(i), i == 1 || i == 12);
    }

    // Files dropped on the window (with Shift: as the model), the command line's files and the
    // file list's, opened once the window is shown ("+": onto swing.avi, open before; "start":
    // clip, then model). The outcome: the frame video 1 shows (-1: nothing; 0 stands for it while a model
    // is in), "model" when the model came in, "refused" for a refused drop, and the messages. A file
    // that cannot be read gets the reader's message and the window goes on as it was.
    void filesOpenFromOutside_data() {
        QTest::addColumn<Entry>("entry");
        const QString unread = QStringLiteral(" There was an error working with the file:\n/no/such/");
        QTest::newRow("a clip") << Entry{"drop", "other.avi", "20"};
        QTest::newRow("a clip with Shift: the model") << Entry{"+Shift drop", "other.avi", "0 model"};
        QTest::newRow("Shift, nothing to compare with") << Entry{"Shift drop", "other.avi", "20"};
        QTest::newRow("a picture with Shift") << Entry{"+Shift drop", "pose.jpg", "7"};
        QTest::newRow("a folder") << Entry{"+drop", "takes.avi", "0 refused"};
        QTest::newRow("an unknown type") << Entry{"drop", "unknown.xyz", "-1 refused"};
        QTest::newRow("a web address") << Entry{"drop", "http://example.com/a.avi", "-1 refused"};
        QTest::newRow("several: the first clip or picture")
            << Entry{"drop", "takes.avi notes.txt pose.jpg other.avi", "7"};
        QTest::newRow("start: a clip and a model") << Entry{"start", "swing.avi other.avi", "0 model"};
        QTest::newRow("start: no such clip")
            << Entry{"start", "/no/such/swing.avi", "-1" + unread + "swing.avi"};
        QTest::newRow("start: no clip to compare the model with")
            << Entry{"start", "/no/such/swing.avi other.avi", "-1" + unread + "swing.avi"};
        QTest::newRow("start: no such model")
            << Entry{"start", "swing.avi /no/such/model.avi", "0" + unread + "model.avi"};
        // The file list: a double click or Enter opens the file selected, once however long Enter is held.
        QTest::newRow("file list: double click") << Entry{"double click", "other.avi", "20"};
        QTest::newRow("file list: Enter") << Entry{"Enter", "other.avi", "20"};
        QTest::newRow("file list: Enter, no file selected") << Entry{"Enter", "", "-1"};
    }
    void filesOpenFromOutside() {
        QFETCH(Entry, entry);
        const QString how = entry.how;
        const QStringList names = entry.files.split(' ');
        MsgBoxRecorder boxes;
        frm_Main w;
        w.show();
        auto* input = w.findChild<DesktopInput*>();
        if (how.startsWith('+')) QVERIFY(input->Open({file("swing.avi"), false}));
        QString shown;
        if (how == "start") {
            input->OpenStartupFiles(file(names[0]), file(names.value(1)));
        } else if (!how.contains("drop")) {
            w.previewClip = [](const QString&) {};  // the single clicks of a double click preview
            w.Dir1->SetPath(files_.path());
            QTRY_VERIFY(w.File1->SelectFile(QStringLiteral("other.avi")));
            if (names[0].isEmpty()) w.File1->clearSelection();
            w.File1->setFocus();
            if (how == "Enter")
                QTest::keyClick(w.File1, Qt::Key_Return);
            else
                QTest::mouseDClick(w.File1->viewport(), Qt::LeftButton, {},
                                   w.File1->visualRect(w.File1->currentIndex()).center());
            QSignalSpy reopened(&w, &frm_Main::FrameShown);
            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(w.File1, &repeat);
            QCOMPARE(reopened.count(), 0);
        } else {
            QList<QUrl> urls;
            for (const QString& item : names)
                urls << (item.contains(':') ? QUrl(item) : QUrl::fromLocalFile(file(item)));
            QMimeData data;
            data.setUrls(urls);
            const Qt::KeyboardModifiers keys = how.contains("Shift") ? Qt::ShiftModifier : Qt::NoModifier;
            const QPoint at = w.pic_video->geometry().center();
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, keys);
            QApplication::sendEvent(&w, &enter);
            QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, keys);
            QApplication::sendEvent(&w, &drop);
            QCOMPARE(enter.isAccepted(), drop.isAccepted());
            if (!drop.isAccepted()) shown = " refused";
            QCoreApplication::processEvents();  // the file opens once the drop is over
            // An opened file's folder is the browser's.
            if (drop.isAccepted()) QCOMPARE(w.File1->Path(), QDir::cleanPath(files_.path()));
        }
        shown =
            QString::number(w.Program.ModelShown ? 0 : shownFrame(w)) + (w.Program.ModelShown ? " model" : "") + shown;
        for (const QString& prompt : boxes.prompts()) shown += ' ' + prompt;
        QCOMPARE(shown, entry.outcome);
        // The start-up picture stays until something opens.
        QVERIFY(w.imgLogo->isHidden() == (shownFrame(w) >= 0) &&
                w.Toolbar1->Enabled(3) == (shownFrame(w) >= 0));
    }

    void storedPositionsAndFoldersAreUsedAndSavedAtClose_data() {
        QTest::addColumn<bool>("onAnotherMount");
        QTest::newRow("folder on the root's mount") << false;
        QTest::newRow("folder on another mount") << true;
    }
    void storedPositionsAndFoldersAreUsedAndSavedAtClose() {
        QFETCH(bool, onAnotherMount);
        QTemporaryDir mount;
        const QString work = mount.filePath(QStringLiteral("clips"));
        QVERIFY(QDir().mkpath(work));
        // The drive list takes the temporary folder for a mounted file system of its own.
        if (onAnotherMount) OverrideMountPoints(QStringList{mount.path()});
        const auto mounts = qScopeGuard([] { OverrideMountPoints(std::nullopt); });
        // Tool windows placed on a larger desktop than this one; a (0, 0) pair means "not placed",
        // the default is used again; a mark width beyond the widths offered.
        store({{"WorkingDir", work}, {"ImageToolX", "0"}, {"ImageToolY", "0"}, {"MarkWidth", 9}, {"DrawToolX", "30000"},
               {"DrawToolY", "20000"}, {"VControlToolX", "30000"}, {"VControlToolY", "20000"}});
        {
            frm_Main w;
            QCOMPARE(w.Drawing->Overlay().Line1.BorderWidth, 5);
            w.Drawing->Overlay().Line1.BorderColor = 0x00FF00;  // the user picks green
            QVERIFY(w.Program.WorkingDir == work && w.Dir1->Path() == work && w.File1->Path() == work);
            QCOMPARE(w.Drive1->Drive(), onAnotherMount ? mount.path() : DriveOf(work));
            QCOMPARE(w.DrawToolBox->PositionTwips(), QPoint(30000, 20000));
            QCOMPARE(w.ImageTool->PositionTwips(), w.Layout().defaultImageTool);
            // Shown, the video controls come back on the screen, title bar and all; the user
            // moves them and closes the program, which saves once.
            w.VideoControls->show();
            const int titleBar = w.VideoControls->style()->pixelMetric(QStyle::PM_TitleBarHeight);
            QVERIFY(QRect(0, 0, 1024, 768)
                        .contains(QRect(w.VideoControls->pos(),
                                        QSize(w.VideoControls->frameGeometry().width(), titleBar))));
            w.VideoControls->move(100, 200);
            const QFileInfo registry(desktop_->RegistryFile());
            SaveCounter saves(registry.absolutePath());
            QVERIFY(w.close());
            QCOMPARE(saves.Saves(registry.fileName()), 1);
        }
        // A never-shown window keeps exactly the position it was given, for the larger desktop.
        QCOMPARE(QStringList({stored("VControlToolX"), stored("VControlToolY"), stored("DrawToolX"),
                              stored("WorkingDir")}),
                 QStringList({"1500", "3000", "30000", work}));

        // A restart restores what was saved.
        frm_Main again;
        QCOMPARE(again.VideoControls->PositionTwips(), QPoint(1500, 3000));
        QCOMPARE(again.Drawing->Overlay().Shape1.BorderColor, 0x00FF00);
    }

    void titleBarsStayOnAScreen_data() {
        QTest::addColumn<QRect>("bar");  // where the title bar would be
        QTest::addColumn<QList<QRect>>("areas");
        QTest::addColumn<QPoint>("expected");
        const QList<QRect> one{QRect(0, 0, 1024, 768)}, two{one[0], QRect(1024, 0, 1280, 1024)};
        QTest::newRow("inside") << QRect(100, 100, 200, 20) << one << QPoint(100, 100);
        QTest::newRow("beyond the bottom right") << QRect(2000, 1500, 200, 20) << one << QPoint(824, 748);
        QTest::newRow("above the top") << QRect(100, -50, 200, 20) << one << QPoint(100, 0);
        QTest::newRow("wider than the screen") << QRect(300, 10, 1500, 20) << one << QPoint(0, 10);
        QTest::newRow("mostly on the second") << QRect(1000, 100, 200, 20) << two << QPoint(1024, 100);
        QTest::newRow("beyond both") << QRect(5000, 3000, 200, 20) << two << QPoint(2104, 1004);
        QTest::newRow("below the smaller screen") << QRect(100, 900, 200, 20) << two << QPoint(100, 748);
    }
    void titleBarsStayOnAScreen() {
        QFETCH(QRect, bar);
        QFETCH(QList<QRect>, areas);
        QFETCH(QPoint, expected);
        QCOMPARE(KeepTitleBarOnScreen(bar.topLeft(), bar.width(), bar.height(), areas), expected);
    }

    void reportErrorTextAndPointer() {
        MsgBoxRecorder boxes;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ReportError(53, QStringLiteral("File not found"));
        QVERIFY(QApplication::overrideCursor() == nullptr);
        // A trapped handler body ends at the error and reports it.
        bool after = false;
        QVERIFY(!TrapErrors([&] { Raise(errSubscriptOutOfRange), after = true; }) && !after);
        QCOMPARE(boxes.prompts(),
                 QStringList({"An Error occured! Error No:53, Error Description: File not found",
                              "An Error occured! Error No:9, Error Description: Subscript out of range"}));
    }

    void splashHandsOverToTheMainWindow() {
        QPointer<frmSplash> splash = new frmSplash;
        splash->show();
        QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
        // Drive the timer's tick directly instead of waiting three seconds.
        QPointer<frm_Main> main = splash->Timer1_Timer();
        QVERIFY(main && main->isVisible() && main->isMaximized());
        QTRY_VERIFY(splash.isNull() && QApplication::overrideCursor() == nullptr);  // unloaded
        main->close();
        QTRY_VERIFY(main.isNull());  // deleted on close
    }

    // A close during a load waits for the load; a store that cannot be written (a file where
    // its folder should be, so that this fails for any user) never blocks it, and says nothing.
    void closing() {
        frm_Main w;
        w.show();
        w.Program.BusyLoading = true;
        QVERIFY(!w.close() && w.Program.CloseRequested && w.isVisible());
        w.Program.BusyLoading = false;
        const QString blocker = files_.filePath(QStringLiteral("notes.txt"));
        RegistryStore::Instance().SetFilePath(HKEY_CURRENT_USER, blocker + "/sub/registry.json");
        MsgBoxRecorder boxes;
        QVERIFY(w.close());
        QVERIFY(boxes.calls.empty() && QFileInfo(blocker).isFile());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
