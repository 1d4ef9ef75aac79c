// The command line: what it asks for, and --help and --version answered by the real program
// without any display.

#include "shell/CommandLine.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

Q_DECLARE_METATYPE(CommandLine::Action)

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void parse_data() {
        using A = CommandLine::Action;
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<A>("action");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("error");
        QTest::newRow("nothing") << QStringList{} << A::Run << "" << "" << "";
        QTest::newRow("a file") << QStringList{"swing.mp4"} << A::Run << "swing.mp4" << "" << "";
        QTest::newRow("a file and a model") << QStringList{"a.mov", "/m/b.avi"} << A::Run << "a.mov" << "/m/b.avi"
                                            << "";
        QTest::newRow("--help") << QStringList{"--help"} << A::Help << "" << "" << "";
        QTest::newRow("-h after a file") << QStringList{"a.avi", "-h"} << A::Help << "" << "" << "";
        QTest::newRow("--version") << QStringList{"--version"} << A::Version << "" << "" << "";
        QTest::newRow("-v") << QStringList{"-v"} << A::Version << "" << "" << "";
        QTest::newRow("--help wins over a bad option") << QStringList{"--bad", "--help"} << A::Help << "" << ""
                                                       << "";
        QTest::newRow("unknown option") << QStringList{"--fullscreen", "a.avi"} << A::Error << "" << ""
                                        << "unknown option '--fullscreen'";
        QTest::newRow("three files") << QStringList{"a.avi", "b.avi", "c.avi"} << A::Error << "" << ""
                                     << "too many files: give a clip or picture, and at most one model clip";
        QTest::newRow("a file named like an option, after --")
            << QStringList{"--", "-take1.avi", "--help"} << A::Run << "-take1.avi" << "--help" << "";
        QTest::newRow("a lone dash is a name") << QStringList{"-"} << A::Run << "-" << "" << "";
    }
    void parse() {
        QFETCH(QStringList, arguments);
        QFETCH(CommandLine::Action, action);
        QFETCH(QString, file);
        QFETCH(QString, model);
        QFETCH(QString, error);
        const CommandLine line = ParseCommandLine(QStringList{"varkelo"} + arguments);
        QCOMPARE(line.action, action);
        QCOMPARE(line.file, file);
        QCOMPARE(line.model, model);
        QCOMPARE(line.error, error);
    }

    void helpAndVersionNeedNoDisplay_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("--help") << "--help" << "Usage: varkelo [FILE [MODEL]]";
        QTest::newRow("--version") << "--version" << "Varkelo 1.0.0.5";
    }
    void helpAndVersionNeedNoDisplay() {
        QFETCH(QString, option);
        QFETCH(QString, firstLine);
        const QString program = QStringLiteral(VARKELO_PROGRAM_DIR "/varkelo");
        if (!QFile::exists(program)) QSKIP("the program is not built (target varkelo)");
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QLatin1String(name));
        run.setProcessEnvironment(env);
        run.start(program, {option});
        QVERIFY(run.waitForFinished(10000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 0);
        QCOMPARE(QString::fromLocal8Bit(run.readAllStandardOutput()).section(QLatin1Char('\n'), 0, 0), firstLine);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
