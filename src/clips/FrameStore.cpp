#include "clips/FrameStore.h"

#include "clips/WorkerFrames.h"

#include "imaging/DibFormat.h"
#include "platform/RegistryStore.h"
#include "platform/SystemMemory.h"

#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

// What the machine had available as the program started: the budget is a share of it, whatever
// the clips loaded since then took.
const std::uint64_t kAvailableAtStart = platform::AvailableMemoryBytes(platform::MemorySources{});
constexpr std::uint64_t kMaxBudget = std::uint64_t(8) << 30;
// What the slots' frames hold of the budget.
std::atomic<std::uint64_t> taken{0};

std::uint64_t frameBytes(const cVideo& clip) {
    return std::uint64_t(dib::Stride24(clip.FrameWidth())) * std::uint64_t(std::max(0, clip.FrameHeight()));
}

std::uint64_t budgetLeft() {
    const std::uint64_t budget = FrameStore::BudgetBytes();
    const std::uint64_t used = taken.load();
    return budget > used ? budget - used : 0;
}

// The user's own budget, in megabytes; 0 when none is set.
std::uint64_t budgetSetting() {
    platform::RegValue value;
    if (platform::RegistryStore::Instance().QueryValue(platform::HKEY_CURRENT_USER,
                                                        QStringLiteral("Software\\varkelo\\video"),
                                                        QStringLiteral("FrameMemoryMB"), value) != platform::ERROR_SUCCESS)
        return 0;
    if (value.type == platform::REG_DWORD && value.data.size() == 4)
        return qFromLittleEndian<quint32>(value.data.constData());
    const qlonglong mb = QString::fromUtf8(value.data).remove(QChar(0)).trimmed().toLongLong();
    return mb > 0 ? std::uint64_t(mb) : 0;
}

}  // namespace

Fit ComputeFit(int canvasWidth, int canvasHeight, int sourceWidth, int sourceHeight) {
    Fit f;
    if (sourceWidth <= 0 || sourceHeight <= 0 || canvasWidth <= 0 || canvasHeight <= 0) return f;
    const float rW = float(canvasWidth) / float(sourceWidth);
    const float rH = float(canvasHeight) / float(sourceHeight);
    // The whole frame, as large as the canvas allows: a clip filmed upright keeps its feet and
    // club head on a landscape canvas.
    f.scale = std::min(rW, rH);
    // The side that meets the canvas's edges fills it exactly, whatever the float rounding.
    f.scaledWidth = rW <= rH ? canvasWidth : std::min(canvasWidth, int(std::floor(f.scale * sourceWidth)));
    f.scaledHeight = rH <= rW ? canvasHeight : std::min(canvasHeight, int(std::floor(f.scale * sourceHeight)));
    f.offsetX = (canvasWidth - f.scaledWidth) / 2;
    f.offsetY = (canvasHeight - f.scaledHeight) / 2;
    return f;
}

SplitHalf ComputeSplitHalf(int canvasWidth, int canvasHeight, int sourceWidth, int sourceHeight, bool right) {
    SplitHalf h;
    const Fit whole = ComputeFit(canvasWidth, canvasHeight, sourceWidth, sourceHeight);
    if (whole.scale <= 0) return h;
    const int left = right ? canvasWidth / 2 : 0;
    const int halfWidth = right ? canvasWidth - canvasWidth / 2 : canvasWidth / 2;
    // At the full view's scale, as much of the frame's width as the half holds; the rest is
    // reached with the pan slider.
    // Rounded up, so that a frame wider than its half fills it to the edge.
    h.sourceWidth = std::clamp(int(std::ceil(halfWidth / double(whole.scale) - 1e-3)), 1, sourceWidth);
    h.panMaximum = sourceWidth - h.sourceWidth;
    h.fit = whole;
    h.fit.scaledWidth =
        std::clamp(int(std::floor(h.sourceWidth * double(whole.scale) + 1e-3)), 1, std::max(1, halfWidth));
    // The two halves meet at the canvas's centre line: side by side, with no gap between them.
    h.fit.offsetX = right ? left : halfWidth - h.fit.scaledWidth;
    return h;
}

FrameStore::~FrameStore() { Release(); }

std::uint64_t FrameStore::BudgetBytes() {
    if (const std::uint64_t mb = budgetSetting()) return mb << 20;
    return std::min(kAvailableAtStart / 2, kMaxBudget);
}

std::uint64_t FrameStore::MemoryToOpen(const cVideo& clip) {
    const std::uint64_t whole = frameBytes(clip) * std::uint64_t(std::max(0, clip.NumberOfFrames()));
    return whole <= budgetLeft() ? whole : frameBytes(clip);
}

cDIBSection* FrameStore::Frame(int i) const {
    if (cache_) return cache_->Frame(i);
    if (i < 0 || i >= kTableSize) return nullptr;
    cDIBSection* dib = frames[size_t(i)].get();
    return dib && dib->HDC() ? dib : nullptr;
}

int FrameStore::Count() const {
    if (HoldsPicture()) return 1;
    return reader ? frameCount : 0;
}

bool FrameStore::CountIsExact() const { return !IsClip() || reader->FrameCountIsExact(); }

int FrameStore::FirstFrame() const { return IsClip() ? reader->FirstFrame() : 0; }

bool FrameStore::IsClip() const { return reader && !HoldsPicture(); }

QSize FrameStore::FrameSize() const {
    if (reader && frameCount > 0) return {reader->FrameWidth(), reader->FrameHeight()};
    const cDIBSection* first = Frame(0);
    return first ? QSize(first->Width(), first->Height()) : QSize(0, 0);
}

double FrameStore::FramesPerSecond() const { return IsClip() ? reader->FramesPerSecond() : 0.0; }

double FrameStore::FrameSeconds(int n) const { return IsClip() ? reader->FrameSeconds(n) : 0.0; }
double FrameStore::StartSeconds() const { return IsClip() ? reader->StartSeconds() : 0.0; }

bool FrameStore::ReadFrames(cVideo& clip, const ReadStep& step, QSize preview) {
    const int first = clip.FirstFrame();
    const std::uint64_t whole = frameBytes(clip) * std::uint64_t(std::max(0, clip.NumberOfFrames()));
    onDemand_ = whole > budgetLeft();
    if (!onDemand_) {
        ReserveFrames(clip.NumberOfFrames(), clip.FrameWidth(), clip.FrameHeight());
        budgetTaken_ += whole;
        taken += whole;
    }
    // A clip decoded on demand is still read through once here, into one buffer, for what
    // `step` makes of its frames and for its exact count.
    std::unique_ptr<cDIBSection> pass;
    // The count is the index's or the headers' until the reader reaches the end, so it is asked
    // again at every step: a clip whose headers claim too many or too few frames loads whole.
    for (int i = first; i - first < kMaxFrames; ++i) {
        if (i - first >= clip.NumberOfFrames() && clip.FrameCountIsExact()) break;
        auto dib = onDemand_ ? std::move(pass) : NewFrame(i - first);
        if (!dib) dib = std::make_unique<cDIBSection>();
        // The reader repeats the picture before a frame that cannot be decoded; a frame it
        // cannot give at all gets no buffer.
        const bool decoded = onDemand_ && i > first && !preview.isEmpty() ? clip.GetPreviewInto(i, *dib, preview)
                                                                          : clip.GetFrameInto(i, *dib);
        if (!decoded && i - first >= clip.NumberOfFrames()) break;  // the clip ended before its estimate
        const cDIBSection* read = nullptr;
        if (onDemand_) {
            if (decoded) read = dib.get();
            pass = std::move(dib);
        } else if (decoded) {
            Put(i, std::move(dib));
            read = Frame(i);
        }
        if (step && !step(i - first, read)) return false;
    }
    return true;
}

void FrameStore::TakeReadingOf(FrameStore& read) {
    arena = std::move(read.arena);
    onDemand_ = read.onDemand_;
    budgetTaken_ += read.budgetTaken_;
    read.budgetTaken_ = 0;
}

void FrameStore::Adopt(std::unique_ptr<cVideo> clip) {
    frameCount = clip ? short(std::min(clip->NumberOfFrames(), int(kMaxFrames))) : 0;
    reader = std::move(clip);
    cache_.reset();
    if (!onDemand_ || !reader || frameCount <= 0) return;
    cachedPath_ = reader->Path();
    reader->ReleaseBuffers();  // the cache decodes with a reader of its own
    cache_ = std::make_unique<FrameCache>(cachedPath_, reader->FirstFrame(), frameCount, reader->FrameWidth(),
                                          reader->FrameHeight(), budgetLeft(), reader->Learnt());
    const std::uint64_t held = std::uint64_t(cache_->Capacity()) * cache_->FrameBytes();
    budgetTaken_ += held;
    taken += held;
    connect(cache_.get(), &FrameCache::FrameReady, this, &FrameSource::FrameReady);
}

const cDIBSection* FrameStore::Held(int n) const {
    return cache_ ? cache_->Held(n) : Frame(n);
}

std::shared_ptr<WorkerFrames> FrameStore::FramesForWorker() const {
    if (cache_) return FrameCache::FramesForWorker(cachedPath_, FirstFrame());
    // The table's frames, read in place.
    class InMemory : public WorkerFrames {
    public:
        explicit InMemory(const FrameStore& store) : store_(store) {}
        const cDIBSection* Frame(int n) override {
            for (int k = std::min(n, kTableSize - 1); k >= 0; --k)
                if (const cDIBSection* frame = store_.Frame(k)) return frame;
            return nullptr;
        }
        bool KeepsFrames() const override { return true; }
        const cDIBSection* Kept(int n) const override { return store_.Frame(n); }

    private:
        const FrameStore& store_;
    };
    return std::make_shared<InMemory>(*this);
}

void FrameStore::Put(int n, std::unique_ptr<cDIBSection> frame) {
    if (n < 0 || n >= kTableSize) return;
    frames[size_t(n)] = std::move(frame);
    if (Frame(n)) emit FrameReady(n);
}

void FrameStore::FitTo(int canvasWidth, int canvasHeight) {
    panX = panY = 0;
    const QSize size = FrameSize();
    sourceWidth = size.width();
    sourceHeight = size.height();
    fit = ComputeFit(canvasWidth, canvasHeight, sourceWidth, sourceHeight);
}

void FrameStore::ReserveFrames(int count, int width, int height) {
    arena = FrameArena::Create(count, width, height);
}

std::unique_ptr<cDIBSection> FrameStore::NewFrame(int slot) const {
    auto dib = std::make_unique<cDIBSection>();
    if (arena) dib->CreateInArena(arena, slot);  // left empty on failure: the reader then allocates
    return dib;
}

void FrameStore::Release() {
    cache_.reset();
    onDemand_ = false;
    taken -= budgetTaken_;
    budgetTaken_ = 0;
    for (auto& frame : frames) {
        if (frame) frame->ClearUp();
        frame.reset();
    }
    arena.reset();
    lastPainted_ = -1;
    awaited_ = -1;
}

void FrameStore::Close() {
    Release();
    reader.reset();
    frameCount = 0;
}

QPoint ThumbnailLayout::Position(int i) const {
    const int row = perRow > 0 ? i / perRow : 0;
    const int column = perRow > 0 ? i % perRow : i;
    return {int(column * width), int(top + row * RowPitch())};
}

ThumbnailLayout ComputeThumbnails(long screenUnitX, long screenUnitY, int sourceWidth, int sourceHeight,
                                  int frameCount) {
    ThumbnailLayout t;
    t.height = 12 * screenUnitY;
    t.top = 2 * screenUnitY;
    if (sourceHeight > 0) t.width = std::lrint(float(sourceWidth) / float(sourceHeight) * float(t.height));
    if (t.width <= 0) t.width = 1;
    t.stripWidth = long(std::floor(double(t.width) * frameCount));
    t.stripHeight = long(std::floor(double(t.height) * frameCount));
    t.perRow = std::max(1, int(std::floor(71.0 * screenUnitX / double(t.width))));
    t.scrollWidth = t.perRow * t.width;
    t.scrollMax = int(std::lrint(double(frameCount) / t.perRow));
    return t;
}
