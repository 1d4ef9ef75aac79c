#pragma once
// Reads every frame of an opened clip on a thread of its own (the decoder adds its own frame
// threads), so that the thread that made the loader stays free to repaint and to hear the
// user. Each frame, with its thumbnail scaled once on the reading thread, changes hands whole:
// the reading thread lets go of it when it posts it, and the loader's thread takes it in order.

#include "clips/FrameStore.h"

#include <QImage>
#include <QObject>
#include <QSize>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class cDIBSection;
class cVideo;
class FrameArena;

class ClipLoader : public QObject {
    Q_OBJECT
public:
    enum class Outcome { Running, Complete, Cancelled, Failed };

    struct Frame {
        int index = 0;  // counted from the clip's first frame
        int count = 0;  // the clip's frames as known when this one was read
        // Null when the frame could not be decoded (it shows the last good picture), and for a
        // clip decoded on demand, whose frames stay with its cache (all but the first, shown at once).
        std::unique_ptr<cDIBSection> picture;
        bool decoded = false;
        QImage thumbnail;  // at its thumbnail's size; null without thumbnails or picture
    };

    // `thumbnailSizes[i]` is the size of frame i's thumbnail, the last one that of any frame
    // beyond; none, no thumbnails.
    explicit ClipLoader(std::unique_ptr<cVideo> clip, std::vector<QSize> thumbnailSizes = {},
                        QObject* parent = nullptr);
    // Cancels a load still running and waits for its thread.
    ~ClipLoader() override;
    ClipLoader(const ClipLoader&) = delete;
    ClipLoader& operator=(const ClipLoader&) = delete;

    void Start();
    // The reading stops after the frame being decoded; Finished(Cancelled) follows unless the
    // load had already ended. Any thread may call it.
    void Cancel();
    Outcome Result() const { return outcome_; }

    // Runs an event loop until the load has finished and every frame was handed to `take`, in
    // order, on this thread. A `take` that runs an event loop of its own (a message box) is not
    // entered again: the frames arriving meanwhile follow once it returns.
    Outcome Wait(const std::function<void(Frame&)>& take);

    // Once finished: the reader, whose count is what the reading found.
    std::unique_ptr<cVideo> TakeClip();
    // Once finished: `store` takes what the reading settled, the block the frames were read into
    // and whether the clip is decoded on demand, with its share of the memory budget.
    void HandOver(FrameStore& store);

signals:
    void FrameLoaded(int index, int count);
    void Finished(ClipLoader::Outcome outcome);

private:
    void read();
    // On the reading thread: hands a frame over, or says the reading has ended.
    void post(Frame frame);
    void postEnd(Outcome outcome);
    // On this thread: takes what the reading thread handed over.
    void collect();
    void finish(Outcome outcome);

    std::unique_ptr<cVideo> clip_;
    const std::vector<QSize> thumbnailSizes_;
    // The reading thread's alone until it is joined: it reserves the block and fills the slots.
    FrameStore staging_;
    std::atomic<bool> cancel_{false};
    // The hand-over between the two threads.
    std::mutex handOverLock_;
    std::deque<Frame> handedOver_;
    std::optional<Outcome> ended_;
    std::thread thread_;
    Outcome outcome_ = Outcome::Running;
    std::deque<Frame> arrived_;
};
