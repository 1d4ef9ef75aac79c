#pragma once
// Moving through video 1 by hand: a scrub bar under the picture that shows the frame on the
// canvas and goes to any frame it is dragged to, the mouse wheel over the picture stepping
// frames, and the thumbnail strip following the frame shown. It also tells the video controls
// the clips' own rates for their rate buttons. The main window creates one.

#include <QObject>

class QSlider;
class frm_Main;

class ClipNavigation : public QObject {
    Q_OBJECT
public:
    explicit ClipNavigation(frm_Main& window);

    QSlider* ScrubBar() const { return bar_; }

    // Scrolls the strip to the row that holds thumbnail `index` (counted from the clip's first frame).
    void RevealThumbnail(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The frame iFrame is on the canvas: the bar shows it, and so does the strip, unless
    // playback is moving on.
    void follow(short iFrame);
    void scrubTo(int frame);
    // Under the picture (and under the split view's pan sliders while they show), above the strip.
    void place();
    void step(int wheelDelta);

    frm_Main& w_;
    QSlider* bar_ = nullptr;
    int wheelRest_ = 0;  // wheel turn not yet stepped, in eighths of a degree
    int lastShown_ = -1;
};
