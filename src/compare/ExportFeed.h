#pragma once
// The pictures of a video export, made ahead of the encoder: a thread of its own composes each
// frame, lays the marks over it and converts it to 4:2:0 while the encoder takes the ones
// before. At most `depth` finished pictures wait, so memory stays bounded whatever the clip.
// The feed's thread owns its compositor, its RGB picture and its converter; a finished picture
// belongs to the feed until Next hands it out, and to the caller until Recycle takes it back.

#include "compare/VideoExporter.h"
#include "platform/FfmpegOwners.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

class ExportFeed {
public:
    // `first` is the job's first frame already composed (at the frame's own size); the
    // pictures sent are `width` x `height`, both even.
    ExportFeed(const VideoExportJob& job, QImage first, int width, int height, int depth = 3);
    // Stops the thread (a frame's work at most) and frees what it holds.
    ~ExportFeed();
    ExportFeed(const ExportFeed&) = delete;
    ExportFeed& operator=(const ExportFeed&) = delete;

    // The next picture in the job's order, waiting for it if need be; null when the feed
    // failed (Error says why).
    platform::FramePtr Next();
    // A picture the encoder has taken, for the feed to fill again.
    void Recycle(platform::FramePtr picture);
    QString Error() const;

private:
    void run(QImage first);
    bool fill(AVFrame* yuv, const QImage& picture);

    const VideoExportJob& job_;
    const int width_, height_, depth_;
    QRect marked_;  // where the marks layer has anything to lay
    platform::FramePtr rgb_;
    platform::SwsPtr sws_;

    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::deque<platform::FramePtr> ready_, spare_;
    bool stop_ = false;
    QString error_;
    std::thread thread_;
};
