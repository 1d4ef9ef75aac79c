// The command line: what it asks for, and --help and --version answered by the real program
// without any display.

#include "shell/CommandLine.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

class TestCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("parsed");  // action (0 run, 1 help, 2 version, 3 error)|file|model|error
        QTest::newRow("nothing") << QStringList{} << "0|||";
        QTest::newRow("a file and a model") << QStringList{"a.mov", "/m/b.avi"} << "0|a.mov|/m/b.avi|";
        QTest::newRow("-h after a file") << QStringList{"a.avi", "-h"} << "1|||";
        QTest::newRow("-v") << QStringList{"-v"} << "2|||";
        QTest::newRow("--help wins over a bad option") << QStringList{"--bad", "--help"} << "1|||";
        QTest::newRow("unknown option")
            << QStringList{"--fullscreen", "a.avi"} << "3|||unknown option '--fullscreen'";
        QTest::newRow("three files")
            << QStringList{"a.avi", "b.avi", "c.avi"}
            << "3|||too many files: give a clip or picture, and at most one model clip";
        QTest::newRow("a file named like an option, after --")
            << QStringList{"--", "-take1.avi", "--help"} << "0|-take1.avi|--help|";
        QTest::newRow("a lone dash is a name") << QStringList{"-"} << "0|-||";
    }
    void parse() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, parsed);
        const CommandLine line = ParseCommandLine(QStringList{"varkelo"} + arguments);
        QCOMPARE(
            QStringList({QString::number(int(line.action)), line.file, line.model, line.error}).join('|'),
            parsed);
    }

    void helpAndVersionNeedNoDisplay() {
        const QString program = QStringLiteral(VARKELO_PROGRAM_DIR "/varkelo");
        if (!QFile::exists(program)) QSKIP("the program is not built (target varkelo)");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
        QStringList firstLines;  // of what each option prints, on a clean exit
        for (const char* option : {"--help", "--version"}) {
            QProcess run;
            run.setProcessEnvironment(env);
            run.start(program, {option});
            const bool clean =
                run.waitForFinished(10000) && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0;
            firstLines << (clean ? QString::fromLocal8Bit(run.readAllStandardOutput()).section('\n', 0, 0)
                                 : QStringLiteral("failed"));
        }
        QCOMPARE(firstLines, QStringList({"Usage: varkelo [FILE [MODEL]]", "Varkelo 1.0.0.5"}));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
