#include "clips/ClipLoader.h"

#include "clips/cVideo.h"
#include "imaging/cDIBSection.h"

#include <QEventLoop>

#include <utility>
#include <vector>

ClipLoader::ClipLoader(std::unique_ptr<cVideo> clip, std::vector<QSize> thumbnailSizes, QObject* parent)
    : QObject(parent), clip_(std::move(clip)), thumbnailSizes_(std::move(thumbnailSizes)) {}

ClipLoader::~ClipLoader() {
    Cancel();
    if (thread_.joinable()) thread_.join();
}

void ClipLoader::Start() {
    if (thread_.joinable() || outcome_ != Outcome::Running) return;
    if (!clip_) {
        finish(Outcome::Failed);
        return;
    }
    thread_ = std::thread([this] { read(); });
}

void ClipLoader::Cancel() { cancel_ = true; }

void ClipLoader::read() {
    Outcome outcome = Outcome::Complete;
    try {
        cVideo& clip = *clip_;
        const int first = clip.FirstFrame();
        // Of a clip decoded on demand only the thumbnails are wanted after its first frame.
        QSize preview(1, 1);
        for (const QSize& size : thumbnailSizes_) preview = preview.expandedTo(size);
        const bool whole = staging_.ReadFrames(clip, [&](int index, const cDIBSection* decoded) {
            Frame frame;
            frame.index = index;
            frame.count = clip.NumberOfFrames();
            if (decoded) {
                frame.decoded = true;
                // A clip kept whole has its frame in the table; one decoded on demand hands over
                // a copy of its first frame only, so that it shows at once.
                if (staging_.Frame(first + index) == decoded)
                    frame.picture = std::move(staging_.frames[size_t(first + index)]);
                else if (index == 0) {
                    auto copy = std::make_unique<cDIBSection>();
                    if (copy->CreateFromPicture(*decoded->HDC())) frame.picture = std::move(copy);
                }
                if (!thumbnailSizes_.empty()) {
                    const QSize size = thumbnailSizes_[std::min(size_t(index), thumbnailSizes_.size() - 1)];
                    // A picture of the thumbnail's size already is copied: the frame's memory is
                    // the pass's, which the next frame overwrites.
                    const QImage& picture = *decoded->HDC();
                    frame.thumbnail = picture.size() == size ? picture.copy()
                                                             : picture.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
                }
            }
            post(std::move(frame));
            return !cancel_;
        }, preview);
        if (!whole) outcome = Outcome::Cancelled;
    } catch (...) {
        // No memory for a frame, or a reader that gave up: the frames read so far stand.
        outcome = Outcome::Failed;
    }
    postEnd(outcome);
}

void ClipLoader::post(Frame frame) {
    {
        const std::lock_guard lock(handOverLock_);
        handedOver_.push_back(std::move(frame));  // from here on the frame is the other thread's
    }
    QMetaObject::invokeMethod(this, &ClipLoader::collect, Qt::QueuedConnection);
}

void ClipLoader::postEnd(Outcome outcome) {
    {
        const std::lock_guard lock(handOverLock_);
        ended_ = outcome;
    }
    QMetaObject::invokeMethod(this, &ClipLoader::collect, Qt::QueuedConnection);
}

void ClipLoader::collect() {
    std::deque<Frame> fresh;
    std::optional<Outcome> ended;
    {
        const std::lock_guard lock(handOverLock_);
        fresh.swap(handedOver_);
        ended = ended_;
    }
    // All in line before anyone hears of them: a receiver that runs an event loop of its own
    // lets later frames in, and those must queue up behind these.
    std::vector<std::pair<int, int>> news;
    for (Frame& frame : fresh) {
        if (cancel_) break;  // nothing more is taken once the user has said stop
        news.emplace_back(frame.index, frame.count);
        arrived_.push_back(std::move(frame));
    }
    for (const auto& [index, count] : news) emit FrameLoaded(index, count);
    // Every frame was handed over before the end was said.
    if (ended && outcome_ == Outcome::Running) finish(*ended);
}

void ClipLoader::finish(Outcome outcome) {
    // The reading thread said the end as its last act: joining it now costs nothing, and makes
    // everything it wrote (the reader's count, the block) this thread's to read.
    if (thread_.joinable()) thread_.join();
    // Frames that arrived after a cancel were let go, so a load that ran to its end anyway
    // ends cancelled.
    outcome_ = cancel_ && outcome == Outcome::Complete ? Outcome::Cancelled : outcome;
    emit Finished(outcome_);
}

ClipLoader::Outcome ClipLoader::Wait(const std::function<void(Frame&)>& take) {
    QEventLoop loop;
    bool taking = false;
    const auto handOver = [&] {
        if (taking) return;
        taking = true;
        while (!arrived_.empty()) {
            if (cancel_) {
                arrived_.clear();
                break;
            }
            Frame frame = std::move(arrived_.front());
            arrived_.pop_front();
            take(frame);
        }
        taking = false;
        if (outcome_ != Outcome::Running) loop.quit();
    };
    connect(this, &ClipLoader::FrameLoaded, &loop, handOver);
    connect(this, &ClipLoader::Finished, &loop, handOver);
    handOver();
    if (outcome_ == Outcome::Running) loop.exec();
    return outcome_;
}

std::unique_ptr<cVideo> ClipLoader::TakeClip() {
    if (outcome_ == Outcome::Running) return nullptr;
    return std::move(clip_);
}

void ClipLoader::HandOver(FrameStore& store) {
    if (outcome_ != Outcome::Running) store.TakeReadingOf(staging_);
}
