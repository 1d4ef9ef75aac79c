#include "compare/ModelViews.h"

#include "clips/FrameStore.h"
#include "compare/ModelGeometry.h"
#include "platform/PictureBox.h"
#include "platform/RuntimeError.h"

#include <QScrollBar>
#include <QSignalBlocker>

namespace {

// A split-view pan slider: 0 .. the halved source width, starting in the middle.
void setUpPanSlider(QScrollBar& slider, int panMaximum) {
    const PanRange r = SplitPanRange(panMaximum);
    const QSignalBlocker quiet(slider);  // the caller paints once, after the set-up
    slider.setRange(0, r.maximum);
    slider.setValue(r.value);
    slider.setSingleStep(1);
    slider.setPageStep(r.largeStep);
    slider.setVisible(r.maximum > 0);  // a frame that fits its half whole has nothing to pan
}

}  // namespace

ModelViews::ModelViews(QObject* parent, const Parts& parts, bool& fullWindow, Hooks hooks)
    : QObject(parent), parts_(parts), fullWindow_(fullWindow), hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("ModelViews"));
}

void ModelViews::LeaveSplit() {
    // Fitted anew rather than doubling the halved width, which would lose a column of an odd
    // width at every round trip.
    parts_.video1.FitTo(parts_.canvas.width(), parts_.canvas.height());
    parts_.videoPan.hide();
    parts_.modelPan.hide();
    fullWindow_ = true;
}

void ModelViews::Full() {
    // Choosing the view that is already on leaves it as it is.
    if (!fullWindow_) {
        LeaveSplit();
        FrameStore& model = parts_.model;
        if (hooks_.modelShown()) {
            if (const QSize size = model.FrameSize(); !size.isEmpty()) {
                model.sourceWidth = size.width();
                model.sourceHeight = size.height();
            }
            model.panX = 0;
            model.panY = 0;
        }
    }
    parts_.canvas.Cls();
    hooks_.paintVideo();
    fullWindow_ = true;
}

void ModelViews::Split() {
    if (hooks_.stillPicture()) return;
    if (fullWindow_) {
        // The full view shows whole frames, of the size the reader gives.
        FrameStore& video1 = parts_.video1;
        if (video1.sourceWidth <= 0) platform::Raise(platform::errObjectNotSet);
        parts_.canvas.Cls();
        const int w = parts_.canvas.width(), h = parts_.canvas.height();
        const SplitHalf left = ComputeSplitHalf(w, h, video1.sourceWidth, video1.sourceHeight, false);
        video1.sourceWidth = left.sourceWidth;
        video1.fit = left.fit;
        setUpPanSlider(parts_.videoPan, left.panMaximum);
        hooks_.videoPanned();
        if (hooks_.modelShown()) {
            FrameStore& model = parts_.model;
            if (const QSize size = model.FrameSize(); !size.isEmpty()) {
                const SplitHalf right = ComputeSplitHalf(w, h, size.width(), size.height(), true);
                model.sourceWidth = right.sourceWidth;
                model.sourceHeight = size.height();
                model.fit = right.fit;
                setUpPanSlider(parts_.modelPan, right.panMaximum);
            }
            hooks_.modelPanned();
        }
    }
    fullWindow_ = false;
}
