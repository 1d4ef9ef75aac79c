#pragma once
// The main window's parts below its controls, built and wired together: the canvas painter, the
// model adjuster, the exports, the clip opener and file browser, the clip player, the drawing,
// the key positions, the model's views and insertion, the zoom, the commands, the recent files
// and the marks sidecar. Each gets the window's controls and state by reference and hooks to the
// others; the window's members hand their work on to them.

#include "compare/CanvasPainter.h"
#include "compare/ExportController.h"
#include "compare/ModelAdjuster.h"
#include "overlay/MarksStore.h"
#include "shell/ToolbarCommands.h"

#include <QObject>

#include <memory>

class ClipOpener;
class FileBrowser;
class MainControls;
class ModelInsertion;
class ModelViews;
class MoviePreview;
class QMainWindow;
class cMRUFileList;
struct MainState;
struct MainWidgets;
namespace playback {
class ClipPlayer;
}
namespace platform {
class PictureBox;
}

class MainParts : public QObject {
    Q_OBJECT
public:
    // Builds the controls into `controls` and everything that works on them.
    MainParts(QMainWindow& window, MainWidgets& controls, MainState& state);
    ~MainParts() override;

    CanvasPainter Canvas;
    ModelAdjuster Adjuster;
    ExportController Exports;

    MainControls& Controls() { return *controls_; }
    ToolbarCommands& Commands() { return commands_; }
    playback::ClipPlayer& Player() { return *player_; }
    cMRUFileList& MRU() { return *mru_; }
    // Made at first use, children of the window.
    ModelViews& Views();
    ModelInsertion& ModelSlot();

    // The window's load step: layout, settings, controls in place.
    void Load();
    // The shut-down order: settings saved, tool windows unloaded, the clips' marks saved and
    // their frames released.
    void Unload();

    // Reading clips and pictures into the frame stores; see ClipOpener.
    bool OpenClip(const QString& path);
    bool OpenModel(const QString& path);
    bool OpenPicture(const QString& path);
    // The clip's panel; `shownFrame` is the frame on the canvas (the current one when negative).
    void ShowVideoInfo(platform::PictureBox& box, int shownFrame);
    // Video 1 at thumbnail `index`'s frame.
    void ShowThumbnail(int index);
    void FileMouseUp(int button, int shift);
    void AddRecentFile(const QString& path);
    // File > Export Picture and Export Video, kept away from a load.
    void ExportPicture();
    void ExportVideo();

signals:
    // Frame iFrame of video 1 is on the canvas now.
    void FrameShown(short iFrame);

private:
    CanvasHooks canvasHooks();
    ExportHooks exportHooks();
    void connectPlayer();
    void connectDrawing();
    void connectModelAdjustment();
    void connectClips();
    void connectBrowser();
    void connectKeysAndZoom();
    void loadSettings();
    // Frame CurrentVideoFrame of video 1 painted again.
    void paintCurrent();
    // After a resize: a clip fitted anew to the canvas in the view that is on, and painted.
    void refitClip();
    // The marks of the clip or picture in video 1 go to its sidecar before it is released, and
    // those of the one opened come from its own (the key positions with them, for a clip).
    // `quietly`: a failure is only logged (the program is ending).
    void leaveMarks(bool quietly);
    void enterMarks(const QString& path, bool isClip);

    QMainWindow& window_;
    MainWidgets& c_;
    MainState& s_;
    ToolbarCommands commands_;
    std::unique_ptr<cMRUFileList> mru_;
    std::unique_ptr<MainControls> controls_;
    playback::ClipPlayer* player_ = nullptr;
    ModelViews* views_ = nullptr;
    ModelInsertion* modelSlot_ = nullptr;
    std::unique_ptr<ClipOpener> opener_;
    std::unique_ptr<FileBrowser> browser_;
    std::unique_ptr<MoviePreview> preview_;  // the clip playing under the file list
    ClipMarks clipMarks_;
};
