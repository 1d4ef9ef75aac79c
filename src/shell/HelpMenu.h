#pragma once
// The Help menu: the two help pages beside the program and the About box.

#include <QString>

class QWidget;

// Menu item positions of the Help menu (mnuhelp).
enum HelpMenuItem : int {
    mnuhelpVarkelo = 0,    // "Varkelo": how to use the program
    mnuhelpGolfSwing = 1,  // "Golf Swing": notes on swing analysis
    mnuhelpSeparator = 2,
    mnuhelpAbout = 3,  // "About Varkelo"
};

// The folder the help pages are read from: the program's own folder.
QString HelpFolder();

// Shows a help page. False, with nothing shown, when there is no file at path; true when
// the viewer shows the page. A non-zero context asks for that context within the page.
bool OpenHelpFile(const QString& path, QWidget* owner, int context);

// Runs the action of Help menu item index; mainWindow owns the viewer and the About box.
void mnuhelp_Click(int index, QWidget* mainWindow);
