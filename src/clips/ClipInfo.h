#pragma once
// The clip's information panel: its file, frames, rate, size, and the frame shown with its time.

#include <QStringList>

struct FrameStore;
namespace platform {
class PictureBox;
}

// The panel's lines for `clip` showing frame `shownFrame`.
QStringList ClipInfoLines(const FrameStore& clip, int shownFrame);
// Paints those lines, then `more`, into `box` and shows it.
void PaintClipInfo(platform::PictureBox& box, const FrameStore& clip, int shownFrame,
                   const QStringList& more);
