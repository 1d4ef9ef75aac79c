#pragma once
// The model inserted beside video 1 and closed again: its frames, its playback, its share of
// the video controls and of the views. The window answers the file dialog, keeps the key
// positions and paints; this class decides the order of the steps.

#include <QObject>
#include <QString>

#include <functional>

struct FrameStore;
class ModelViews;
class QScrollBar;
class QTimer;
class QWidget;
class frmVideoControls;
namespace platform {
class PictureBox;
}

class ModelInsertion : public QObject {
    Q_OBJECT
public:
    struct Parts {
        FrameStore& model;
        platform::PictureBox& canvas;
        QScrollBar& modelPan;
        frmVideoControls& controls;
        QWidget& adjustTool;  // the model adjustment window
        QTimer& videoTimer;
        QTimer& modelTimer;
        QTimer& bothTimer;
        ModelViews& views;
    };
    // The program's records this class keeps up.
    struct State {
        bool& modelShown;
        bool& modelAdjust;
        bool& stopped;
        short& modelFrame;
        QString& modelFolder;  // where the dialog starts; becomes the chosen file's folder
    };
    struct Hooks {
        // The open dialog with `filter`, starting in `folder`; false when cancelled.
        std::function<bool(const QString& filter, QString& folder, QString& path)> chooseFile;
        // Reads the clip into the model's store; false (after saying why) when it cannot.
        std::function<bool(const QString& path)> open;
        std::function<bool()> splitView;  // the split view's button is down
        std::function<void()> refreshCommands;
        std::function<void()> stopExport;  // a running video export, cancelled and waited for
        std::function<void()> forgetKeys;  // the model's key positions go with it
        std::function<void(short frame)> paintModel;
        std::function<void()> paintVideo;
    };
    ModelInsertion(QObject* parent, const Parts& parts, const State& state, Hooks hooks);

    // Asks for a clip and inserts it.
    void Insert();
    // Inserts the clip at `path`; false when it could not be read.
    bool InsertFile(const QString& path);
    void Close();

private:
    Parts parts_;
    State state_;
    Hooks hooks_;
};
