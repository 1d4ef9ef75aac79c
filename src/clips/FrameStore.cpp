#include "clips/FrameStore.h"

#include <cmath>

Fit ComputeFit(int canvasWidth, int canvasHeight, int sourceWidth, int sourceHeight) {
    Fit f;
    if (sourceWidth <= 0 || sourceHeight <= 0 || canvasWidth <= 0 || canvasHeight <= 0) return f;
    const float rW = float(canvasWidth) / float(sourceWidth);
    const float rH = float(canvasHeight) / float(sourceHeight);
    if (rH < rW) {
        f.scale = rW;
        f.offsetY = int(std::lrint(std::floor(canvasHeight - f.scale * sourceHeight) / 2.0));
    } else {
        f.scale = rH;
        f.offsetX = int(std::lrint(std::floor(canvasWidth - f.scale * sourceWidth) / 2.0));
    }
    f.scaledWidth = int(std::floor(f.scale * sourceWidth));
    f.scaledHeight = int(std::floor(f.scale * sourceHeight));
    return f;
}

cDIBSection* FrameStore::Frame(int i) const {
    if (i < 0 || i >= kTableSize) return nullptr;
    cDIBSection* dib = frames[size_t(i)].get();
    return dib && dib->HDC() ? dib : nullptr;
}

const cDIBSection* FrameStore::FrameToPaint(int i) {
    if (Frame(i)) lastPainted = i;
    return Frame(lastPainted);
}

void FrameStore::FitTo(int canvasWidth, int canvasHeight) {
    panX = panY = 0;
    // A clip's frame 0 may be one that could not be decoded: its size is the reader's.
    const bool clip = reader && frameCount > 0;
    const cDIBSection* first = Frame(0);
    sourceWidth = clip ? reader->FrameWidth() : first ? first->Width() : 0;
    sourceHeight = clip ? reader->FrameHeight() : first ? first->Height() : 0;
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
    for (auto& frame : frames) {
        if (frame) frame->ClearUp();
        frame.reset();
    }
    arena.reset();
    lastPainted = -1;
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
