#include "shell/Startup.h"

#include <QApplication>
#include <QMainWindow>

int RunVarkelo(QApplication& app) {
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("Golf Swing Analysis"));
    w.show();
    return app.exec();
}
