#include "shell/Startup.h"

#include "shell/Artwork.h"
#include "shell/frmSplash.h"

#include <QApplication>

int RunVarkelo(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("varkelo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Varkelo"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0.5"));
    QApplication::setWindowIcon(AppIcon());
    auto* splash = new frmSplash;
    splash->show();
    return app.exec();
}
