#pragma once
// What the media control must answer at once after an open: the picture size and the
// length in frames. Qt Multimedia learns both only asynchronously, so they are read from
// the file itself with FFmpeg.

#include <QString>

namespace platform {

struct MediaInfo {
    int width = 0;
    int height = 0;
    int frames = 0;  // length in frames
    double framesPerSecond = 0;
};

enum class ProbeResult { Ok, NotFound, NotMedia, NoVideo, NoDecoder };

// aviOnly: the file must be an AVI clip; its frames are counted as the clip reader counts
// them. Otherwise any container FFmpeg reads is accepted and the length comes from the
// stream's frame count or, when it has none, from its duration.
ProbeResult ProbeMedia(const QString& path, bool aviOnly, MediaInfo* info);

}  // namespace platform
