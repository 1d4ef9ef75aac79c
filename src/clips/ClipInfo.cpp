#include "clips/ClipInfo.h"

#include "clips/FrameStore.h"
#include "clips/cVideo.h"
#include "platform/PictureBox.h"

#include <cmath>

QStringList ClipInfoLines(const FrameStore& clip, int shownFrame) {
    const QSize size = clip.FrameSize();
    const cVideo* reader = clip.reader.get();
    // Rates such as 29.97 keep their decimals; whole ones (240) show none.
    const double rate = reader ? std::round(reader->FramesPerSecond() * 100.0) / 100.0 : 0.0;
    return {
        QStringLiteral("File: ") + clip.clipFileName,
        // Paired on a line, so that the panel keeps room for the swing's tempo below.
        QStringLiteral("No Frames: ") + QString::number(clip.frameCount) + QStringLiteral("   Rate: ") +
            QString::number(rate, 'g', 6) + QStringLiteral(" fps"),
        QStringLiteral("Video: ") + QString::number(size.width()) + QLatin1Char('x') +
            QString::number(size.height()),
        QStringLiteral("Frame: ") + QString::number(shownFrame) + QStringLiteral("   Time: ") +
            QString::number(reader ? reader->FrameSeconds(shownFrame) : 0.0, 'f', 3) + QStringLiteral(" s"),
    };
}

void PaintClipInfo(platform::PictureBox& box, const FrameStore& clip, int shownFrame,
                   const QStringList& more) {
    box.SetFont(QFont(QStringLiteral("Times New Roman"), 10));
    box.Cls();
    const double h = box.TextHeight(clip.clipFileName);
    const QStringList shown = ClipInfoLines(clip, shownFrame) + more;
    for (int i = 0; i < shown.size(); ++i) {
        box.CurrentX = 0;
        box.CurrentY = i == 0 ? 10 : i * h + 20;
        box.Print(shown[i]);
    }
    box.Refresh();
    box.show();
}
