#pragma once

class QApplication;

// Program entry: reads the command line (the toolkit's own options already taken out), shows
// the splash, which then hands over to the main window, and opens the files it was given there.
// A command line it cannot follow is reported on the error output, with status 2.
int RunVarkelo(QApplication& app);
