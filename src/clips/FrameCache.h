#pragma once
// The frames of a clip too large to keep whole, decoded on demand. A thread of its own, with a
// reader of its own, decodes around the frame last asked for and works ahead in the direction the
// requests go; what it decoded stays within a budget of bytes, the frames farthest from the
// position going first. Frame(n) never waits: it gives frame n when it is at hand, else null, and
// then FrameReady(n) follows on the thread the cache lives on once the frame is decoded.
//
// Going backward the thread decodes from the key picture before the frames wanted and keeps the
// whole run, so stepping back within what it holds is a look-up.

#include "platform/VideoFile.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

class cDIBSection;
class WorkerFrames;

class FrameCache : public QObject {
    Q_OBJECT
public:
    // Of the budget, what goes to pictures handed out and to the buffers of the decoders (the
    // cache's reader and the slot's), in frames.
    static constexpr int kOverheadFrames = 10;

    // Frames first .. first + count - 1 of the clip at `path`, each width x height; frame n is the
    // reader's frame n - first. At least two frames are held, whatever the budget.
    // `learnt`, from a reader that went through the clip, spares this one finding out where the
    // frames and key pictures lie.
    FrameCache(const QString& path, int first, int count, int width, int height, std::uint64_t budgetBytes,
               std::shared_ptr<const platform::VideoFile::Layout> learnt = {}, QObject* parent = nullptr);
    ~FrameCache() override;
    FrameCache(const FrameCache&) = delete;
    FrameCache& operator=(const FrameCache&) = delete;

    // Frame n when it is at hand, else null; either way the position moves to n. The picture stays
    // valid until the owner's thread next handles its events.
    cDIBSection* Frame(int n) const;
    // Frame n when it is at hand (or was handed out last), without moving the position.
    cDIBSection* Held(int n) const;
    // Frames the budget holds, and the bytes of one frame.
    int Capacity() const { return capacity_; }
    std::uint64_t FrameBytes() const { return frameBytes_; }
    // Frames held at the moment (at most Capacity()).
    int HeldCount() const;

    // The clip's frames for a worker thread, from a reader of their own opened on first use.
    static std::shared_ptr<WorkerFrames> FramesForWorker(const QString& path, int first);

signals:
    void FrameReady(int n);

private:
    struct Window {
        int low = 0;
        int high = -1;
        bool contains(int n) const { return n >= low && n <= high; }
    };
    Window window() const;        // the frames to hold around the position; under the lock
    int nextWanted() const;       // the most urgent frame neither held nor known bad, or -1
    bool playing() const;         // requests come one frame on, faster than frames decode
    std::chrono::duration<double> restAfter() const;  // without a request for so long, playing ends
    int framesToReach(platform::VideoFile& file, int n, int readerAt) const;
    int playTarget(platform::VideoFile& file, int readerAt) const;  // -1: none can be had in time
    void makeRoom();              // drops frames outside the window until one more fits
    void run();                   // the decoding thread

    const QString path_;
    const std::shared_ptr<const platform::VideoFile::Layout> learnt_;
    const int first_;
    const int count_;
    const int width_;
    const int height_;
    std::uint64_t frameBytes_ = 0;
    int capacity_ = 2;

    mutable std::mutex mutex_;
    mutable std::condition_variable wake_;
    std::map<int, std::shared_ptr<cDIBSection>> held_;
    std::set<int> bad_;  // frames no picture could be had for
    std::shared_ptr<cDIBSection> spare_;  // a dropped frame's memory, for the next one decoded
    mutable int position_;
    mutable int direction_ = 1;
    // Playing: the time between requests one frame apart, and what decoding a frame takes. When
    // frames come slower than they are asked for, the thread aims at a frame it can have ready by
    // the time the position reaches it, instead of at frames that will have gone by.
    mutable std::chrono::steady_clock::time_point steppedAt_{};
    mutable double stepSeconds_ = 0;
    mutable bool outrun_ = false;  // requests one frame on have passed frames not yet decoded
    mutable bool askedAhead_ = false;  // the position's frame was not at hand when asked for
    std::pair<int, std::chrono::steady_clock::time_point> arrived_{-1, {}};  // the frame decoded last, and when
    // What a frame decoded on from the one before and converted takes, and what each frame decoding
    // goes through on the way to another adds (not converted, it costs less): catching up through
    // frames that will not be shown is cheaper than playing them.
    double convertedSeconds_ = 0;
    double throughSeconds_ = 0;
    bool stop_ = false;
    // The last pictures handed out, kept alive even when the thread drops them; owner's thread only.
    mutable std::deque<std::pair<int, std::shared_ptr<cDIBSection>>> pins_;

    std::thread thread_;
};
