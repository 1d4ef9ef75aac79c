#pragma once
// Export Video: frames of video 1 as the canvas shows them (effects, the model blended or
// beside it, the marks), at the frame's own resolution, encoded as H.264 in an MP4 that phones
// play. Everything it needs is in the job, taken on the window's thread before it starts; the
// encoding runs on a thread of its own, fed by a second one that makes the pictures ahead of it
// (ExportFeed), and writes under a temporary name in the target's folder, which takes the
// chosen name only when the file is complete.

#include "compare/FrameCompositor.h"

#include <QImage>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

class cDIBSection;
class WorkerFrames;

struct VideoExportJob {
    QString target;  // the final name
    // One entry per output frame: video 1's picture and the model's (null: no model).
    // They stay in their stores, which must hold them until the export has ended.
    struct Pictures {
        const cDIBSection* frame = nullptr;
        const cDIBSection* model = nullptr;
        // Where a picture is null, the frame number to read from the sources below (-1: none).
        int videoFrame = -1;
        int modelFrame = -1;
    };
    std::vector<Pictures> frames;
    // Frames the job does not hold, read on the export's thread.
    std::shared_ptr<WorkerFrames> videoFrames;
    std::shared_ptr<WorkerFrames> modelFrames;
    CompositeGeometry geometry;
    CompositeEffects effects;
    // The marks at the output size, transparent elsewhere (null: no marks).
    QImage marks;
    double framesPerSecond = 25;
};

struct VideoExportResult {
    enum Outcome { Done, Cancelled, Failed };
    Outcome outcome = Failed;
    QString message;  // for Failed: what to tell the user
};

// Output frame i of the job as the canvas shows it, at the frame's own size: the job's own
// pictures, or read from its sources on the calling thread (the one thread that reads them).
QImage ComposeExportFrame(const VideoExportJob& job, FrameCompositor& compositor, size_t i);

class VideoExporter {
public:
    // The encoder's settings (the benchmark's plain encode uses the same): x264's preset and
    // constant quality, and swscale's filter for the conversion to 4:2:0.
    static constexpr const char* kPreset = "veryfast";
    static constexpr const char* kQuality = "16";
    static constexpr int kScaleFlags = 0x4 | 0x40000 | 0x4000;  // SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INP

    ~VideoExporter();

    // The name the clip is written under: one without ".mp4" gets it.
    static QString TargetName(const QString& chosen);

    // Writes the job on the calling thread. `progress` hears the number of frames done
    // after each one; a `cancel` that turns true stops it at the next frame. Whatever the
    // outcome but Done, the target holds what it held before and no other file is left.
    static VideoExportResult Write(const VideoExportJob& job, const std::atomic<bool>& cancel,
                                   const std::function<void(int)>& progress = {});

    // The same on a thread of its own; Progress and Finished may be read from any thread.
    void Start(VideoExportJob job);
    bool Running() const { return worker_.joinable() && !finished_; }
    bool Finished() const { return finished_; }
    int Progress() const { return done_; }
    // Stops a running export and waits for its thread (a frame's work at most).
    void Cancel();
    // Waits for the thread to end and gives its result (once Finished).
    VideoExportResult Take();

private:
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> finished_{false};
    std::atomic<int> done_{0};
    VideoExportResult result_;
};
