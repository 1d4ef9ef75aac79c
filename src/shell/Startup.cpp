#include "shell/Startup.h"

#include "platform/MessageBox.h"
#include "platform/ShutdownSignals.h"
#include "shell/CommandLine.h"
#include "shell/DesktopInput.h"
#include "shell/frmSplash.h"
#include "shell/frm_Main.h"
#include "ui/Artwork.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int RunVarkelo(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("varkelo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Varkelo"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0.5"));
    // Lets the desktop match the windows with the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.varkelo.Varkelo"));
    QApplication::setWindowIcon(AppIcon());
    platform::InstallShownDialogs();
    // Logging out or shutting down ends the program as File > Exit does, settings saved.
    platform::RouteShutdownSignals([](int) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* main = qobject_cast<frm_Main*>(window)) {
                main->close();
                return;
            }
        }
        QApplication::quit();  // still at the splash: nothing to save yet
    });

    const CommandLine line = ParseCommandLine(QApplication::arguments());
    if (line.action == CommandLine::Action::Error) {
        std::fprintf(stderr, "varkelo: %s\nTry 'varkelo --help' for more information.\n", qPrintable(line.error));
        return 2;
    }

    auto* splash = new frmSplash;
    if (!line.file.isEmpty()) {
        QObject::connect(splash, &frmSplash::MainWindowShown, [line](frm_Main* window) {
            // Once the window is on the screen, so that a reader's message has it to sit on.
            QTimer::singleShot(0, window, [window, line] {
                if (auto* input = window->findChild<DesktopInput*>()) input->OpenStartupFiles(line.file, line.model);
            });
        });
    }
    splash->show();
    return app.exec();
}
