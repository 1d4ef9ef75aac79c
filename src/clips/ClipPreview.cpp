#include "clips/ClipPreview.h"

#include "clips/MediaKinds.h"
#include "platform/VideoFile.h"

QImage ClipFirstFrame(const QString& path) {
    // FFmpeg would read a still picture as a one-frame clip; pictures have their own preview.
    if (IsPictureFile(path)) return {};
    platform::VideoFile file;
    if (file.Open(path) != platform::VideoFile::OpenResult::Ok || file.FrameCount() < 1) return {};
    QImage frame(file.Width(), file.Height(), QImage::Format_BGR888);
    if (frame.isNull() || !file.ReadFrame(0, frame.bits(), int(frame.bytesPerLine()))) return {};
    return frame;
}
