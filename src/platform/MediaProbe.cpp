#include "platform/MediaProbe.h"

#include "platform/FfmpegOwners.h"
#include "platform/VideoFile.h"

#include <QFileInfo>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
}

#include <cmath>
#include <cstdint>
#include <limits>

namespace platform {
namespace {

ProbeResult probeAvi(const QString& path, MediaInfo* info) {
    VideoFile file;
    switch (file.Open(path)) {
        case VideoFile::OpenResult::Ok:
            break;
        case VideoFile::OpenResult::NoDecoder:
            return ProbeResult::NoDecoder;
        case VideoFile::OpenResult::FileError:
            return ProbeResult::NotMedia;
    }
    info->width = file.Width();
    info->height = file.Height();
    info->frames = file.FrameCount();
    info->framesPerSecond = file.FramesPerSecond();
    return ProbeResult::Ok;
}

double rateOf(AVRational r) {
    return r.num > 0 && r.den > 0 ? av_q2d(r) : 0.0;
}

ProbeResult probeAny(const QString& path, MediaInfo* info) {
    AVFormatContext* raw = nullptr;
    // "file:" keeps a colon in the path from being read as a protocol name.
    const QByteArray url = QByteArrayLiteral("file:") + path.toUtf8();
    if (avformat_open_input(&raw, url.constData(), nullptr, nullptr) < 0) return ProbeResult::NotMedia;
    FormatPtr fmt(raw);
    if (avformat_find_stream_info(fmt.get(), nullptr) < 0) return ProbeResult::NotMedia;
    const int index = av_find_best_stream(fmt.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) return ProbeResult::NoVideo;
    const AVStream* stream = fmt->streams[index];
    const AVCodecParameters* par = stream->codecpar;
    if (!avcodec_find_decoder(par->codec_id)) return ProbeResult::NoDecoder;
    if (par->width <= 0 || par->height <= 0) return ProbeResult::NotMedia;

    double fps = rateOf(stream->avg_frame_rate);
    if (fps <= 0) fps = rateOf(stream->r_frame_rate);
    double seconds = 0;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        seconds = double(stream->duration) * av_q2d(stream->time_base);
    else if (fmt->duration != AV_NOPTS_VALUE && fmt->duration > 0)
        seconds = double(fmt->duration) / AV_TIME_BASE;
    double frames = stream->nb_frames > 0 ? double(stream->nb_frames) : std::nearbyint(seconds * fps);
    if (fps <= 0 && frames > 0 && seconds > 0) fps = frames / seconds;
    // Lengths are 32-bit counts.
    if (!(frames >= 0)) frames = 0;
    if (frames > double(std::numeric_limits<int32_t>::max())) frames = std::numeric_limits<int32_t>::max();

    // A clip filmed upright is shown turned by its display matrix: its size is the turned one.
    bool quarterTurn = false;
    if (const uint8_t* matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr)) {
        const double angle = av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
        quarterTurn = std::isfinite(angle) && std::abs(std::lrint(angle / 90.0)) % 2 == 1;
    }
    info->width = quarterTurn ? par->height : par->width;
    info->height = quarterTurn ? par->width : par->height;
    info->frames = int(frames);
    info->framesPerSecond = fps;
    return ProbeResult::Ok;
}

}  // namespace

ProbeResult ProbeMedia(const QString& path, bool aviOnly, MediaInfo* info) {
    MediaInfo found;
    const QFileInfo fi(path);
    if (path.isEmpty() || !fi.exists() || !fi.isFile()) return ProbeResult::NotFound;
    const ProbeResult r = aviOnly ? probeAvi(path, &found) : probeAny(path, &found);
    if (r == ProbeResult::Ok && info) *info = found;
    return r;
}

}  // namespace platform
