#pragma once
// The frames of one clip slot (video 1 or the model), read once at load and kept in
// memory, with the geometry that maps frame pixels onto the canvas.

#include "clips/FrameCache.h"
#include "clips/FrameSource.h"
#include "clips/cVideo.h"
#include "imaging/FrameArena.h"
#include "imaging/cDIBSection.h"

#include <QRect>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

// Where a frame lands on the canvas: the whole frame, as large as fits, centred, with the
// canvas's background around it.
struct Fit {
    float scale = 0;
    int offsetX = 0;
    int offsetY = 0;
    int scaledWidth = 0;
    int scaledHeight = 0;
};

Fit ComputeFit(int canvasWidth, int canvasHeight, int sourceWidth, int sourceHeight);

// One half of the split view: the part of the frame's width shown (from the pan position) and
// where it lands in the canvas's left or right half at the full view's scale, against the
// centre line.
struct SplitHalf {
    int sourceWidth = 0;
    int panMaximum = 0;
    Fit fit;
};
SplitHalf ComputeSplitHalf(int canvasWidth, int canvasHeight, int sourceWidth, int sourceHeight, bool right);

// The source of one slot: a clip whose frames fit the memory budget is read whole at load, a
// larger one is decoded on demand by a FrameCache. Outside clips/ it is read through FrameSource
// only; its frame table and reader are the loading code's.
struct FrameStore : FrameSource {
    static constexpr int kTableSize = 1001;  // frame numbers 0 .. 1000
    static constexpr int kMaxFrames = 998;

    using FrameSource::FrameSource;
    ~FrameStore() override;

    std::unique_ptr<cVideo> reader;
    std::array<std::unique_ptr<cDIBSection>, kTableSize> frames;
    // The memory of the clip's frames, when one block could be had for them all.
    std::shared_ptr<FrameArena> arena;
    short frameCount = 0;
    QString clipFileName;  // video 1 only
    int panX = 0;
    int panY = 0;
    int sourceWidth = 0;
    int sourceHeight = 0;
    Fit fit;
    QRect placement;  // model only: where the model lands on its surface

    // A still picture: frame 0 and no clip frames, whatever reader a clip before left here.
    bool HoldsPicture() const { return frameCount == 0 && Frame(0); }
    int Count() const override;
    bool CountIsExact() const override;
    int FirstFrame() const override;
    bool IsClip() const override;
    // The reader's frame size for a clip (frame 0 may be one that could not be decoded), the
    // picture's for a picture.
    QSize FrameSize() const override;
    // The frame with number i, or null when the number is outside the table or empty.
    cDIBSection* Frame(int i) const override;
    double FramesPerSecond() const override;
    double FrameSeconds(int n) const override;
    double StartSeconds() const override;

    std::shared_ptr<WorkerFrames> FramesForWorker() const override;

    // The bytes all the frames of the clips in memory may take: half of what the machine had
    // available when the program started, at most 8 GB, unless the user set "FrameMemoryMB".
    static std::uint64_t BudgetBytes();
    // The memory a clip needs to be opened at all: every frame when they fit what is left of the
    // budget, else one.
    static std::uint64_t MemoryToOpen(const cVideo& clip);
    // Whether the slot decodes its clip on demand (decided when its frames are read).
    bool OnDemand() const { return onDemand_; }
    // The cache of a clip decoded on demand; null otherwise.
    const FrameCache* Cache() const { return cache_.get(); }

    // Reads the clip's frames into the table, each into its slot of the block when there is
    // one; a clip whose frames do not fit the budget is read once through, for `step`, and kept
    // for decoding on demand. `step` hears of every frame number tried, with the frame when it
    // was decoded; it returns false to stop the reading, and then so does this. Of a clip decoded
    // on demand, `step` has the first frame whole and the others at `preview` size, when given
    // (what a thumbnail needs costs a fraction of a whole frame's conversion).
    using ReadStep = std::function<bool(int index, const cDIBSection* decoded)>;
    bool ReadFrames(cVideo& clip, const ReadStep& step = {}, QSize preview = {});
    // Takes over what `read` settled while it read a clip for this slot: its block, whether the
    // clip is decoded on demand, and its share of the budget.
    void TakeReadingOf(FrameStore& read);
    // Takes the reader whose frames were read: the clip's count is what the reading found. A clip
    // decoded on demand starts its cache here.
    void Adopt(std::unique_ptr<cVideo> clip);
    // Puts frame n in the table and tells that it is there.
    void Put(int n, std::unique_ptr<cDIBSection> frame);
    // Source rectangle (pan, source size) and canvas rectangle (fit).
    QRect SourceRect() const { return {panX, panY, sourceWidth, sourceHeight}; }
    QRect CanvasRect() const { return {fit.offsetX, fit.offsetY, fit.scaledWidth, fit.scaledHeight}; }
    // Fits the clip (the reader's frame size) or the picture (frame 0) to the canvas; the pan
    // pair goes back to (0, 0).
    void FitTo(int canvasWidth, int canvasHeight);
    // Sets one block aside for `count` frames of width x height; without it (no huge pages,
    // no memory) NewFrame hands out buffers that get memory of their own, as before.
    void ReserveFrames(int count, int width, int height);
    // An empty buffer for the frame in slot `slot` of the block (its memory already there, so
    // the reader fills it in place); a plain empty buffer when there is no block or no slot.
    std::unique_ptr<cDIBSection> NewFrame(int slot) const;
    // Releases every frame, and the block under them.
    void Release();
    // Releases the frames and the reader: the slot holds nothing.
    void Close();

protected:
    const cDIBSection* Held(int n) const override;

private:
    bool onDemand_ = false;
    std::unique_ptr<FrameCache> cache_;
    QString cachedPath_;  // the clip the cache decodes, for readers of their own
    std::uint64_t budgetTaken_ = 0;  // of the budget, what this slot's frames hold
};

// Thumbnails of the frame strip, in twips.
struct ThumbnailLayout {
    long width = 0;
    long height = 0;
    long top = 0;  // of the first row
    int perRow = 1;
    int scrollMax = 0;
    long stripWidth = 0;  // of the inner strip
    long stripHeight = 0;
    long scrollWidth = 0;  // of the strip's scroll bar
    // Position of thumbnail i (top-left), rows of perRow, 50 twips between rows.
    QPoint Position(int i) const;
    // Thumbnail i's whole box, in twips.
    QRect Box(int i) const { return QRect(Position(i), QSize(int(width), int(height))); }
    long RowPitch() const { return height + 50; }
};

ThumbnailLayout ComputeThumbnails(long screenUnitX, long screenUnitY, int sourceWidth, int sourceHeight,
                                  int frameCount);
