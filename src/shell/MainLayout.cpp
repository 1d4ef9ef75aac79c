#include "shell/MainLayout.h"

#include <algorithm>
#include <cmath>

namespace {

// Twips are whole numbers; a fractional result is rounded, ties to even.
long roundEven(double v) {
    return std::lrint(v);
}

QRect rect(long left, long top, long width, long height) {
    return {int(left), int(top), int(width), int(height)};
}
long bottom(const QRect& r) {
    return long(r.y()) + r.height();
}
long right(const QRect& r) {
    return long(r.x()) + r.width();
}

}  // namespace

long ScreenUnit(long screenTwips) {
    return roundEven(screenTwips / 100.0);
}

MainLayout ComputeMainLayout(long screenWidthTwips, long screenHeightTwips, const DesignSizes& d) {
    MainLayout l;
    const long X = l.ScreenUnitX = ScreenUnit(screenWidthTwips);
    const long Y = l.ScreenUnitY = ScreenUnit(screenHeightTwips);
    l.window = rect(0, 0, 100 * X, 100 * Y);

    // In the order of the window design: later rows use the final position of earlier ones.
    l.Drive1 = rect(2 * X, d.toolbarBottom, 20 * X, d.driveHeight);
    l.Dir1 = rect(2 * X, bottom(l.Drive1), 20 * X, 20 * Y);
    l.File1 = rect(2 * X, bottom(l.Dir1), 20 * X, 30 * Y);
    // The preview's left edge is a vertical unit, as the window design has it.
    l.picVideo = rect(3 * Y, bottom(l.File1) + Y, 20 * X, 20 * Y);
    l.pic_video = rect(24 * X, l.Drive1.y(), 50 * X, 50 * Y);
    l.picDummy = l.pic_video;
    l.picModelHold = l.pic_video;
    const long half = roundEven(l.pic_video.width() / 2.0);
    l.hscrAvi1 = rect(l.pic_video.x(), bottom(l.pic_video), half, d.scrollHeight);
    l.hscrAvi2 = rect(right(l.hscrAvi1), bottom(l.pic_video), half, d.scrollHeight);
    l.picPVideoFrames = rect(24 * X, l.picVideo.y(), 71 * X, 18 * Y);
    l.picCVideoFrames = rect(0, 0, 71 * X, 16 * Y);
    l.ImgVideoFrames0 = rect(0, 2 * Y, d.thumbWidth, d.thumbHeight);
    l.HScrVideoFrames = rect(0, 18 * Y - 2 * Y, 70 * X, 2 * Y);
    l.picVideoInfo = rect(right(l.pic_video) + 2 * X, l.pic_video.y(), 20 * X, 15 * Y);
    l.imgLogo = rect(24 * X, l.Drive1.y(), 70 * X, 50 * Y);

    l.prgbarProcess = rect(12 * d.toolbarButtonWidth, 0, d.toolbarWidth - 13 * d.toolbarButtonWidth, 0);

    l.defaultVideoControls =
        QPoint(l.picVideoInfo.x(), int(roundEven(l.picVideoInfo.y() + 1.5 * l.picVideoInfo.height())));
    // Never over the frame strip: a tall window (large fonts) goes up beside the canvas instead.
    if (d.videoControlsHeight > 0)
        l.defaultVideoControls.setY(int(
            std::min<long>(l.defaultVideoControls.y(), l.picPVideoFrames.y() - d.videoControlsHeight - 60)));
    l.defaultDrawTool = l.pic_video.topLeft();
    l.defaultImageTool = l.Dir1.topLeft();
    l.defaultAdjustTool = QPoint(int(roundEven(l.pic_video.x() + l.pic_video.width() / 2.0)), l.Dir1.y());
    return l;
}
