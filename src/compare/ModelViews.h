#pragma once
// The two views of video 1 and the model: the full view, the model blended over the whole
// frame, and the split view, the two side by side with a pan slider under each half. Keeps
// the stores' geometry and the sliders in line with the view chosen; the window paints.

#include <QObject>

#include <functional>

struct FrameStore;
class QScrollBar;
namespace platform {
class PictureBox;
}

class ModelViews : public QObject {
    Q_OBJECT
public:
    struct Parts {
        FrameStore& video1;
        FrameStore& model;
        platform::PictureBox& canvas;
        QScrollBar& videoPan;
        QScrollBar& modelPan;
    };
    struct Hooks {
        std::function<bool()> modelShown;
        std::function<bool()> stillPicture;  // video 1 holds one picture: nothing to compare side by side
        std::function<void()> paintVideo;    // the current frame of video 1, marks on top
        std::function<void()> videoPanned;   // the halves painted after a slider was set up
        std::function<void()> modelPanned;
    };
    // `fullWindow` is the program's record of the view that is on.
    ModelViews(QObject* parent, const Parts& parts, bool& fullWindow, Hooks hooks);

    void Full();
    void Split();
    // Video 1 fitted whole again, the sliders gone; the model is left as it is.
    void LeaveSplit();

private:
    Parts parts_;
    bool& fullWindow_;
    Hooks hooks_;
};
