// The Help menu, its in-program viewer, the About box and the system-information tools
// the About box starts.

#include "MsgBoxRecorder.h"
#include "platform/HelpViewer.h"
#include "platform/HelpWindow.h"
#include "platform/RegistryStore.h"
#include "shell/HelpMenu.h"
#include "shell/KeyCommands.h"
#include "shell/cRegistry.h"
#include "shell/frmAbout.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

using platform::HelpRequest;

namespace {

const QString kMsInfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");

bool writeFile(const QString& path, const QByteArray& bytes, bool program = false) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() &&
           (!program || f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}
bool writePage(const QString& path, const char* title) {
    return writeFile(path,
                     QByteArray("<html><head><title>") + title + "</title></head><body>text</body></html>");
}

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Presses Esc in the active window, as the user would.
void closeWithEsc(QWidget* w) {
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_Escape);
    flushDeletes();
}

// Writes a value where the machine-wide root reads it: both roots share one file here.
// Numbers are stored as REG_DWORD, text as REG_SZ.
void setMachineValue(const QString& key, const QString& name, const QVariant& value) {
    cRegistry reg;
    reg.SetClassKey(platform::HKEY_CURRENT_USER);
    reg.SetSectionKey(key);
    reg.SetValueKey(name);
    reg.SetValueType(value.typeId() == QMetaType::Int ? platform::REG_DWORD : platform::REG_SZ);
    reg.SetValue(value);
}

}  // namespace

class TestHelpAbout : public QObject {
    Q_OBJECT

    std::vector<HelpRequest> helpRequests_;
    bool helpAnswer_ = true;
    std::optional<MsgBoxRecorder> boxes_;
    QStringList launched_;
    bool launchAnswer_ = true;
    QTemporaryDir scratch_;
    QByteArray oldPath_ = qgetenv("PATH");
    QString bin_;  // the PATH of the test, empty to start

private Q_SLOTS:
    void init() {
        helpRequests_.clear();
        launched_.clear();
        helpAnswer_ = launchAnswer_ = true;
        platform::SetHelpAnswerer([this](const HelpRequest& r) {
            helpRequests_.push_back(r);
            return helpAnswer_;
        });
        boxes_.emplace();
        frmAbout::SetProgramLauncher([this](const QString& program) {
            launched_ << program;
            return launchAnswer_;
        });
        // The machine-wide store of each test is its own, empty to start.
        const QString name = QString::fromLatin1(QTest::currentTestFunction());
        const QString store = scratch_.filePath(name + ".json");
        for (std::uint32_t root : {platform::HKEY_LOCAL_MACHINE, platform::HKEY_CURRENT_USER})
            platform::RegistryStore::Instance().SetFilePath(root, store);
        bin_ = scratch_.filePath("bin-" + name);
        QVERIFY(QDir().mkpath(bin_));
        qputenv("PATH", bin_.toUtf8());
    }

    void cleanup() {
        platform::SetHelpAnswerer({});
        boxes_.reset();
        frmAbout::SetProgramLauncher({});
        platform::RegistryStore::Instance().ResetFilePaths();
        qputenv("PATH", oldPath_);
        delete frmAbout::Loaded();
        delete platform::HelpWindow::Existing();
    }

    // The pages beside the program: missing ones do nothing and are not reported; a present
    // one goes to the viewer with its owner, a context number asks for that context, and the
    // viewer's answer is the result.
    void helpItemsOpenTheirPages() {
        QWidget main;
        for (int item : {mnuhelpVarkelo, mnuhelpGolfSwing, mnuhelpSeparator}) mnuhelp_Click(item, &main);
        QVERIFY(!OpenHelpFile(scratch_.path(), &main, 0));  // a folder is no page
        QVERIFY(helpRequests_.empty() && boxes_->calls.empty() && !frmAbout::Loaded());

        QStringList pages;
        const auto removePages = qScopeGuard([&] {
            for (const QString& page : pages) QFile::remove(page);
        });
        for (const char* name : {"/varkhelp.html", "/varkelo.html"}) {
            pages << QCoreApplication::applicationDirPath() + name;
            QVERIFY(writePage(pages.back(), "t"));
        }
        mnuhelp_Click(mnuhelpVarkelo, &main);
        mnuhelp_Click(mnuhelpGolfSwing, &main);
        QVERIFY(OpenHelpFile(pages[0], &main, 42));
        QStringList asked;  // page, command (0 a page, 15 a context) and context of each request
        for (const HelpRequest& r : helpRequests_)
            asked
                << QStringLiteral("%1 %2 %3").arg(r.path).arg(r.command).arg(r.owner == &main ? r.data : -1);
        QCOMPARE(asked, QStringList({pages[0] + " 0 0", pages[1] + " 0 0", pages[0] + " 15 42"}));
        helpAnswer_ = false;
        QVERIFY(!OpenHelpFile(pages[0], &main, 0));
    }

    // The real viewer: one in-program window named after the page it shows, reused, gone with
    // its owner.
    void viewerFollowsLinksAndNamesTheWindow() {
        platform::SetHelpAnswerer({});
        const QString a = scratch_.filePath(QStringLiteral("first.html"));
        const QString b = scratch_.filePath(QStringLiteral("second.html"));
        QVERIFY(writePage(a, "First Page") && writePage(b, "Second Page"));
        auto* owner = new QWidget;
        QVERIFY(OpenHelpFile(a, owner, 0));
        QPointer<platform::HelpWindow> window = platform::HelpWindow::Existing();
        QVERIFY(window && window->isVisible() && window->windowTitle() == QStringLiteral("First Page"));
        window->Browser()->setSource(QUrl::fromLocalFile(b));  // as a followed link does
        QTRY_COMPARE(window->windowTitle(), QStringLiteral("Second Page"));
        QVERIFY(OpenHelpFile(a, owner, 7));
        QVERIFY(platform::HelpWindow::Existing() == window &&
                window->windowTitle() == QStringLiteral("First Page"));
        closeWithEsc(window);
        QVERIFY(!window);
        QVERIFY(OpenHelpFile(a, owner, 0));
        window = platform::HelpWindow::Existing();
        delete owner;
        flushDeletes();
        QVERIFY(!window);
    }

    // The pages shipped beside the program load, link each other and list every key the
    // program answers.
    void shippedPagesLoad() {
        const QString usage = QStringLiteral(VARKELO_PROGRAM_DIR "/varkhelp.html");
        const QString swing = QStringLiteral(VARKELO_PROGRAM_DIR "/varkelo.html");
        if (!QFile::exists(usage) || !QFile::exists(swing))
            QSKIP("help pages not built (target varkelo_help)");
        platform::HelpWindow window;
        QVERIFY(window.ShowPage(usage));
        QVERIFY(window.Browser()->toHtml().contains(QStringLiteral("varkelo.html")));
        const QString page = window.Browser()->toPlainText();
        for (const KeyBinding& k : KeyBindings())
            QVERIFY2(page.contains(k.keys.toString(QKeySequence::PortableText)),
                     qPrintable(k.keys.toString()));
        QVERIFY(page.contains(QStringLiteral("Esc")));
        QVERIFY(window.ShowPage(swing));
        QVERIFY(window.Browser()->toHtml().contains(QStringLiteral("varkhelp.html")));
    }

    // One modeless box at a time; OK, Esc and the close box unload it.
    void aboutBox() {
        QWidget main;
        mnuhelp_Click(mnuhelpAbout, &main);
        mnuhelp_Click(mnuhelpAbout, &main);
        QPointer<frmAbout> box = frmAbout::Loaded();
        QVERIFY(box && box->isVisible() && !box->isModal() && main.findChildren<frmAbout*>().size() == 1);
        for (int how : {0, 1, 2}) {  // OK, Esc, the close box
            if (how) box = frmAbout::ShowAbout(&main);
            how == 0 ? QTest::mouseClick(box->cmdOK, Qt::LeftButton) : how == 1 ? closeWithEsc(box) : void(box->close());
            flushDeletes();
            QVERIFY2(!box && !frmAbout::Loaded(), qPrintable(QString::number(how)));
        }
    }

    // The tool the registry names, then the tools folder's, then the first of the known tools
    // on the PATH (executable ones only); none that starts: the message.
    void sysInfoTools() {
        frmAbout box;
        QTest::mouseClick(box.cmdSysInfo, Qt::LeftButton);
        QVERIFY(writeFile(bin_ + "/xfce4-taskmanager", "#!/bin/sh\n", true));
        QVERIFY(writeFile(bin_ + "/gnome-system-monitor", "#!/bin/sh\n", true));
        QVERIFY(writeFile(bin_ + "/hardinfo", "not a program"));
        box.StartSysInfo();  // the earlier name wins
        QVERIFY(QFile::remove(bin_ + "/gnome-system-monitor"));
        box.StartSysInfo();
        QTemporaryDir tools;
        setMachineValue(QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"), "MSINFO", tools.path());
        QVERIFY(writeFile(tools.filePath(QStringLiteral("MSINFO32.EXE")), "#!/bin/sh\n", true));
        box.StartSysInfo();
        setMachineValue(kMsInfoKey, QStringLiteral("PATH"), QStringLiteral("/opt/tools/sysinfo"));
        launchAnswer_ = false;
        box.StartSysInfo();
        // A tool that does not start: the next in line, then the message.
        const QString msinfo = tools.filePath("MSINFO32.EXE"), xfce = bin_ + "/xfce4-taskmanager";
        QCOMPARE(launched_, QStringList({bin_ + "/gnome-system-monitor", xfce, msinfo, "/opt/tools/sysinfo",
                                         msinfo, xfce}));
        QCOMPARE(boxes_->prompts(), QStringList(2, "System Information Is Unavailable At This Time"));
    }

    // Text only, read into a 1024-byte buffer, terminator included.
    void getKeyValueReadsTextOnly() {
        QString value = QStringLiteral("stale");
        QStringList read;  // what each value reads as; "-": nothing
        for (const QVariant& v : {QVariant(), QVariant("/usr/bin/tool"), QVariant(7),
                                  QVariant(QString(1023, u'x')), QVariant(QString(1024, u'x'))}) {
            if (v.isValid()) setMachineValue(kMsInfoKey, "PATH", v);
            read << (frmAbout::GetKeyValue(platform::HKEY_LOCAL_MACHINE, kMsInfoKey, "PATH", value)
                         ? value
                         : "-" + value);
        }
        QCOMPARE(read, QStringList(
                           {"-", "/usr/bin/tool", "-", QString(1023, u'x'), "-"}));  // emptied when not read
    }
};

QTEST_MAIN(TestHelpAbout)
#include "tst_helpabout.moc"
