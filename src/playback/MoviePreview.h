#pragma once
// The file browser's quick preview: a clip clicked in the file list plays as a moving
// picture inside the picture box under the list, through the media-control device "movie".
// At most one preview exists; each new one stops and closes the one before.

#include <QPointer>
#include <QString>

#include <cstdint>

class QWidget;
struct Globals;
namespace platform {
class PictureBox;
}

class MoviePreview {
public:
    // picVideo: the box the movie plays in; file1: the file list it is placed under; the box is
    // laid out in `program`'s screen units.
    MoviePreview(const Globals& program, platform::PictureBox* picVideo, QWidget* file1);

    // A plain click on a clip in the file list: stop and close the last preview, open the
    // clip, let the window catch up, play.
    void Preview(const QString& path);

    // Opens the clip under "movie" and sizes picVideo to its picture. A failed open
    // changes nothing.
    void OpenVideo(const QString& path);
    // Places picVideo under the file list, fits the movie into it and plays it to the end.
    void PlayVideo();
    void StopVideo();
    void CloseVideo();
    // Places the movie's window inside picVideo; a width or height of 0 fills picVideo.
    void ResizeVideo(int32_t& left, int32_t& top, int32_t& width, int32_t& height);

    static inline const QString kAlias = QStringLiteral("movie");

private:
    const Globals& program_;
    QPointer<platform::PictureBox> picVideo_;
    QPointer<QWidget> file1_;
};
