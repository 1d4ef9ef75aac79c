#include "platform/HelpViewer.h"
#include "platform/HelpWindow.h"
#include "platform/MessageBox.h"
#include "platform/RegistryStore.h"
#include "shell/HelpMenu.h"
#include "shell/KeyCommands.h"
#include "shell/cRegistry.h"
#include "shell/frmAbout.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

using platform::HelpRequest;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(bytes) == bytes.size();
}

bool writeProgram(const QString& path) {
    if (!writeFile(path, "#!/bin/sh\nexit 0\n")) return false;
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Writes a text value where the machine-wide root reads it: both roots share one file.
void setMachineText(const QString& key, const QString& name, const QString& text) {
    cRegistry reg;
    reg.SetClassKey(platform::HKEY_CURRENT_USER);
    reg.SetSectionKey(key);
    reg.SetValueKey(name);
    reg.SetValueType(platform::REG_SZ);
    reg.SetValue(text);
}

const QString kMsInfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kMsInfoLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");

}  // namespace

class TestHelpAbout : public QObject {
    Q_OBJECT

    std::vector<HelpRequest> helpRequests_;
    bool helpAnswer_ = true;
    std::vector<platform::MsgBoxCall> boxes_;
    QStringList launched_;
    bool launchAnswer_ = true;
    QTemporaryDir scratch_;
    QByteArray oldPath_;
    QStringList pagesWritten_;

private slots:
    void initTestCase() {
        QVERIFY(scratch_.isValid());
        oldPath_ = qgetenv("PATH");
    }

    void init() {
        helpRequests_.clear();
        boxes_.clear();
        launched_.clear();
        helpAnswer_ = true;
        launchAnswer_ = true;
        platform::SetHelpAnswerer([this](const HelpRequest& r) {
            helpRequests_.push_back(r);
            return helpAnswer_;
        });
        platform::SetMsgBoxAnswerer([this](const platform::MsgBoxCall& c) {
            boxes_.push_back(c);
            return int(platform::vbOK);
        });
        frmAbout::SetProgramLauncher([this](const QString& program) {
            launched_ << program;
            return launchAnswer_;
        });
        // The machine-wide store and the PATH of each test are its own, empty to start.
        const QString store = scratch_.filePath(QStringLiteral("%1.json").arg(QTest::currentTestFunction()));
        QFile::remove(store);
        platform::RegistryStore::Instance().SetFilePath(platform::HKEY_LOCAL_MACHINE, store);
        platform::RegistryStore::Instance().SetFilePath(platform::HKEY_CURRENT_USER, store);
        const QString bin = scratch_.filePath(QStringLiteral("bin-%1").arg(QTest::currentTestFunction()));
        QVERIFY(QDir().mkpath(bin));
        qputenv("PATH", bin.toUtf8());
    }

    void cleanup() {
        platform::SetHelpAnswerer({});
        platform::SetMsgBoxAnswerer({});
        frmAbout::SetProgramLauncher({});
        platform::RegistryStore::Instance().ResetFilePaths();
        qputenv("PATH", oldPath_);
        for (const QString& page : pagesWritten_) QFile::remove(page);
        pagesWritten_.clear();
        if (frmAbout::Loaded()) delete frmAbout::Loaded();
        if (platform::HelpWindow::Existing()) delete platform::HelpWindow::Existing();
    }

    void helpItemsOpenTheirPages() {
        const QString folder = HelpFolder();
        QCOMPARE(folder, QCoreApplication::applicationDirPath());
        // Missing pages do nothing, and are not reported; a folder is no page.
        QWidget main;
        for (int item : {mnuhelpVarkelo, mnuhelpGolfSwing, mnuhelpSeparator}) mnuhelp_Click(item, &main);
        QVERIFY(!OpenHelpFile(scratch_.path(), &main, 0));
        QVERIFY(helpRequests_.empty() && boxes_.empty() && !frmAbout::Loaded());

        for (const char* name : {"/varkhelp.html", "/varkelo.html"}) {
            pagesWritten_ << folder + QString::fromLatin1(name);
            QVERIFY(writeFile(pagesWritten_.back(), "<html><head><title>t</title></head><body>p</body></html>"));
        }
        mnuhelp_Click(mnuhelpVarkelo, &main);
        mnuhelp_Click(mnuhelpGolfSwing, &main);
        QCOMPARE(helpRequests_.size(), size_t(2));
        QCOMPARE(helpRequests_[0].path, pagesWritten_[0]);
        QCOMPARE(helpRequests_[1].path, pagesWritten_[1]);
        QCOMPARE(helpRequests_[0].owner, &main);
        QCOMPARE(helpRequests_[0].command, int(platform::HH_DISPLAY_TOPIC));
        // A context number asks for that context; the viewer's answer is the result.
        QVERIFY(OpenHelpFile(pagesWritten_[0], &main, 42));
        QCOMPARE(helpRequests_[2].command, int(platform::HH_HELP_CONTEXT));
        QCOMPARE(helpRequests_[2].data, 42L);
        helpAnswer_ = false;
        QVERIFY(!OpenHelpFile(pagesWritten_[0], &main, 0));
    }

    // The real viewer: one in-program window, links followed from the keyboard, gone with its
    // owner.
    void viewerFollowsLinksAndNamesTheWindow() {
        platform::SetHelpAnswerer({});
        const QString a = scratch_.filePath(QStringLiteral("first.html"));
        const QString b = scratch_.filePath(QStringLiteral("second.html"));
        QVERIFY(writeFile(a, "<html><head><title>First Page</title></head><body>"
                             "<p><a href=\"second.html\">next</a></p></body></html>"));
        QVERIFY(writeFile(b, "<html><head><title>Second Page</title></head><body>two</body></html>"));
        auto* owner = new QWidget;
        QVERIFY(OpenHelpFile(a, owner, 0));
        QPointer<platform::HelpWindow> window = platform::HelpWindow::Existing();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("First Page"));
        QTextBrowser* browser = window->Browser();
        browser->setFocus();
        QTest::keyClick(browser, Qt::Key_Tab);
        QTest::keyClick(browser, Qt::Key_Return);
        QTRY_COMPARE(window->windowTitle(), QStringLiteral("Second Page"));
        QVERIFY(OpenHelpFile(a, owner, 7));
        QCOMPARE(platform::HelpWindow::Existing(), window.data());  // reused
        QCOMPARE(window->windowTitle(), QStringLiteral("First Page"));
        delete owner;
        flushDeletes();
        QVERIFY(!window);
    }

    // The pages shipped beside the program load with their titles, link each other and list
    // every key the program answers.
    void shippedPagesLoad() {
        const QString folder = QStringLiteral(VARKELO_PROGRAM_DIR);
        const QString usage = folder + QStringLiteral("/varkhelp.html");
        const QString swing = folder + QStringLiteral("/varkelo.html");
        if (!QFile::exists(usage) || !QFile::exists(swing)) QSKIP("help pages not built (target varkelo_help)");
        platform::HelpWindow window;
        QVERIFY(window.ShowPage(usage));
        QCOMPARE(window.windowTitle(), QStringLiteral("Varkelo Help"));
        QVERIFY(window.Browser()->toHtml().contains(QStringLiteral("varkelo.html")));
        const QString page = window.Browser()->toPlainText();
        for (const KeyBinding& k : KeyBindings())
            QVERIFY2(page.contains(k.keys.toString(QKeySequence::PortableText)), qPrintable(k.keys.toString()));
        QVERIFY(page.contains(QStringLiteral("Esc")));
        QVERIFY(window.ShowPage(swing));
        QCOMPARE(window.windowTitle(), QStringLiteral("Golf Swing Analysis"));
        QVERIFY(window.Browser()->toHtml().contains(QStringLiteral("varkhelp.html")));
    }

    void escClosesTheHelpAndTheAboutBox() {
        platform::SetHelpAnswerer({});
        const QString page = scratch_.filePath(QStringLiteral("page.html"));
        QVERIFY(writeFile(page, "<html><head><title>Page</title></head><body>text</body></html>"));
        QWidget main;
        QVERIFY(OpenHelpFile(page, &main, 0));
        QPointer<QWidget> help = platform::HelpWindow::Existing();
        QPointer<QWidget> about = frmAbout::ShowAbout(&main);
        for (QPointer<QWidget>* window : {&help, &about}) {
            QWidget* w = *window;
            w->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w));
            QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_Escape);
            flushDeletes();
            QVERIFY(window->isNull());
        }
    }

    // One modeless box at a time; OK and the close box unload it.
    void aboutBox() {
        QWidget main;
        mnuhelp_Click(mnuhelpAbout, &main);
        QPointer<frmAbout> box = frmAbout::Loaded();
        QVERIFY(box && box->isVisible() && !box->isModal());
        QCOMPARE(box->lblVersion->text(), QStringLiteral("Version 1.0.5"));
        QCOMPARE(frmAbout::ShowAbout(&main), box.data());
        mnuhelp_Click(mnuhelpAbout, &main);
        QCOMPARE(main.findChildren<frmAbout*>().size(), qsizetype(1));
        QTest::mouseClick(box->cmdOK, Qt::LeftButton);
        flushDeletes();
        QVERIFY(!box && !frmAbout::Loaded());
        box = frmAbout::ShowAbout(&main);
        QVERIFY(box && box->isVisible());
        box->close();
        flushDeletes();
        QVERIFY(!box);
    }

    // The tool the registry names, then the tools folder's, then the first of the known tools
    // on the PATH (executable ones only); none that starts: the message.
    void sysInfoTools() {
        frmAbout box;
        QVERIFY(!box.testAttribute(Qt::WA_DeleteOnClose));  // only the box the menu loads unloads itself
        QTest::mouseClick(box.cmdSysInfo, Qt::LeftButton);
        QVERIFY(launched_.isEmpty());
        QCOMPARE(boxes_.size(), size_t(1));
        QCOMPARE(boxes_[0].prompt, QStringLiteral("System Information Is Unavailable At This Time"));
        QCOMPARE(boxes_[0].style, int(platform::vbOKOnly));

        const QString bin = QString::fromUtf8(qgetenv("PATH"));
        QVERIFY(writeProgram(bin + "/xfce4-taskmanager"));
        QVERIFY(writeProgram(bin + "/gnome-system-monitor"));
        QVERIFY(writeFile(bin + "/hardinfo", "not a program"));
        box.StartSysInfo();
        QCOMPARE(launched_, QStringList{bin + "/gnome-system-monitor"});  // the earlier name wins
        QVERIFY(QFile::remove(bin + "/gnome-system-monitor"));
        launched_.clear();
        box.StartSysInfo();
        QCOMPARE(launched_, QStringList{bin + "/xfce4-taskmanager"});

        QTemporaryDir tools;
        setMachineText(kMsInfoLocationKey, QStringLiteral("MSINFO"), tools.path());
        QVERIFY(writeProgram(tools.filePath(QStringLiteral("MSINFO32.EXE"))));
        launched_.clear();
        box.StartSysInfo();
        QCOMPARE(launched_, QStringList{tools.filePath(QStringLiteral("MSINFO32.EXE"))});

        setMachineText(kMsInfoKey, QStringLiteral("PATH"), QStringLiteral("/opt/tools/sysinfo"));
        launched_.clear();
        launchAnswer_ = false;
        box.StartSysInfo();
        QCOMPARE(launched_.first(), QStringLiteral("/opt/tools/sysinfo"));
        QCOMPARE(boxes_.size(), size_t(2));
    }

    void getKeyValueReadsTextOnly() {
        QString value = QStringLiteral("stale");
        const auto get = [&](const char* name) {
            return frmAbout::GetKeyValue(platform::HKEY_LOCAL_MACHINE, kMsInfoKey, QString::fromLatin1(name), value);
        };
        QVERIFY(!get("PATH"));
        QCOMPARE(value, QString());
        setMachineText(kMsInfoKey, QStringLiteral("PATH"), QStringLiteral("/usr/bin/tool"));
        QVERIFY(get("PATH"));
        QCOMPARE(value, QStringLiteral("/usr/bin/tool"));
        cRegistry reg;
        reg.SetClassKey(platform::HKEY_CURRENT_USER);
        reg.SetSectionKey(kMsInfoKey);
        reg.SetValueKey(QStringLiteral("Number"));
        reg.SetValueType(platform::REG_DWORD);
        reg.SetValue(7);
        QVERIFY(!get("Number"));
        // The value is read into a 1024-byte buffer, terminator included.
        setMachineText(kMsInfoKey, QStringLiteral("Long"), QString(1023, u'x'));
        QVERIFY(get("Long"));
        setMachineText(kMsInfoKey, QStringLiteral("Long"), QString(1024, u'x'));
        QVERIFY(!get("Long"));
    }
};

QTEST_MAIN(TestHelpAbout)
#include "tst_helpabout.moc"
