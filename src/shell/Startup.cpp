#include "shell/Startup.h"

#include "platform/ShutdownSignals.h"
#include "shell/Artwork.h"
#include "shell/frmSplash.h"
#include "shell/frm_Main.h"

#include <QApplication>

int RunVarkelo(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("varkelo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Varkelo"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0.5"));
    QApplication::setWindowIcon(AppIcon());
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
    auto* splash = new frmSplash;
    splash->show();
    return app.exec();
}
