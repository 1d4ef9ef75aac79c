#include "shell/CommandLine.h"
#include "shell/Startup.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    // --help and --version answer before there is any window system to talk to.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine early = ParseCommandLine(arguments);
    if (early.action == CommandLine::Action::Help || early.action == CommandLine::Action::Version) {
        const QString text = early.action == CommandLine::Action::Help ? CommandLineUsage() : VersionText();
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return 0;
    }
    QApplication app(argc, argv);
    return RunVarkelo(app);
}
