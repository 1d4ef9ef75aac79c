#include "ClipWriter.h"

#include "platform/FfmpegOwners.h"

#include <QColor>
#include <QPainter>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace cliptools {
namespace {

using platform::CodecPtr;
using platform::FramePtr;
using platform::OutputFormatPtr;
using platform::PacketPtr;
using platform::SwsPtr;

QString avError(int code) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    return QString::fromUtf8(buf);
}

struct CodecChoice {
    AVCodecID id;
    AVPixelFormat format;
};

CodecChoice choose(Codec codec) {
    switch (codec) {
        case Codec::MJPEG:
            return {AV_CODEC_ID_MJPEG, AV_PIX_FMT_YUVJ420P};
        case Codec::MPEG4:
            return {AV_CODEC_ID_MPEG4, AV_PIX_FMT_YUV420P};
        case Codec::RawBGR24:
            return {AV_CODEC_ID_RAWVIDEO, AV_PIX_FMT_BGR24};
        case Codec::Pal8:
            return {AV_CODEC_ID_RAWVIDEO, AV_PIX_FMT_PAL8};
        case Codec::MSVideo1:
            return {AV_CODEC_ID_MSVIDEO1, AV_PIX_FMT_RGB555LE};
        case Codec::Cinepak:
            return {AV_CODEC_ID_CINEPAK, AV_PIX_FMT_RGB24};
        case Codec::H264:
            return {AV_CODEC_ID_H264, AV_PIX_FMT_YUV420P};
        case Codec::HEVC:
            return {AV_CODEC_ID_HEVC, AV_PIX_FMT_YUV420P};
        case Codec::HEVC10:
            return {AV_CODEC_ID_HEVC, AV_PIX_FMT_YUV420P10LE};
        case Codec::VP9:
            return {AV_CODEC_ID_VP9, AV_PIX_FMT_YUV420P};
    }
    return {AV_CODEC_ID_NONE, AV_PIX_FMT_NONE};
}

// A fixed palette: a 6x7x6 colour cube (252 entries) plus 4 greys.
std::array<uint32_t, 256> fixedPalette() {
    std::array<uint32_t, 256> pal{};
    int i = 0;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 7; ++g)
            for (int b = 0; b < 6; ++b)
                pal[i++] =
                    0xFF000000u | uint32_t(r * 51) << 16 | uint32_t(g * 255 / 6) << 8 | uint32_t(b * 51);
    for (int k = 0; i < 256; ++i, ++k) pal[i] = 0xFF000000u | uint32_t(0x40 * (k + 1) - 1) * 0x010101u;
    return pal;
}

void quantiseToPal8(const QImage& rgb, AVFrame* frame) {
    const auto pal = fixedPalette();
    std::memcpy(frame->data[1], pal.data(), 256 * 4);
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* src = rgb.constScanLine(y);
        uint8_t* dst = frame->data[0] + y * frame->linesize[0];
        for (int x = 0; x < rgb.width(); ++x) {
            const int r = (src[3 * x] * 5 + 127) / 255;
            const int g = (src[3 * x + 1] * 6 + 127) / 255;
            const int b = (src[3 * x + 2] * 5 + 127) / 255;
            dst[x] = uint8_t(r * 42 + g * 6 + b);
        }
    }
}

// How long the picture shown at `pts` stays, in the encoder's time base.
using DurationOf = std::function<int64_t(int64_t pts)>;

bool drain(AVCodecContext* enc, AVFormatContext* fmt, AVStream* st, AVPacket* pkt, const DurationOf& durationOf,
           QString* error) {
    for (;;) {
        const int r = avcodec_receive_packet(enc, pkt);
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
        if (r < 0) {
            if (error) *error = QStringLiteral("encoding failed: ") + avError(r);
            return false;
        }
        // Without it an MP4's edit list ends where the last picture starts, and players drop it.
        if (pkt->duration <= 0) pkt->duration = durationOf(pkt->pts);
        av_packet_rescale_ts(pkt, enc->time_base, st->time_base);
        pkt->stream_index = st->index;
        const int w = av_interleaved_write_frame(fmt, pkt);
        if (w < 0) {
            if (error) *error = QStringLiteral("writing failed: ") + avError(w);
            return false;
        }
    }
}


constexpr int kSoundRate = 48000;

// The sound track's encoder and stream: AAC where the container expects it, else PCM.
struct SoundTrack {
    CodecPtr enc;
    AVStream* st = nullptr;
};

bool addSound(AVFormatContext* fmt, SoundTrack* track, QString* error) {
    const QByteArray muxer(fmt->oformat->name);
    const bool aac = muxer.contains("mp4") || muxer.contains("mov");
    const AVCodec* codec = avcodec_find_encoder(aac ? AV_CODEC_ID_AAC : AV_CODEC_ID_PCM_S16LE);
    if (!codec) {
        if (error) *error = QStringLiteral("no encoder for the sound");
        return false;
    }
    track->enc.reset(avcodec_alloc_context3(codec));
    AVCodecContext* enc = track->enc.get();
    enc->sample_fmt = aac ? AV_SAMPLE_FMT_FLTP : AV_SAMPLE_FMT_S16;
    enc->sample_rate = kSoundRate;
    av_channel_layout_default(&enc->ch_layout, 1);
    enc->time_base = AVRational{1, kSoundRate};
    if (aac) enc->bit_rate = 128000;
    if (fmt->oformat->flags & AVFMT_GLOBALHEADER) enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int r = avcodec_open2(enc, codec, nullptr);
    track->st = r < 0 ? nullptr : avformat_new_stream(fmt, nullptr);
    if (!track->st || avcodec_parameters_from_context(track->st->codecpar, enc) < 0) {
        if (error) *error = QStringLiteral("cannot add the sound: ") + avError(r);
        return false;
    }
    track->st->time_base = enc->time_base;
    return true;
}

bool writeSound(const ClipRecipe& clipFormat, double seconds, SoundTrack& track, AVFormatContext* fmt, QString* error) {
    AVCodecContext* enc = track.enc.get();
    FramePtr frame(av_frame_alloc());
    PacketPtr pkt(av_packet_alloc());
    const int chunk = enc->frame_size > 0 ? enc->frame_size : 1024;
    const int64_t first = std::llround(clipFormat.soundStart * kSoundRate);
    const int64_t end = std::llround(seconds * kSoundRate);
    const DurationOf none = [](int64_t) -> int64_t { return 0; };
    for (int64_t at = first; at < end; at += chunk) {
        av_frame_unref(frame.get());
        frame->format = enc->sample_fmt;
        frame->sample_rate = kSoundRate;
        frame->nb_samples = int(std::min<int64_t>(chunk, end - at));
        if (enc->frame_size > 0 && !(enc->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE))
            frame->nb_samples = chunk;  // the last piece padded with what the sound says there
        av_channel_layout_default(&frame->ch_layout, 1);
        if (av_frame_get_buffer(frame.get(), 0) < 0) {
            if (error) *error = QStringLiteral("out of memory");
            return false;
        }
        for (int i = 0; i < frame->nb_samples; ++i) {
            const float v = std::clamp(clipFormat.sound(double(at + i) / kSoundRate), -1.0f, 1.0f);
            if (enc->sample_fmt == AV_SAMPLE_FMT_FLTP)
                reinterpret_cast<float*>(frame->data[0])[i] = v;
            else
                reinterpret_cast<int16_t*>(frame->data[0])[i] = int16_t(std::lround(v * 32767));
        }
        frame->pts = at;
        if (avcodec_send_frame(enc, frame.get()) < 0 || !drain(enc, fmt, track.st, pkt.get(), none, error)) {
            if (error && error->isEmpty()) *error = QStringLiteral("encoding the sound failed");
            return false;
        }
    }
    avcodec_send_frame(enc, nullptr);
    return drain(enc, fmt, track.st, pkt.get(), none, error);
}
}  // namespace

bool WriteClip(const QString& path, const ClipRecipe& clipFormat, int frameCount, const FrameSource& frames,
               QString* error) {
    av_log_set_level(AV_LOG_ERROR);  // the encoders' statistics are not ours to print
    const CodecChoice choice = choose(clipFormat.codec);
    const char* encoderName = clipFormat.codec == Codec::H264                                     ? "libx264"
                              : clipFormat.codec == Codec::HEVC || clipFormat.codec == Codec::HEVC10 ? "libx265"
                              : clipFormat.codec == Codec::VP9                                       ? "libvpx-vp9"
                                                                                                     : nullptr;
    const AVCodec* codec = encoderName ? avcodec_find_encoder_by_name(encoderName) : avcodec_find_encoder(choice.id);
    if (!codec) {
        if (error) *error = QStringLiteral("no encoder for this codec");
        return false;
    }
    const QByteArray file = path.toUtf8();
    AVFormatContext* rawFmt = nullptr;
    // The container goes by the extension; AVI when there is none FFmpeg knows.
    int r = avformat_alloc_output_context2(&rawFmt, nullptr, nullptr, file.constData());
    if (r < 0 || !rawFmt) r = avformat_alloc_output_context2(&rawFmt, nullptr, "avi", file.constData());
    OutputFormatPtr fmt(rawFmt);
    if (r < 0 || !fmt) {
        if (error) *error = QStringLiteral("cannot make a muxer: ") + avError(r);
        return false;
    }
    // MS Video 1 and Cinepak code 4x4 blocks and their encoders refuse other sizes, so such
    // pictures are coded at the next multiple of 4, padded at the right and bottom. A Cinepak
    // clip still declares the size asked for (its decoder crops the padding); MS Video 1
    // decoders only know whole blocks, so that clip declares the padded size.
    const bool blockCodec = clipFormat.codec == Codec::MSVideo1 || clipFormat.codec == Codec::Cinepak;
    const int codedWidth = blockCodec ? (clipFormat.width + 3) & ~3 : clipFormat.width;
    const int codedHeight = blockCodec ? (clipFormat.height + 3) & ~3 : clipFormat.height;
    const int declaredWidth = clipFormat.codec == Codec::MSVideo1 ? codedWidth : clipFormat.width;
    const int declaredHeight = clipFormat.codec == Codec::MSVideo1 ? codedHeight : clipFormat.height;
    CodecPtr enc(avcodec_alloc_context3(codec));
    enc->width = codedWidth;
    enc->height = codedHeight;
    enc->pix_fmt = choice.format;
    const bool variable = bool(clipFormat.showAtMs);
    enc->time_base = variable ? AVRational{1, 1000} : AVRational{1, clipFormat.fps};
    enc->framerate = AVRational{clipFormat.fps, 1};
    enc->gop_size = clipFormat.gopSize;
    enc->max_b_frames = clipFormat.bFrames;
    const bool yuv = choice.format == AV_PIX_FMT_YUV420P || choice.format == AV_PIX_FMT_YUV420P10LE;
    if (yuv) {
        enc->color_range = clipFormat.fullRange ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
        enc->colorspace = clipFormat.bt709 ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M;
        enc->color_primaries = clipFormat.bt709 ? AVCOL_PRI_BT709 : AVCOL_PRI_SMPTE170M;
        enc->color_trc = clipFormat.bt709 ? AVCOL_TRC_BT709 : AVCOL_TRC_SMPTE170M;
    }
    AVDictionary* options = nullptr;
    if (clipFormat.codec == Codec::H264) {
        av_dict_set(&options, "preset", "veryfast", 0);
        av_dict_set(&options, "crf", "16", 0);
    } else if (clipFormat.codec == Codec::HEVC || clipFormat.codec == Codec::HEVC10) {
        av_dict_set(&options, "preset", "ultrafast", 0);
        av_dict_set(&options, "crf", "16", 0);
        const QByteArray params = "log-level=error:bframes=" + QByteArray::number(clipFormat.bFrames) +
                                  ":keyint=" + QByteArray::number(clipFormat.gopSize);
        av_dict_set(&options, "x265-params", params.constData(), 0);
    } else if (clipFormat.codec == Codec::VP9) {
        av_dict_set(&options, "deadline", "realtime", 0);
        av_dict_set(&options, "cpu-used", "8", 0);
        av_dict_set(&options, "crf", "20", 0);
        enc->bit_rate = 0;
    }
    if (clipFormat.codec == Codec::MJPEG || clipFormat.codec == Codec::MPEG4) {
        enc->flags |= AV_CODEC_FLAG_QSCALE;
        enc->global_quality = FF_QP2LAMBDA * clipFormat.quality;
    }
    if (fmt->oformat->flags & AVFMT_GLOBALHEADER) enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    r = avcodec_open2(enc.get(), codec, &options);
    av_dict_free(&options);
    if (r < 0) {
        if (error) *error = QStringLiteral("cannot open the encoder: ") + avError(r);
        return false;
    }
    AVStream* st = avformat_new_stream(fmt.get(), nullptr);
    if (!st || avcodec_parameters_from_context(st->codecpar, enc.get()) < 0) {
        if (error) *error = QStringLiteral("cannot add the video stream");
        return false;
    }
    st->codecpar->width = declaredWidth;
    st->codecpar->height = declaredHeight;
    st->time_base = enc->time_base;
    if (clipFormat.rotation % 360 != 0) {
        // A player turns the picture by the stream's display matrix.
        auto* matrix = reinterpret_cast<int32_t*>(
            av_stream_new_side_data(st, AV_PKT_DATA_DISPLAYMATRIX, 9 * sizeof(int32_t)));
        if (!matrix) {
            if (error) *error = QStringLiteral("out of memory");
            return false;
        }
        av_display_rotation_set(matrix, double(clipFormat.rotation));  // this one is clockwise
    }
    SoundTrack sound;
    if (clipFormat.sound && !addSound(fmt.get(), &sound, error)) return false;
    if ((r = avio_open(&fmt->pb, file.constData(), AVIO_FLAG_WRITE)) < 0) {
        if (error) *error = QStringLiteral("cannot create the file: ") + avError(r);
        return false;
    }
    if ((r = avformat_write_header(fmt.get(), nullptr)) < 0) {
        if (error) *error = QStringLiteral("cannot write the header: ") + avError(r);
        return false;
    }

    FramePtr frame(av_frame_alloc());
    PacketPtr pkt(av_packet_alloc());
    frame->format = choice.format;
    frame->width = codedWidth;
    frame->height = codedHeight;
    if (av_frame_get_buffer(frame.get(), 0) < 0) {
        if (error) *error = QStringLiteral("out of memory");
        return false;
    }
    SwsPtr sws;
    // swscale reads past the end of its source rows: the picture is copied into a frame of
    // FFmpeg's own, padded as swscale needs and zeroed, so the bytes beyond a row are defined.
    FramePtr source(av_frame_alloc());
    if (choice.format != AV_PIX_FMT_PAL8) {
        sws.reset(sws_getContext(codedWidth, codedHeight, AV_PIX_FMT_RGB24, codedWidth, codedHeight,
                                 choice.format, SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr));
        if (sws && yuv)
            sws_setColorspaceDetails(sws.get(), sws_getCoefficients(SWS_CS_DEFAULT), 1,
                                     sws_getCoefficients(clipFormat.bt709 ? SWS_CS_ITU709 : SWS_CS_ITU601),
                                     clipFormat.fullRange ? 1 : 0, 0, 1 << 16, 1 << 16);
        source->format = AV_PIX_FMT_RGB24;
        source->width = codedWidth;
        source->height = codedHeight;
        if (!sws || av_frame_get_buffer(source.get(), 0) < 0) {
            if (error) *error = QStringLiteral("out of memory");
            return false;
        }
        std::memset(source->buf[0]->data, 0, source->buf[0]->size);
    }

    const DurationOf durationOf = [&](int64_t pts) -> int64_t {
        if (!variable) return 1;
        for (int i = 0; i + 1 < frameCount; ++i)
            if (clipFormat.showAtMs(i) == pts) return std::max<int64_t>(1, clipFormat.showAtMs(i + 1) - pts);
        return frameCount > 1 ? std::max<int64_t>(1, clipFormat.showAtMs(frameCount - 1) - clipFormat.showAtMs(frameCount - 2))
                              : 40;
    };
    for (int i = 0; i < frameCount; ++i) {
        QImage picture = frames(i);
        if (picture.size() != QSize(clipFormat.width, clipFormat.height))
            picture = picture.scaled(clipFormat.width, clipFormat.height, Qt::IgnoreAspectRatio,
                                     Qt::SmoothTransformation);
        picture = picture.convertToFormat(QImage::Format_RGB888);
        if (codedWidth != clipFormat.width || codedHeight != clipFormat.height) {
            QImage coded(codedWidth, codedHeight, QImage::Format_RGB888);
            coded.fill(Qt::black);
            QPainter(&coded).drawImage(0, 0, picture);
            picture = coded;
        }
        if (av_frame_make_writable(frame.get()) < 0) {
            if (error) *error = QStringLiteral("out of memory");
            return false;
        }
        if (sws) {
            for (int y = 0; y < codedHeight; ++y)
                std::memcpy(source->data[0] + y * source->linesize[0], picture.constScanLine(y),
                            size_t(codedWidth) * 3);
            sws_scale(sws.get(), source->data, source->linesize, 0, codedHeight, frame->data, frame->linesize);
        } else {
            quantiseToPal8(picture, frame.get());
        }
        frame->pts = variable ? clipFormat.showAtMs(i) : i;
        if ((r = avcodec_send_frame(enc.get(), frame.get())) < 0) {
            if (error) *error = QStringLiteral("encoding failed: ") + avError(r);
            return false;
        }
        if (!drain(enc.get(), fmt.get(), st, pkt.get(), durationOf, error)) return false;
    }
    avcodec_send_frame(enc.get(), nullptr);
    if (!drain(enc.get(), fmt.get(), st, pkt.get(), durationOf, error)) return false;
    // The muxer's interleaving holds the pictures back until the sound beside them is written.
    if (clipFormat.sound) {
        const double seconds = variable && frameCount > 0
                                   ? double(clipFormat.showAtMs(frameCount - 1) + durationOf(clipFormat.showAtMs(frameCount - 1))) / 1000
                                   : double(frameCount) / clipFormat.fps;
        if (!writeSound(clipFormat, seconds, sound, fmt.get(), error)) return false;
    }
    if ((r = av_write_trailer(fmt.get())) < 0) {
        if (error) *error = QStringLiteral("cannot finish the file: ") + avError(r);
        return false;
    }
    return true;
}

namespace {
constexpr int kBits = 10;
}

QImage NumberedFrame(int frameNumber, int width, int height) {
    QImage img(width, height, QImage::Format_RGB888);
    // The lower half's colour changes with the number so frames also look different.
    img.fill(QColor::fromHsv((frameNumber * 37) % 360, 160, 200));
    QPainter p(&img);
    const int band = height / 2;
    for (int bit = 0; bit < kBits; ++bit) {
        const int x0 = bit * width / kBits;
        const int x1 = (bit + 1) * width / kBits;
        p.fillRect(x0, 0, x1 - x0, band, (frameNumber >> bit) & 1 ? Qt::white : Qt::black);
    }
    return img;
}

int ReadFrameNumber(const QImage& picture) {
    if (picture.isNull() || picture.width() < kBits || picture.height() < 2) return -1;
    const int band = picture.height() / 2;
    int number = 0;
    for (int bit = 0; bit < kBits; ++bit) {
        const int x = (2 * bit + 1) * picture.width() / (2 * kBits);
        const QColor c = picture.pixelColor(x, band / 2);
        const int luma = (c.red() * 299 + c.green() * 587 + c.blue() * 114) / 1000;
        if (luma > 160)
            number |= 1 << bit;
        else if (luma > 96)
            return -1;  // neither black nor white: not a numbered frame
    }
    return number;
}

}  // namespace cliptools
