#include "shell/HelpMenu.h"

#include "platform/HelpViewer.h"
#include "shell/frmAbout.h"

#include <QCoreApplication>
#include <QFileInfo>

QString HelpFolder() {
    return QCoreApplication::applicationDirPath();
}

bool OpenHelpFile(const QString& path, QWidget* owner, int context) {
    if (!QFileInfo(path).isFile()) return false;
    platform::HelpRequest request;
    request.path = path;
    request.owner = owner;
    if (context == 0) {
        request.command = platform::HH_DISPLAY_TOPIC;
        request.data = 0;
    } else {
        request.command = platform::HH_HELP_CONTEXT;
        request.data = context;
    }
    return platform::ShowHelpPage(request);
}

void mnuhelp_Click(int index, QWidget* mainWindow) {
    switch (index) {
        case mnuhelpVarkelo:
            OpenHelpFile(HelpFolder() + QStringLiteral("/varkhelp.html"), mainWindow, 0);
            break;
        case mnuhelpGolfSwing:
            OpenHelpFile(HelpFolder() + QStringLiteral("/varkelo.html"), mainWindow, 0);
            break;
        case mnuhelpAbout:
            frmAbout::ShowAbout(mainWindow);
            break;
        default:
            break;  // the separator
    }
}
