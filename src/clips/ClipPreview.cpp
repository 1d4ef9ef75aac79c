#include "clips/ClipPreview.h"

#include "platform/AviFile.h"

QImage ClipFirstFrame(const QString& path) {
    platform::AviFile file;
    if (file.Open(path) != platform::AviFile::OpenResult::Ok || file.FrameCount() < 1) return {};
    QImage frame(file.Width(), file.Height(), QImage::Format_BGR888);
    if (frame.isNull() || !file.ReadFrame(0, frame.bits(), int(frame.bytesPerLine()))) return {};
    return frame;
}
