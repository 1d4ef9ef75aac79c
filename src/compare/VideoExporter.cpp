#include "compare/VideoExporter.h"

#include "clips/WorkerFrames.h"
#include "compare/ExportFeed.h"
#include "platform/FfmpegOwners.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

extern "C" {
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

#include <cerrno>
#include <cstdio>
#include <cstring>

using namespace platform;

static_assert(VideoExporter::kScaleFlags == (SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INP));

namespace {

QString avError(int code) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    return QString::fromUtf8(buf);
}

// Hands every packet the encoder has ready to the muxer.
int drain(AVCodecContext* enc, AVFormatContext* fmt, AVStream* st, AVPacket* pkt) {
    for (;;) {
        int r = avcodec_receive_packet(enc, pkt);
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return 0;
        if (r < 0) return r;
        // Without a duration the MP4's edit list ends where the last picture starts.
        if (pkt->duration <= 0) pkt->duration = 1;
        av_packet_rescale_ts(pkt, enc->time_base, st->time_base);
        pkt->stream_index = st->index;
        if ((r = av_interleaved_write_frame(fmt, pkt)) < 0) return r;
    }
}

}  // namespace

VideoExporter::~VideoExporter() { Cancel(); }

QImage ComposeExportFrame(const VideoExportJob& job, FrameCompositor& compositor, size_t i) {
    const VideoExportJob::Pictures& p = job.frames[i];
    const cDIBSection* frame = p.frame;
    if (!frame && job.videoFrames && p.videoFrame >= 0) frame = job.videoFrames->Frame(p.videoFrame);
    const cDIBSection* model = p.model;
    if (!model && job.modelFrames && p.modelFrame >= 0) model = job.modelFrames->Frame(p.modelFrame);
    return frame ? compositor.ComposeAtFrameSize(frame, model, job.geometry, job.effects) : QImage();
}

QString VideoExporter::TargetName(const QString& chosen) {
    if (QFileInfo(chosen).suffix().toLower() == QLatin1String("mp4")) return chosen;
    return chosen + QStringLiteral(".mp4");
}

VideoExportResult VideoExporter::Write(const VideoExportJob& job, const std::atomic<bool>& cancel,
                                       const std::function<void(int)>& progress) {
    auto failed = [&](const QString& reason) {
        return VideoExportResult{VideoExportResult::Failed,
                                 QStringLiteral("The video could not be written to %1:\n%2").arg(job.target, reason)};
    };
    FrameCompositor compositor;
    QImage picture;
    if (!job.frames.empty()) picture = ComposeExportFrame(job, compositor, 0);
    if (picture.isNull()) return failed(QStringLiteral("there are no frames to export."));
    // 4:2:0 pictures have even sides: an odd last row or column is left out.
    const int width = picture.width() & ~1, height = picture.height() & ~1;
    if (width < 2 || height < 2) return failed(QStringLiteral("the picture is too small."));

    // The temporary file sits beside the target, so that the rename at the end cannot cross
    // file systems; it goes whenever the export does not finish.
    const QFileInfo targetInfo(job.target);
    QTemporaryFile temporary(targetInfo.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(targetInfo.fileName())));
    if (!temporary.open()) return failed(temporary.errorString());
    const QByteArray tempName = QFile::encodeName(temporary.fileName());
    temporary.close();

    av_log_set_level(AV_LOG_ERROR);
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (!codec) return failed(QStringLiteral("the H.264 encoder (libx264) is missing."));
    AVFormatContext* rawFmt = nullptr;
    int r = avformat_alloc_output_context2(&rawFmt, nullptr, "mp4", tempName.constData());
    OutputFormatPtr fmt(rawFmt);
    if (r < 0 || !fmt) return failed(avError(r));
    CodecPtr enc(avcodec_alloc_context3(codec));
    if (!enc) return failed(QStringLiteral("out of memory."));
    const AVRational rate = av_d2q(job.framesPerSecond > 0 ? job.framesPerSecond : 25, 100000);
    enc->width = width;
    enc->height = height;
    enc->pix_fmt = AV_PIX_FMT_YUV420P;
    enc->time_base = av_inv_q(rate);
    enc->framerate = rate;
    enc->color_range = AVCOL_RANGE_MPEG;
    enc->colorspace = AVCOL_SPC_SMPTE170M;
    enc->color_primaries = AVCOL_PRI_SMPTE170M;
    enc->color_trc = AVCOL_TRC_SMPTE170M;
    if (fmt->oformat->flags & AVFMT_GLOBALHEADER) enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "preset", kPreset, 0);
    av_dict_set(&options, "crf", kQuality, 0);
    r = avcodec_open2(enc.get(), codec, &options);
    av_dict_free(&options);
    if (r < 0) return failed(QStringLiteral("the encoder refused the picture: ") + avError(r));
    AVStream* st = avformat_new_stream(fmt.get(), nullptr);
    if (!st || avcodec_parameters_from_context(st->codecpar, enc.get()) < 0) return failed(QStringLiteral("out of memory."));
    st->time_base = enc->time_base;
    st->avg_frame_rate = rate;
    if ((r = avio_open(&fmt->pb, tempName.constData(), AVIO_FLAG_WRITE)) < 0) return failed(avError(r));
    // The index goes first, so that a phone starts playing before the whole file is there.
    AVDictionary* muxOptions = nullptr;
    av_dict_set(&muxOptions, "movflags", "+faststart", 0);
    r = avformat_write_header(fmt.get(), &muxOptions);
    av_dict_free(&muxOptions);
    if (r < 0) return failed(avError(r));

    PacketPtr pkt(av_packet_alloc());
    if (!pkt) return failed(QStringLiteral("out of memory."));
    // The pictures are made on the feed's thread while this one hands the ones before to the
    // encoder; the feed stops whenever this function returns.
    const int count = int(job.frames.size());
    ExportFeed feed(job, std::move(picture), width, height);
    for (int i = 0; i < count; ++i) {
        if (cancel) return {VideoExportResult::Cancelled, {}};
        FramePtr yuv = feed.Next();
        if (!yuv) return failed(feed.Error());
        if ((r = avcodec_send_frame(enc.get(), yuv.get())) < 0 || (r = drain(enc.get(), fmt.get(), st, pkt.get())) < 0)
            return failed(avError(r));
        feed.Recycle(std::move(yuv));
        if (progress) progress(i + 1);
    }
    if (cancel) return {VideoExportResult::Cancelled, {}};
    avcodec_send_frame(enc.get(), nullptr);
    if ((r = drain(enc.get(), fmt.get(), st, pkt.get())) < 0 || (r = av_write_trailer(fmt.get())) < 0)
        return failed(avError(r));
    // A full disk or a file-size limit shows as the file's error rather than a failed call.
    if (fmt->pb->error < 0) return failed(avError(fmt->pb->error));
    if ((r = avio_closep(&fmt->pb)) < 0) return failed(avError(r));
    // A temporary file is private to its owner; the video gets what a file of that name had,
    // or what a new document gets.
    const QFileInfo previous(job.target);
    QFile::setPermissions(temporary.fileName(),
                          previous.exists() ? previous.permissions()
                                              : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                    QFile::ReadOther | QFile::ReadUser | QFile::WriteUser);
    if (std::rename(tempName.constData(), QFile::encodeName(job.target).constData()) != 0)
        return failed(QString::fromLocal8Bit(std::strerror(errno)));
    temporary.setAutoRemove(false);  // it has the target's name now
    return {VideoExportResult::Done, {}};
}

void VideoExporter::Start(VideoExportJob job) {
    Cancel();
    cancel_ = false;
    finished_ = false;
    done_ = 0;
    worker_ = std::thread([this, job = std::move(job)] {
        result_ = Write(job, cancel_, [this](int done) { done_ = done; });
        finished_ = true;
    });
}

void VideoExporter::Cancel() {
    cancel_ = true;
    if (worker_.joinable()) worker_.join();
}

VideoExportResult VideoExporter::Take() {
    if (worker_.joinable()) worker_.join();
    return result_;
}
