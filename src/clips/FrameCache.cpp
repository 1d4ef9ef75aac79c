#include "clips/FrameCache.h"

#include "clips/WorkerFrames.h"

#include "imaging/DibFormat.h"
#include "imaging/cDIBSection.h"
#include "platform/VideoFile.h"

#include <QMetaObject>

#include <algorithm>
#include <cmath>

namespace {

// Pictures handed out that the owner's thread may still be painting from (part of the overhead).
constexpr int kPins = 2;
constexpr double kBurstSeconds = 0.0005;
static_assert(kPins < FrameCache::kOverheadFrames);

bool decodeInto(platform::VideoFile& file, int n, cDIBSection& frame, int width, int height) {
    if (frame.Width() != width || frame.Height() != height || !frame.DIBSectionBitsPtr())
        if (!frame.Create(width, height)) return false;
    return file.ReadFrame(n, frame.DIBSectionBitsPtr(), frame.BytesPerScanLine());
}

}  // namespace

FrameCache::FrameCache(const QString& path, int first, int count, int width, int height,
                       std::uint64_t budgetBytes, std::shared_ptr<const platform::VideoFile::Layout> learnt,
                       QObject* parent)
    : QObject(parent), path_(path), learnt_(std::move(learnt)), first_(first), count_(std::max(0, count)), width_(width), height_(height),
      position_(first) {
    frameBytes_ = std::uint64_t(dib::Stride24(width)) * std::uint64_t(std::max(0, height));
    const std::uint64_t fit = frameBytes_ > 0 ? budgetBytes / frameBytes_ : 0;
    capacity_ = int(std::clamp<std::uint64_t>(fit > kOverheadFrames ? fit - kOverheadFrames : 0, 2,
                                              std::uint64_t(std::max(2, count_))));
    thread_ = std::thread([this] { run(); });
}

FrameCache::~FrameCache() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

cDIBSection* FrameCache::Frame(int n) const {
    if (n < first_ || n >= first_ + count_) return nullptr;
    std::shared_ptr<cDIBSection> frame;
    {
        std::lock_guard lock(mutex_);
        const bool moved = n != position_;
        if (moved) {
            const auto now = std::chrono::steady_clock::now();
            const double since = std::chrono::duration<double>(now - steppedAt_).count();
            // One on from a frame not at hand: the requests do not wait for the frames. Stepping
            // as fast as frames come always waits, and asks again as soon as the frame is there; a
            // player outrun by the decoding does not wait, and when its frames come a little late
            // its next tick still keeps its own time.
            const bool onward = n == position_ + 1;
            const bool playingOn = outrun_ && onward && since < restAfter().count();
            const bool cameLate = askedAhead_ && arrived_.first == position_ && since < 0.25 &&
                                  now - arrived_.second > 0.25 * (now - steppedAt_);
            outrun_ = playingOn || (onward && ((!held_.count(position_) && !bad_.count(position_)) || cameLate));
            // A player's ticks jitter: while it plays on, their interval is smoothed.
            stepSeconds_ = !onward ? 0 : playingOn ? 0.8 * stepSeconds_ + 0.2 * since : since;
            steppedAt_ = now;
            // A jump keeps the direction the requests went last.
            direction_ = n > position_ ? 1 : -1;
            position_ = n;
            wake_.notify_one();
        }
        if (auto it = held_.find(n); it != held_.end()) frame = it->second;
        // Whether the frame was at hand when first asked for: asking again once it is there
        // (a repaint when it comes) changes nothing.
        if (moved) askedAhead_ = !frame;
    }
    if (!frame) return nullptr;
    if (pins_.empty() || pins_.back().first != n) {
        pins_.emplace_back(n, frame);
        if (int(pins_.size()) > kPins) pins_.pop_front();
    }
    return frame.get();
}

cDIBSection* FrameCache::Held(int n) const {
    {
        std::lock_guard lock(mutex_);
        if (auto it = held_.find(n); it != held_.end()) return it->second.get();
    }
    for (const auto& [number, frame] : pins_)
        if (number == n) return frame.get();
    return nullptr;
}

int FrameCache::HeldCount() const {
    std::lock_guard lock(mutex_);
    return int(held_.size());
}

FrameCache::Window FrameCache::window() const {
    const int last = first_ + count_ - 1;
    // Most of the budget lies ahead in the direction of travel, a quarter behind for stepping back.
    const int behind = capacity_ / 4;
    const int ahead = capacity_ - 1 - behind;
    Window w;
    w.low = position_ - (direction_ > 0 ? behind : ahead);
    w.high = position_ + (direction_ > 0 ? ahead : behind);
    if (w.low < first_) {
        w.high += first_ - w.low;
        w.low = first_;
    }
    if (w.high > last) {
        w.low = std::max(first_, w.low - (w.high - last));
        w.high = last;
    }
    return w;
}

int FrameCache::nextWanted() const {
    const Window w = window();
    const auto missing = [&](int n) { return w.contains(n) && !held_.count(n) && !bad_.count(n); };
    if (missing(position_)) return position_;
    for (int k = 1; k < capacity_; ++k)
        if (missing(position_ + direction_ * k)) return position_ + direction_ * k;
    for (int k = 1; k < capacity_; ++k)
        if (missing(position_ - direction_ * k)) return position_ - direction_ * k;
    return -1;
}

bool FrameCache::playing() const {
    // Requests a fraction of a millisecond apart are no player's ticks but steps through frames
    // already held: the frame such a run stops at is wanted at once, not when it could be in time.
    // Once outrun, playing goes on until the requests stop (aiming at the nearest frame that can be
    // in time is then the next one whenever decoding keeps up).
    if (!outrun_ || stepSeconds_ < kBurstSeconds || stepSeconds_ >= 1) return false;
    // Requests that stop coming end it: the frame the position rests on is then decoded whatever.
    return std::chrono::steady_clock::now() - steppedAt_ < restAfter();
}

std::chrono::duration<double> FrameCache::restAfter() const {
    return std::chrono::duration<double>(2 * stepSeconds_ + 0.05);
}

// The frames decoding goes through to reach frame n from where the reader is; a jump counts a few
// more, for the decoder's threads filling up again. The reader decodes on into a key picture that
// comes next (it has it already, waiting to be shown).
int FrameCache::framesToReach(platform::VideoFile& file, int n, int readerAt) const {
    const int key = file.KeyFrameOf(n - first_);
    const int start = key < 0 ? n : key + first_;
    const bool onward = readerAt + 1 >= start && readerAt < n;
    return n - (onward ? readerAt + 1 : start) + 1 + (onward ? 0 : 2);
}

int FrameCache::playTarget(platform::VideoFile& file, int readerAt) const {
    // The nearest frame ahead that can be decoded before the position reaches it, with half a
    // frame to spare: the target costs a converted frame, each frame decoding goes through on the
    // way only its decode. (A margin in proportion to the time left refused every frame decoded on
    // whenever decoding was only a little faster than the ticks: the reader then waited for the
    // next key picture instead of catching up through the frames on the way.)
    const Window w = window();
    const double sinceTick = std::chrono::duration<double>(std::chrono::steady_clock::now() - steppedAt_).count();
    for (int t = position_ + 1; t <= w.high; ++t) {
        if (held_.count(t) || bad_.count(t)) continue;
        const double needs = 1.5 * convertedSeconds_ + throughSeconds_ * (framesToReach(file, t, readerAt) - 1);
        if (needs < (t - position_) * stepSeconds_ - sinceTick) return t;
    }
    return -1;
}

void FrameCache::makeRoom() {
    const Window w = window();
    while (int(held_.size()) >= capacity_) {
        auto farthest = held_.end();
        int distance = -1;
        for (auto it = held_.begin(); it != held_.end(); ++it) {
            if (w.contains(it->first)) continue;
            const int d = std::abs(it->first - position_);
            if (d > distance) {
                distance = d;
                farthest = it;
            }
        }
        if (farthest == held_.end()) return;
        // Memory the system has already handed over is cheaper to fill than fresh memory.
        if (farthest->second.use_count() == 1) spare_ = std::move(farthest->second);
        held_.erase(farthest);
    }
}

void FrameCache::run() {
    platform::VideoFile file;
    const bool opened = file.Open(path_, learnt_) == platform::VideoFile::OpenResult::Ok && file.Width() == width_ &&
                        file.Height() == height_;
    std::shared_ptr<cDIBSection> lastGood;
    int readerAt = first_;  // the frame the reader decoded last
    std::unique_lock lock(mutex_);
    if (!opened) return;
    for (;;) {
        int target = -1;
        wake_.wait(lock, [&] { return stop_ || (target = nextWanted()) >= 0; });
        if (stop_) return;
        if (playing()) {
            // Playing faster than frames decode: the frames the position will have passed by the time
            // they are decoded are not worth their conversion; decoding goes through them, or jumps.
            target = playTarget(file, readerAt);
            if (target < 0) {
                const int at = position_;
                wake_.wait_for(lock, restAfter(), [&] { return stop_ || position_ != at; });
                continue;
            }
        }
        // Decoding reaches the target from its key picture; the frames on the way that are wanted
        // too are kept. Going backward the run starts at the window's low end (decoding from the
        // key picture before it), so that the steps back that follow find their frames.
        int from = target;
        if (playing()) {
            from = target;
        } else if (direction_ < 0) {
            from = window().low;
        } else {
            lock.unlock();
            const int key = file.KeyFrameOf(target - first_);
            lock.lock();
            if (key >= 0) from = std::max(key + first_, window().low);
        }
        for (int n = from; n <= target && !stop_; ++n) {
            const Window w = window();
            if (!w.contains(target)) break;  // the position moved away meanwhile
            if (!w.contains(n) || held_.count(n) || bad_.count(n)) continue;
            makeRoom();
            auto frame = spare_ ? std::move(spare_) : std::make_shared<cDIBSection>();
            lock.unlock();
            const int through = framesToReach(file, n, readerAt);
            const bool keyPicture = file.KeyFrameOf(n - first_) == n - first_;
            const auto started = std::chrono::steady_clock::now();
            const bool decoded = decodeInto(file, n - first_, *frame, width_, height_);
            const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            lock.lock();
            readerAt = n;
            const auto blend = [](double& estimate, double seen) { estimate = 0.7 * estimate + 0.3 * seen; };
            if (convertedSeconds_ <= 0) {
                convertedSeconds_ = took / std::max(1, through);
                // Until frames are gone through, decoding one is taken for half of what a frame takes.
                throughSeconds_ = convertedSeconds_ / 2;
            } else if (through > 1) {
                blend(throughSeconds_, std::max(0.0, took - convertedSeconds_) / (through - 1));
            } else if (!keyPicture) {
                // (A key picture takes longer than the frames after it, and would make them look slower.)
                blend(convertedSeconds_, took);
            }
            if (decoded) {
                lastGood = frame;
            } else {
                // A frame that cannot be decoded shows the last good picture, silently.
                const auto before = held_.find(n - 1);
                frame = before != held_.end() ? before->second : lastGood;
            }
            if (!frame) {
                bad_.insert(n);
                continue;
            }
            held_[n] = std::move(frame);
            arrived_ = {n, std::chrono::steady_clock::now()};
            QMetaObject::invokeMethod(this, [this, n] { emit FrameReady(n); }, Qt::QueuedConnection);
        }
    }
}

std::shared_ptr<WorkerFrames> FrameCache::FramesForWorker(const QString& path, int first) {
    class Decoded : public WorkerFrames {
    public:
        Decoded(const QString& path, int first) : path_(path), first_(first) {}
        const cDIBSection* Frame(int n) override {
            if (!opened_) {
                opened_ = true;
                if (file_.Open(path_) != platform::VideoFile::OpenResult::Ok) file_.Close();
            }
            if (!file_.IsOpen()) return nullptr;
            // A frame that cannot be decoded leaves the picture before it in the buffer.
            if (decodeInto(file_, n - first_, frame_, file_.Width(), file_.Height())) any_ = true;
            return any_ ? &frame_ : nullptr;
        }

    private:
        const QString path_;
        const int first_;
        platform::VideoFile file_;
        cDIBSection frame_;
        bool opened_ = false;
        bool any_ = false;
    };
    return std::make_shared<Decoded>(path, first);
}
