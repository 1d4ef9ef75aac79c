#include "playback/MoviePreview.h"

#include "platform/PictureBox.h"
#include "platform/Twips.h"
#include "platform/WindowHandle.h"
#include "playback/MovieWindow.h"
#include "ui/Globals.h"

#include <QCoreApplication>

MoviePreview::MoviePreview(const Globals& program, platform::PictureBox* picVideo, QWidget* file1)
    : program_(program), picVideo_(picVideo), file1_(file1) {}

void MoviePreview::Preview(const QString& path) {
    StopVideo();
    CloseVideo();
    OpenVideo(path);
    QCoreApplication::processEvents();
    PlayVideo();
}

void MoviePreview::OpenVideo(const QString& path) {
    const QString deviceType = path.right(4).toLower() == QLatin1String(".avi") ? QStringLiteral("AviVideo")
                                                                                : QStringLiteral("MPEGVideo");
    if (MovieOpen(platform::HandleOf(picVideo_), kAlias, path, deviceType) != QLatin1String("Success"))
        return;
    if (!picVideo_) return;
    // The box takes the picture's own size in pixels; a size the device cannot tell is
    // skipped. The main window keeps its size: it fills the screen, and shrinking it
    // around the preview box would hide the rest of the program.
    const int32_t cx = MovieDestinationSize(kAlias, QStringLiteral("cx"));
    if (cx >= 0) picVideo_->resize(cx, picVideo_->height());
    const int32_t cy = MovieDestinationSize(kAlias, QStringLiteral("cy"));
    if (cy >= 0) picVideo_->resize(picVideo_->width(), cy);
}

void MoviePreview::PlayVideo() {
    if (picVideo_) {
        const long unitX = program_.ScreenUnitX;
        const long unitY = program_.ScreenUnitY;
        const int top =
            file1_ ? file1_->y() + file1_->height() + platform::TwipsToPixelsY(unitY) : picVideo_->y();
        // The left edge is measured in the vertical unit, as the start-up layout does.
        picVideo_->setGeometry(platform::TwipsToPixelsX(3.0 * unitY), top,
                               platform::TwipsToPixelsX(20.0 * unitX),
                               platform::TwipsToPixelsY(20.0 * unitY));
        picVideo_->show();
    }
    // Let the box be drawn before the movie's window goes into it.
    QCoreApplication::processEvents();
    int32_t left = 0, top = 0, width = 0, height = 0;
    ResizeVideo(left, top, width, height);
    MoviePlay(kAlias, QStringLiteral("0"), QStringLiteral("0"));
}

void MoviePreview::StopVideo() {
    MovieStop(kAlias);
}

void MoviePreview::CloseVideo() {
    MovieClose(kAlias);
}

void MoviePreview::ResizeVideo(int32_t& left, int32_t& top, int32_t& width, int32_t& height) {
    MoviePutWindow(platform::HandleOf(picVideo_), kAlias, left, top, width, height);
}
