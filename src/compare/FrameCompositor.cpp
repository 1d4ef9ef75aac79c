#include "compare/FrameCompositor.h"

#include "compare/PictureExporter.h"
#include "imaging/cDIBSection.h"
#include "platform/Graphics2D.h"
#include "platform/ImageEffects.h"

#include <QPainter>

namespace {

// Puts the shown region of a frame into the holder at its own position.
void copyIntoHolder(QImage& holder, const cDIBSection& frame, const QRect& source) {
    const QImage* pixels = frame.HDC();
    if (!pixels) return;
    // The holder grows (once per larger clip, never per paint) to hold the region; it is
    // never cut to the canvas, so a frame larger than the canvas is scaled down whole.
    const QSize needed(source.x() + source.width(), source.y() + source.height());
    if (holder.isNull() || needed.width() > holder.width() || needed.height() > holder.height()) {
        QImage grown(holder.size().expandedTo(needed).expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        if (grown.isNull()) return;
        grown.fill(Qt::black);
        holder = std::move(grown);
    }
    platform::BitBlt(holder, source.topLeft(), *pixels, source);
}

// Brightness, inversion and mirroring of the holder's region, in place. Mirroring the whole
// holder and reading the region back from (width - w - x) shows exactly the same pixels;
// working on the region alone spares the rest of the holder, which is never shown.
void applyEffects(QImage& holder, const QRect& region, int amount, int flags) {
    const QRect r = region & holder.rect();
    if (r.isEmpty()) return;
    QImage view(holder.bits() + r.y() * holder.bytesPerLine() + r.x() * 4, r.width(), r.height(),
                holder.bytesPerLine(), holder.format());
    platform::FoxBrightness(view, amount, 0, flags);
}

// Fills the canvas with `colour` except `covered`, which the next step paints anyway.
void fillAround(QImage& picture, const QRect& coveredUnits, const QColor& colour) {
    const QRect covered = platform::InPixels(coveredUnits, picture);
    QImage canvas = platform::PixelView(picture);
    const QRect all = canvas.rect();
    const QRect keep = covered & all;
    if (keep.isEmpty()) {
        picture.fill(colour);
        return;
    }
    QPainter painter(&canvas);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QRect strips[] = {QRect(0, 0, all.width(), keep.top()),
                            QRect(0, keep.bottom() + 1, all.width(), all.height() - keep.bottom() - 1),
                            QRect(0, keep.top(), keep.left(), keep.height()),
                            QRect(keep.right() + 1, keep.top(), all.width() - keep.right() - 1, keep.height())};
    for (const QRect& r : strips)
        if (!r.isEmpty()) painter.fillRect(r, colour);
}

}  // namespace

void FrameCompositor::ClearCanvas(QImage& canvas, bool frameComing, const CompositeGeometry& g,
                                  const QColor& background) const {
    // A region the holder cannot hold yet is not known to cover its place: clear it all.
    if (frameComing && !g.frameSource.isEmpty() && frameHolder_.rect().contains(g.frameSource))
        fillAround(canvas, g.frameCanvas, background);
    else
        canvas.fill(background);
}

void FrameCompositor::HoldFrame(const cDIBSection& frame, const QRect& source) {
    copyIntoHolder(frameHolder_, frame, source);
}

void FrameCompositor::FrameEffects(const QRect& source, int brightness, int flags) {
    applyEffects(frameHolder_, source, brightness, flags);
}

void FrameCompositor::DrawFrame(QImage& canvas, const CompositeGeometry& g) const {
    platform::StretchBlt(canvas, platform::InPixels(g.frameCanvas, canvas), frameHolder_, g.frameSource);
}

void FrameCompositor::BlendModel(QImage& canvas, int blend) const {
    platform::FoxAlphaBlend(canvas, 0, 0, canvas.width(), canvas.height(), modelSurface_, 0, 0, quint8(blend),
                            0xFF00FF, 0);
}

void FrameCompositor::ClearModelSurface(QSize canvasSize, const QColor& background, qreal pixelRatio) {
    if (modelSurface_.size() != canvasSize) modelSurface_ = QImage(canvasSize, QImage::Format_RGB32);
    modelSurface_.setDevicePixelRatio(pixelRatio);
    modelSurface_.fill(background);
}

void FrameCompositor::ClearModelHolder(const QColor& background) {
    if (!modelHolder_.isNull()) modelHolder_.fill(background);
}

void FrameCompositor::HoldModel(const cDIBSection& frame, const QRect& source) {
    copyIntoHolder(modelHolder_, frame, source);
}

void FrameCompositor::ModelEffects(const QRect& source, int brightness, int flags) {
    applyEffects(modelHolder_, source, brightness, flags);
}

void FrameCompositor::DrawModelSurface(const CompositeGeometry& g) {
    platform::StretchBlt(modelSurface_, platform::InPixels(g.modelCanvas, modelSurface_), modelHolder_,
                         g.modelSource);
}

void FrameCompositor::DrawModelSplit(QImage& canvas, const CompositeGeometry& g) const {
    platform::StretchBlt(canvas, platform::InPixels(g.modelCanvas, canvas), modelHolder_, g.modelSource);
}

const QImage& FrameCompositor::Compose(const cDIBSection* frame, const cDIBSection* model,
                                       const CompositeGeometry& g, const CompositeEffects& e, QSize canvasSize) {
    if (canvas_.size() != canvasSize) canvas_ = QImage(canvasSize, QImage::Format_RGB32);
    const bool withModel = g.modelShown && model;
    if (withModel && !g.split) {
        ClearModelSurface(canvasSize, e.modelBackground);
        ClearModelHolder(e.modelBackground);
        HoldModel(*model, g.modelSource);
        ModelEffects(g.modelSource, e.modelBrightness, e.modelFlags);
        DrawModelSurface(g);
    }
    ClearCanvas(canvas_, frame != nullptr, g, e.background);
    if (frame) {
        HoldFrame(*frame, g.frameSource);
        FrameEffects(g.frameSource, e.frameBrightness, e.frameFlags);
        DrawFrame(canvas_, g);
    }
    if (withModel && !g.split) BlendModel(canvas_, e.blend);
    if (withModel && g.split) {
        HoldModel(*model, g.modelSource);
        ModelEffects(g.modelSource, e.modelBrightness, e.modelFlags);
        DrawModelSplit(canvas_, g);
    }
    return canvas_;
}

QImage FrameCompositor::ComposeAtFrameSize(const cDIBSection* frame, const cDIBSection* model,
                                           const CompositeGeometry& g, const CompositeEffects& e) {
    if (!frame) return {};
    HoldFrame(*frame, g.frameSource);
    FrameEffects(g.frameSource, e.frameBrightness, e.frameFlags);
    const bool withModel = g.modelShown && model;
    if (withModel) {
        HoldModel(*model, g.modelSource);
        ModelEffects(g.modelSource, e.modelBrightness, e.modelFlags);
    }
    PictureScene s;
    s.frameHolder = &frameHolder_;
    s.frameSource = g.frameSource;
    s.frameCanvas = g.frameCanvas;
    s.background = e.background;
    s.split = g.split;
    s.modelShown = withModel;
    s.modelHolder = &modelHolder_;
    s.modelSource = g.modelSource;
    s.modelCanvas = g.modelCanvas;
    s.modelBackground = e.modelBackground;
    s.blend = e.blend;
    return PictureExporter::Compose(s);
}
