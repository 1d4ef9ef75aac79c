#pragma once
// Builds the main window's controls, menus and tool windows into its MainWidgets and places them
// by the layout computed from the screen; after a resize, lays them out again for the new size.

#include "shell/MainLayout.h"

#include <QObject>
#include <QSize>
#include <QSizeF>

#include <functional>

class FrameStrip;
class MainCommands;
class QMainWindow;
class cMRUFileList;
struct Globals;
struct MainState;
struct MainWidgets;

class MainControls : public QObject {
public:
    struct Hooks {
        std::function<void(int index)> fileItem;  // a File menu item chosen
        std::function<void()> exportPicture;
        std::function<void()> exportVideo;
        std::function<void(int index)> thumbnailClicked;
        // After a resize with a clip loaded: the clip fitted to the canvas again and painted.
        std::function<void()> refitClip;
    };
    // The toolbar and the Tools menu carry `commands`' actions. The layout's screen units, the
    // working folder and the tool windows' places are kept in `program`.
    MainControls(QMainWindow& window, MainWidgets& controls, const MainState& state, Globals& program,
                 MainCommands& commands, Hooks hooks);

    // The geometry the load step computed, in twips.
    const MainLayout& Layout() const { return layout_; }
    FrameStrip& Strip() const { return *strip_; }

    // The load's first step: the layout computed for the screen, the window filling its room.
    void LayOut();
    // Once the settings are read: the status bar, the controls in their places, the browser in
    // the working folder, the tool windows where they were left, the logo.
    void Place();
    // The recent files' items of the File menu.
    void ShowRecentFiles(const cMRUFileList& mru);
    void ClockTick();

    // The window was shown, or resized.
    void Shown();
    void Resized();

private:
    void buildControls();
    void buildMenus();
    void placeControls();
    // The controls' places from layout_ (the browser's folders are left alone).
    void placeControlGeometry();
    // After the window was resized: the layout scaled to its new size, the frames fitted
    // again to the canvas and painted.
    void fitLayoutToWindow();
    // The strip's thumbnails laid out again in the units of the layout in place.
    void reflowThumbnails();
    void placeToolWindows();

    QMainWindow& window_;
    MainWidgets& c_;
    const MainState& s_;
    Globals& program_;
    MainCommands& commands_;
    Hooks hooks_;
    FrameStrip* strip_ = nullptr;
    MainLayout layout_;
    DesignSizes design_;
    // The window's size when first shown, where it has the designed layout; later sizes scale
    // the layout from it. Empty until then.
    QSize designedSize_;
    QSizeF layoutScale_{1, 1};  // of the layout in place
};
