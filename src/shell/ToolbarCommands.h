#pragma once
// The commands of the main toolbar and the menus, by the numbers of the window design: toolbar
// button `index`, Tools item `index`, File item `index`. They carry out their work through the
// window's parts; the toolbar's buttons and the menu items follow the program's state after.

#include <QString>

class MainParts;
class QPoint;
class QWidget;
class ToolWindow;
struct MainState;
struct MainWidgets;

// The "Open AVI File" dialog with `filter`, starting in `folder`. When the user chose a file: its
// path, and `folder` becomes the chosen file's folder, up to and including the last "/".
bool AskForClip(QWidget* owner, const QString& filter, QString& folder, QString& path);

class ToolbarCommands {
public:
    ToolbarCommands(QWidget& window, MainWidgets& controls, MainState& state, MainParts& parts);

    void Toolbar(int index);
    void ToolsItem(int index);
    void FileItem(int index);
    // After a clip or picture was opened: the Tools menu and the clip's toolbar buttons
    // come alive, and the full view is on.
    void ShowClipCommands();

    // Tool windows appear at their stored position and store it when hidden.
    static void ShowToolWindow(ToolWindow* window, const QPoint& positionTwips);
    static void HideToolWindow(ToolWindow* window, QPoint& positionTwips);

private:
    // Button 1: a clip or picture chosen in the dialog, opened into video 1.
    void open();
    void toggleImageTool();
    // Button 5: the canvas as the user sees it to the clipboard.
    void copyImage();
    void toggleModelAdjust();

    QWidget& window_;
    MainWidgets& c_;
    MainState& s_;
    MainParts& parts_;
};
