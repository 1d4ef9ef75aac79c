#pragma once
// File > Export Picture and Export Video: the save dialog, the questions and refusals, the
// picture written at once, and the video made on a worker thread behind a progress dialog with
// Cancel that keeps the window alive.

#include "platform/FileDialog.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

struct ExportRangeAnswer;
struct FrameStore;
class CanvasPainter;
class QProgressDialog;
class QTimer;
class QWidget;
class VideoExporter;
struct VideoExportJob;

// What the exports ask the window around them, when they need it.
struct ExportHooks {
    // The model frame shown with video frame v when the model shows m (the key positions' sync).
    std::function<int(int v, int m)> modelFrameFor;
    // Where the save dialog starts.
    std::function<QString()> startFolder;
};

class ExportController : public QObject {
    Q_OBJECT
public:
    // `owner` carries the dialogs; the current frames are the window's own.
    ExportController(FrameStore& video1, FrameStore& model, CanvasPainter& painter, const short& currentVideoFrame,
                     const short& currentModelFrame, QWidget* owner, ExportHooks hooks);
    ~ExportController() override;

    // Asks for a name and writes the canvas's picture there.
    void ExportPicture(bool clipLoaded);
    // Asks for the frames and a name, then writes the MP4 in the background.
    void ExportVideo(bool clipLoaded, int clipKind);
    // Everything an export of video frames from..to needs, taken now: the view, the effects,
    // the marks, and the model frame that goes with each frame.
    VideoExportJob JobFor(int from, int to);
    bool Running() const { return !poll_.isNull(); }
    // Cancels a running export and waits for it: called before a clip's frames are released.
    void Stop();

private:
    // Why a video of frames first..last cannot be exported before the frames are asked for, and
    // why the frames answered cannot; empty when they can.
    static QString refusal(bool clipLoaded, int clipKind, int first, int last);
    static QString rangeRefusal(const ExportRangeAnswer& range, int first, int last);
    // The save dialog of both exports: the chosen path, or empty when the user backed out.
    QString askTarget(const QString& title, const QString& fileName, std::vector<platform::FileFilterPair> filters,
                      const QString& defaultExt);
    void finish();

    FrameStore& video1_;
    FrameStore& model_;
    CanvasPainter& painter_;
    const short& currentVideoFrame_;
    const short& currentModelFrame_;
    QWidget* owner_;
    ExportHooks hooks_;
    std::unique_ptr<VideoExporter> exporter_;
    QPointer<QProgressDialog> progress_;
    QPointer<QTimer> poll_;  // alive while an export runs
};
