#pragma once

class QApplication;

// Program entry: shows the splash, which then hands over to the main window.
int RunVarkelo(QApplication& app);
