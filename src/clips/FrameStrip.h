#pragma once
// The frame strip under the canvas: a thumbnail for each frame of the clip in rows, the red
// frame around the current one, and the scroll bar that steps through the rows.

#include "clips/FrameStore.h"

#include <QObject>
#include <QSize>

#include <vector>

class QCursor;
class QFrame;
class QImage;
class QScrollBar;
class QWidget;

namespace platform {
class ImageBox;
}

class FrameStrip : public QObject {
    Q_OBJECT
public:
    // Builds the scrolled inner strip with thumbnail 0, the red frame and the scroll bar inside
    // `outer`, and keeps the thumbnails in `thumbnails` (element k shows frame first + k; [0]
    // always exists). The layouts are in twips of the screen units `unitX`/`unitY`, read at each use.
    FrameStrip(QWidget* outer, std::vector<platform::ImageBox*>& thumbnails, const QCursor& thumbnailCursor,
               const long& unitX, const long& unitY);

    const std::vector<platform::ImageBox*>& Thumbnails() const { return thumbs_; }
    QWidget* Inner() const { return inner_; }
    QFrame* Marker() const { return marker_; }
    QScrollBar* ScrollBar() const { return scroll_; }

    // Removes thumbnails 1.. and hides the rest.
    void Clear();
    // Sizes the strip, the red frame and the scroll bar for `layout`, scrolled to the top.
    void LayOut(const ThumbnailLayout& layout);
    // Shows `frame` as thumbnail `index` at its place in `layout`.
    void Add(int index, const QImage& frame, const ThumbnailLayout& layout);
    // After a load found `count` frames instead of the estimate: the strip laid out for them.
    void Refit(const ThumbnailLayout& found, int count);
    // The strip laid out again for the screen units now (after a resize); thumbnails that change
    // size are scaled again from the frames of `clip`. `currentFrame` keeps the red frame.
    void Reflow(const FrameStore& clip, int currentFrame);
    // Follows the scroll bar: each step shows the next row.
    void Scroll();
    // The red frame around thumbnail `index`, when there is one.
    void Mark(int index);
    // The red frame on the first thumbnail of a clip just opened.
    void MarkFirst();
    // The pixel sizes of the first `count` thumbnails of `layout` (at least one).
    static std::vector<QSize> Sizes(const ThumbnailLayout& layout, int count);

signals:
    void Clicked(int index);

private:
    platform::ImageBox* makeThumbnail(int index, const QCursor& cursor);

    std::vector<platform::ImageBox*>& thumbs_;
    const long& unitX_;
    const long& unitY_;
    QWidget* inner_ = nullptr;
    QFrame* marker_ = nullptr;
    QScrollBar* scroll_ = nullptr;
};
