#pragma once
// Moving through video 1 by hand: a scrub bar under the picture that shows the frame on the
// canvas and goes to any frame it is dragged to, the mouse wheel over the picture stepping
// frames, and the thumbnail strip following the frame shown. It also tells the video controls
// the clips' own rates for their rate buttons. The main window creates one.

#include <QObject>

#include <functional>
#include <vector>

class FrameSource;
class QScrollBar;
class QSlider;
class QWidget;
class frmVideoControls;

namespace platform {
class ImageBox;
}

class ClipNavigation : public QObject {
    Q_OBJECT
public:
    // The window's controls and state it works with; all outlive it.
    struct Parts {
        QWidget* canvas;   // the picture of video 1; the bar goes in its parent
        QScrollBar* pan1;  // the split view's pan sliders, which the bar goes under while they show
        QScrollBar* pan2;
        QWidget* strip;           // the thumbnail strip, which the bar goes above
        QScrollBar* stripScroll;  // its scroll bar, one row a step
        const std::vector<platform::ImageBox*>& thumbnails;
        frmVideoControls* controls;
        const FrameSource& video;
        const FrameSource& model;
        const int& clipKind;  // 2: a clip of several frames
        const bool& loading;
        const bool& modelShown;
        const long& screenUnitY;  // one hundredth of the screen height in twips
        // A clip plays in video 1's picture now.
        std::function<bool()> playing;
        // Video 1 goes to thumbnail `index` (counted from the clip's first frame), as its click does.
        std::function<void(int index)> showThumbnail;
    };
    ClipNavigation(const Parts& parts, QObject* parent);

    QSlider* ScrubBar() const { return bar_; }

    // Scrolls the strip to the row that holds thumbnail `index` (counted from the clip's first frame).
    void RevealThumbnail(int index);
    // The frame iFrame is on the canvas: the bar shows it, and so does the strip, unless
    // playback is moving on.
    void FrameShown(short iFrame);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void scrubTo(int frame);
    // Under the picture (and under the split view's pan sliders while they show), above the strip.
    void place();
    void step(int wheelDelta);

    Parts p_;
    QSlider* bar_ = nullptr;
    int wheelRest_ = 0;  // wheel turn not yet stepped, in eighths of a degree
    int lastShown_ = -1;
};
