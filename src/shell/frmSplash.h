#pragma once
// The start-up window: shows the program's picture for three seconds, then hands over
// to the main window and unloads itself.

#include <QWidget>

class QLabel;
class QTimer;
class frm_Main;

class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    QLabel* imgLogo = nullptr;
    QTimer* Timer1 = nullptr;

    // Timer1's tick: shows the main window and unloads the splash. Returns the window.
    frm_Main* Timer1_Timer();

signals:
    void MainWindowShown(frm_Main* window);
};
