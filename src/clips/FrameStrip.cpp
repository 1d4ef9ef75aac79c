#include "clips/FrameStrip.h"

#include "imaging/cDIBSection.h"
#include "platform/ImageBox.h"
#include "platform/Twips.h"

#include <QCursor>
#include <QFrame>
#include <QScrollBar>

#include <algorithm>

FrameStrip::FrameStrip(QWidget* outer, std::vector<platform::ImageBox*>& thumbnails,
                       const QCursor& thumbnailCursor, const long& unitX, const long& unitY)
    : QObject(outer), thumbs_(thumbnails), unitX_(unitX), unitY_(unitY) {
    inner_ = new QWidget(outer);
    inner_->setObjectName(QStringLiteral("picCVideoFrames"));
    inner_->hide();
    thumbs_.assign(1, makeThumbnail(0, thumbnailCursor));
    thumbs_[0]->hide();
    marker_ = new QFrame(inner_);
    marker_->setObjectName(QStringLiteral("shapeVideoFrame"));
    marker_->setStyleSheet(QStringLiteral("QFrame { border: 2px solid red; background: transparent; }"));
    marker_->setAttribute(Qt::WA_TransparentForMouseEvents);
    marker_->hide();
    scroll_ = new QScrollBar(Qt::Horizontal, outer);
    scroll_->setObjectName(QStringLiteral("HScrVideoFrames"));
    scroll_->hide();
    connect(scroll_, &QScrollBar::valueChanged, this, &FrameStrip::Scroll);
}

platform::ImageBox* FrameStrip::makeThumbnail(int index, const QCursor& cursor) {
    auto* thumb = new platform::ImageBox(inner_);
    thumb->setObjectName(QStringLiteral("ImgVideoFrames%1").arg(index));
    thumb->setScaledContents(true);
    thumb->setCursor(cursor);
    connect(thumb, &platform::ImageBox::Click, this, [this, index] { emit Clicked(index); });
    return thumb;
}

void FrameStrip::Clear() {
    for (size_t i = 1; i < thumbs_.size(); ++i) delete thumbs_[i];
    thumbs_.resize(1);
    marker_->hide();
    thumbs_[0]->hide();
    thumbs_[0]->clear();
}

void FrameStrip::Add(int index, const QImage& frame, const ThumbnailLayout& layout) {
    const QRect at = platform::TwipsToPixels(layout.Box(index));
    platform::ImageBox* thumb = index == 0 ? thumbs_[0] : makeThumbnail(index, thumbs_[0]->cursor());
    if (index > 0) {
        if (thumbs_.size() <= size_t(index)) thumbs_.resize(size_t(index) + 1, nullptr);
        thumbs_[size_t(index)] = thumb;
    }
    thumb->setGeometry(at);
    // At the thumbnail's size (the loader scales it once), so painting the strip never scales.
    thumb->setPixmap(QPixmap::fromImage(
        frame.size() == at.size() ? frame
                                  : frame.scaled(at.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)));
    thumb->show();
}

std::vector<QSize> FrameStrip::Sizes(const ThumbnailLayout& layout, int count) {
    std::vector<QSize> sizes;
    for (int i = 0; i < std::max(1, count); ++i)
        sizes.push_back(platform::TwipsToPixels(layout.Box(i)).size());
    return sizes;
}

void FrameStrip::LayOut(const ThumbnailLayout& t) {
    marker_->resize(platform::TwipsToPixelsX(t.width), platform::TwipsToPixelsY(t.height));
    inner_->resize(platform::TwipsToPixelsX(t.stripWidth), platform::TwipsToPixelsY(t.stripHeight));
    scroll_->resize(platform::TwipsToPixelsX(t.scrollWidth), scroll_->height());
    scroll_->setMaximum(t.scrollMax);
    scroll_->setPageStep(3);
    scroll_->setSingleStep(1);
    scroll_->setValue(0);
    scroll_->show();
}

void FrameStrip::Refit(const ThumbnailLayout& found, int count) {
    LayOut(found);
    for (int i = 0; i < count && size_t(i) < thumbs_.size(); ++i)
        if (thumbs_[size_t(i)]) thumbs_[size_t(i)]->move(platform::TwipsToPixels(found.Box(i)).topLeft());
}

void FrameStrip::Scroll() {
    // Each step shows the next row: thumbnails are 12 vertical units high, rows 50 twips apart.
    const long rowPitch = 12 * unitY_ + 50;
    inner_->move(0, -platform::TwipsToPixelsY(double(scroll_->value()) * rowPitch));
}

void FrameStrip::Reflow(const FrameStore& clip, int currentFrame) {
    if (thumbs_.empty() || !thumbs_[0] || thumbs_[0]->isHidden()) return;
    const int count = int(thumbs_.size());
    const QSize frameSize = clip.FrameSize();
    const ThumbnailLayout t = ComputeThumbnails(unitX_, unitY_, frameSize.width(), frameSize.height(), count);
    LayOut(t);
    const int first = clip.FirstFrame();
    for (int i = 0; i < count; ++i) {
        platform::ImageBox* thumb = thumbs_[size_t(i)];
        if (!thumb) continue;
        const QRect at = platform::TwipsToPixels(t.Box(i));
        if (at.size() != thumb->size()) {
            // Scaled again from the frame itself, so a larger strip is no blurrier; a clip decoded
            // on demand rescales its thumbnail instead of sending its cache through every frame.
            const cDIBSection* frame = clip.OnDemand() ? nullptr : clip.Frame(first + i);
            if (frame && frame->HDC())
                thumb->setPixmap(QPixmap::fromImage(
                    frame->HDC()->scaled(at.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)));
            else if (!thumb->pixmap().isNull())
                thumb->setPixmap(
                    thumb->pixmap().scaled(at.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
        }
        thumb->setGeometry(at);
    }
    const int current = std::clamp(currentFrame - first, 0, count - 1);
    marker_->setGeometry(QRect(thumbs_[size_t(current)] ? thumbs_[size_t(current)]->pos() : QPoint(),
                               platform::TwipsToPixels(QRect(0, 0, int(t.width), int(t.height))).size()));
    marker_->raise();
}

void FrameStrip::Mark(int index) {
    if (index >= 0 && size_t(index) < thumbs_.size() && thumbs_[size_t(index)])
        marker_->move(thumbs_[size_t(index)]->pos());
}

void FrameStrip::MarkFirst() {
    marker_->move(0, platform::TwipsToPixelsY(2 * unitY_));
    marker_->raise();
    marker_->show();
}
