#include "platform/VideoFile.h"

#include "platform/FfmpegOwners.h"

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace platform {
namespace {

constexpr int64_t kNoPts = AV_NOPTS_VALUE;
static_assert(VideoFile::kConversionFlags == (SWS_BILINEAR | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT));

uint32_t le32(const uint8_t* s) {
    return uint32_t(s[0]) | uint32_t(s[1]) << 8 | uint32_t(s[2]) << 16 | uint32_t(s[3]) << 24;
}

// The empty video chunks after the last non-empty one in an AVI's idx1 index, or 0 when the
// index is missing or disagrees with the `pictureChunks` the demuxer indexed.
int trailingEmptyChunks(const QString& path, int aviStream, int64_t pictureChunks) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return 0;
    char riff[12];
    if (file.read(riff, 12) != 12 || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "AVI ", 4) != 0)
        return 0;
    const char tens = char('0' + aviStream / 10);
    const char units = char('0' + aviStream % 10);
    for (int chunk = 0; chunk < 64; ++chunk) {
        uint8_t head[8];
        if (file.read(reinterpret_cast<char*>(head), 8) != 8) return 0;
        const uint32_t size = le32(head + 4);
        if (std::memcmp(head, "idx1", 4) != 0) {
            if (!file.seek(file.pos() + int64_t(size) + (size & 1))) return 0;
            continue;
        }
        const QByteArray index = file.read(std::min<int64_t>(size, file.size() - file.pos()));
        int64_t nonEmpty = 0;
        int trailing = 0;
        for (qsizetype at = 0; at + 16 <= index.size(); at += 16) {
            const char* e = index.constData() + at;
            if (e[0] != tens || e[1] != units || e[2] != 'd' || (e[3] != 'c' && e[3] != 'b')) continue;
            if (le32(reinterpret_cast<const uint8_t*>(e + 12)) == 0) {
                ++trailing;
            } else {
                ++nonEmpty;
                trailing = 0;
            }
        }
        return nonEmpty == pictureChunks ? trailing : 0;
    }
    return 0;
}

double rateOf(AVRational r) {
    return r.num > 0 && r.den > 0 ? av_q2d(r) : 0.0;
}

// The capture rate a phone records beside a slow-motion clip stored at its playback rate.
double captureRate(const AVDictionary* metadata) {
    const AVDictionaryEntry* e = nullptr;
    while ((e = av_dict_get(metadata, "", e, AV_DICT_IGNORE_SUFFIX))) {
        const QByteArray key = QByteArray(e->key).toLower();
        if (!key.contains("capture.fps") && !key.contains("capture-fps")) continue;
        bool ok = false;
        const double fps = QByteArray(e->value).trimmed().toDouble(&ok);
        if (ok && fps > 0 && fps < 100000) return fps;
    }
    return 0;
}

// swscale's name for the stream's colour matrix; unknown matrices are read as BT.601, as
// FFmpeg's own scale filter reads them.
int swsColorspace(AVColorSpace space) {
    switch (space) {
        case AVCOL_SPC_BT709:
            return SWS_CS_ITU709;
        case AVCOL_SPC_BT2020_NCL:
        case AVCOL_SPC_BT2020_CL:
            return SWS_CS_BT2020;
        case AVCOL_SPC_FCC:
            return SWS_CS_FCC;
        case AVCOL_SPC_SMPTE240M:
            return SWS_CS_SMPTE240M;
        default:
            return SWS_CS_ITU601;
    }
}

// The "J" formats are the plain ones at full range; swscale wants them said so.
AVPixelFormat plainFormat(AVPixelFormat format, bool* fullRange) {
    switch (format) {
        case AV_PIX_FMT_YUVJ420P:
            *fullRange = true;
            return AV_PIX_FMT_YUV420P;
        case AV_PIX_FMT_YUVJ422P:
            *fullRange = true;
            return AV_PIX_FMT_YUV422P;
        case AV_PIX_FMT_YUVJ444P:
            *fullRange = true;
            return AV_PIX_FMT_YUV444P;
        case AV_PIX_FMT_YUVJ440P:
            *fullRange = true;
            return AV_PIX_FMT_YUV440P;
        case AV_PIX_FMT_YUVJ411P:
            *fullRange = true;
            return AV_PIX_FMT_YUV411P;
        default:
            return format;
    }
}

// Copies a packed 24-bit picture turned clockwise by `rotation` degrees.
void copyTurned(const uint8_t* src, int srcStride, int srcW, int srcH, int rotation, uint8_t* dst,
                int dstStride) {
    const size_t rowBytes = size_t(srcW) * 3;
    switch (rotation) {
        case 0:
            for (int y = 0; y < srcH; ++y)
                std::memcpy(dst + ptrdiff_t(y) * dstStride, src + ptrdiff_t(y) * srcStride, rowBytes);
            break;
        case 180:
            for (int y = 0; y < srcH; ++y) {
                const uint8_t* s = src + ptrdiff_t(srcH - 1 - y) * srcStride + (srcW - 1) * 3;
                uint8_t* d = dst + ptrdiff_t(y) * dstStride;
                for (int x = 0; x < srcW; ++x, s -= 3, d += 3) std::memcpy(d, s, 3);
            }
            break;
        case 90:  // the stored picture's bottom-left corner becomes the top-left
            for (int y = 0; y < srcW; ++y) {
                const uint8_t* s = src + ptrdiff_t(srcH - 1) * srcStride + y * 3;
                uint8_t* d = dst + ptrdiff_t(y) * dstStride;
                for (int x = 0; x < srcH; ++x, s -= srcStride, d += 3) std::memcpy(d, s, 3);
            }
            break;
        case 270:  // the top-right corner becomes the top-left
            for (int y = 0; y < srcW; ++y) {
                const uint8_t* s = src + (srcW - 1 - y) * 3;
                uint8_t* d = dst + ptrdiff_t(y) * dstStride;
                for (int x = 0; x < srcH; ++x, s += srcStride, d += 3) std::memcpy(d, s, 3);
            }
            break;
    }
}

}  // namespace

struct VideoFile::Impl {
    QString path;
    int streamIndex = -1;
    AVRational timeBase{1, 1};
    // AVI: timestamps count frame periods, and frames are numbered by time.
    bool byTime = false;
    FormatPtr fmt;
    CodecPtr dec;
    PacketPtr pkt{av_packet_alloc()};
    FramePtr pulled{av_frame_alloc()};
    int codedWidth = 0, codedHeight = 0, rotation = 0;

    // What is known of the clip: frame number -> timestamp of the picture it shows, and the
    // latest frame at or before it that shows a key picture (where decoding can start).
    std::vector<int64_t> shows;
    std::vector<int> keyAt;
    bool ended = false;  // `shows` holds every frame
    int estimate = 0;    // the count the index or headers give
    int trailing = 0;    // AVI: empty chunks after the last picture
    double declaredRate = 0, taggedRate = 0;

    // AVI: the timestamps of the chunks that carry a picture, in file order. The container has
    // no presentation times: the k-th picture out of the decoder is shown in the k-th of them.
    // A picture keeps its chunk's timestamp through the decoder, so once its place in that
    // order is known it is recognised again after a seek, even from a codec that reorders.
    std::vector<int64_t> chunkTimes;
    std::unordered_map<int64_t, int64_t> ordinalOfChunk;
    bool reorders = false;  // the codec may store pictures out of presentation order
    int64_t nextOrdinal = 0;

    // Decoder state: the newest picture at or before the last frame asked for, and one
    // picture decoded beyond it.
    FramePtr cur{av_frame_alloc()};
    FramePtr pend{av_frame_alloc()};
    int64_t curPts = kNoPts, pendPts = kNoPts, lastOutPts = kNoPts;
    bool eofSent = false, drained = false;
    int seeks = 0;  // repositionings since the open, rewinds included

    // A turned picture or a preview is converted into this frame of FFmpeg's own (each row padded),
    // then copied into the caller's rows.
    FramePtr bgr{av_frame_alloc()};
    SwsPtr sws;
    int64_t swsKey = -1;
    int swsW = 0, swsH = 0, swsOutW = 0, swsOutH = 0;

    bool allocated() const { return pkt && pulled && cur && pend && bgr; }

    // Reads the first packets to learn what the headers leave out; once only (a second probe of
    // an opened file is not safe in FFmpeg).
    bool probed = false;
    void probe() {
        if (probed || !fmt) return;
        probed = true;
        avformat_find_stream_info(fmt.get(), nullptr);
    }

    bool openFormat() {
        fmt.reset();
        AVFormatContext* raw = nullptr;
        // "file:" keeps a colon in the path from being read as a protocol name.
        const QByteArray url = QByteArrayLiteral("file:") + path.toUtf8();
        if (avformat_open_input(&raw, url.constData(), nullptr, nullptr) < 0) return false;
        fmt.reset(raw);
        if (streamIndex < 0) {
            streamIndex = chooseStream();
            if (streamIndex < 0) {
                // Some containers only say what their streams hold once packets are read.
                probe();
                streamIndex = chooseStream();
            }
        }
        if (streamIndex < 0 || unsigned(streamIndex) >= fmt->nb_streams) return false;
        for (unsigned i = 0; i < fmt->nb_streams; ++i)
            fmt->streams[i]->discard = int(i) == streamIndex ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
        return true;
    }

    // The first video stream marked as the default one, else the first video stream; cover
    // pictures attached to audio files are not clips.
    int chooseStream() const {
        int first = -1;
        for (unsigned i = 0; i < fmt->nb_streams; ++i) {
            const AVStream* st = fmt->streams[i];
            if (st->codecpar->codec_type != AVMEDIA_TYPE_VIDEO || (st->disposition & AV_DISPOSITION_ATTACHED_PIC))
                continue;
            if (st->disposition & AV_DISPOSITION_DEFAULT) return int(i);
            if (first < 0) first = int(i);
        }
        return first;
    }

    // --- what is known of the clip ---------------------------------------------------------

    int numberOf(int64_t pts) const {
        return int(std::lower_bound(shows.begin(), shows.end(), pts) - shows.begin());
    }

    void finish() {
        if (ended) return;
        ended = true;
        // AVI: chunks after the last picture whose data no decoder could read are frames too,
        // and show the picture before them, as damaged ones between pictures do.
        if (byTime && !shows.empty() && !chunkTimes.empty())
            while (int64_t(shows.size()) <= chunkTimes.back() && int(shows.size()) < kMaxFrames) {
                shows.push_back(shows.back());
                keyAt.push_back(keyAt.back());
            }
        if (!shows.empty())
            for (int i = 0; i < trailing && int(shows.size()) < kMaxFrames; ++i) {
                shows.push_back(shows.back());
                keyAt.push_back(keyAt.back());
            }
    }

    // Notes a picture that comes after every one known so far.
    void record(int64_t pts, bool key) {
        if (ended || (!shows.empty() && pts <= shows.back())) return;
        int64_t number = int64_t(shows.size());
        if (byTime) number = std::max(number, pts);  // empty chunks before it repeat the picture before
        while (int64_t(shows.size()) < number && int(shows.size()) < kMaxFrames) {
            shows.push_back(shows.empty() ? pts : shows.back());
            keyAt.push_back(keyAt.empty() ? 0 : keyAt.back());
        }
        if (int(shows.size()) >= kMaxFrames) {
            finish();
            return;
        }
        const int n = int(shows.size());
        shows.push_back(pts);
        keyAt.push_back(key || keyAt.empty() ? n : keyAt.back());
    }

    // --- decoding ------------------------------------------------------------------------

    void resetDecoder() {
        avcodec_flush_buffers(dec.get());
        av_frame_unref(cur.get());
        av_frame_unref(pend.get());
        curPts = pendPts = lastOutPts = kNoPts;
        eofSent = drained = false;
    }

    bool rewind() {
        ++seeks;
        resetDecoder();
        probed = true;  // the reopened file needs no probe: the stream is known
        nextOrdinal = 0;
        return openFormat();
    }

    // Repositions so that decoding starts at or before the key picture frame `f` shows.
    bool seekToFrame(int f) {
        if (f <= 0 || shows.empty()) return rewind();
        ++seeks;
        resetDecoder();
        return av_seek_frame(fmt.get(), streamIndex, shows[size_t(f)], AVSEEK_FLAG_BACKWARD) >= 0 || rewind();
    }

    int64_t ordinalPts(int64_t k) const {
        if (k < int64_t(chunkTimes.size())) return chunkTimes[size_t(k)];
        return chunkTimes.empty() ? k : chunkTimes.back() + (k - int64_t(chunkTimes.size()) + 1);
    }

    // Feeds the next packet of the stream to the decoder, or the end-of-stream signal.
    void feed() {
        for (;;) {
            av_packet_unref(pkt.get());
            if (!fmt || av_read_frame(fmt.get(), pkt.get()) < 0) break;
            if (pkt->stream_index != streamIndex || pkt->size <= 0) continue;
            if (byTime) {
                const int64_t t = pkt->dts != kNoPts ? pkt->dts : pkt->pts;
                if (t != kNoPts && (chunkTimes.empty() || t > chunkTimes.back())) chunkTimes.push_back(t);
                pkt->pts = t;  // the picture carries its chunk's timestamp through the decoder
            }
            avcodec_send_packet(dec.get(), pkt.get());  // a damaged packet just gives no picture
            av_packet_unref(pkt.get());
            return;
        }
        av_packet_unref(pkt.get());
        avcodec_send_packet(dec.get(), nullptr);
        eofSent = true;
    }

    // The next picture in presentation order, into `pulled`; false at the end of the stream.
    bool pull(int64_t* pts) {
        for (;;) {
            if (drained) return false;
            const int r = avcodec_receive_frame(dec.get(), pulled.get());
            if (r == 0) break;
            if (r == AVERROR(EAGAIN) && !eofSent) {
                feed();
                continue;
            }
            // The end, or a decoder that cannot go on: every picture after the last
            // repositioning has come out, so what is known of the clip is complete.
            drained = true;
            finish();
            return false;
        }
        int64_t t = kNoPts;
        if (byTime && !reorders && pulled->pts != kNoPts) {
            t = pulled->pts;  // its own chunk's time: a chunk that gives no picture leaves a gap
        } else if (byTime) {
            int64_t k = nextOrdinal;
            if (pulled->pts != kNoPts) k = ordinalOfChunk.emplace(pulled->pts, nextOrdinal).first->second;
            nextOrdinal = k + 1;
            t = ordinalPts(k);
        } else {
            t = pulled->best_effort_timestamp != kNoPts ? pulled->best_effort_timestamp : pulled->pts;
            if (t == kNoPts) t = lastOutPts == kNoPts ? 0 : lastOutPts + 1;
        }
        lastOutPts = t;
        record(t, pulled->key_frame || pulled->pict_type == AV_PICTURE_TYPE_I);
        *pts = t;
        return true;
    }

    void keepAsCurrent(int64_t t) {
        av_frame_unref(cur.get());
        av_frame_move_ref(cur.get(), pulled.get());
        curPts = t;
    }
    void keepAsPending(int64_t t) {
        av_frame_unref(pend.get());
        av_frame_move_ref(pend.get(), pulled.get());
        pendPts = t;
    }
    void pendingToCurrent() {
        av_frame_unref(cur.get());
        av_frame_move_ref(cur.get(), pend.get());
        curPts = pendPts;
        pendPts = kNoPts;
    }

    // Decodes forward until frame n is known (or the clip ends before it).
    bool discover(int n) {
        if (n < int(shows.size()) || ended) return n < int(shows.size());
        // Go on from the newest known picture: seek when the decoder is behind its key picture.
        const int last = int(shows.size()) - 1;
        if (last >= 0) {
            const bool behind = lastOutPts == kNoPts || drained || numberOf(lastOutPts) < keyAt[size_t(last)];
            if (behind && !seekToFrame(keyAt[size_t(last)])) return false;
        }
        if (pendPts != kNoPts) pendingToCurrent();
        int64_t t = kNoPts;
        while (int(shows.size()) <= n && pull(&t)) {
            if (numberOf(t) > n) {
                keepAsPending(t);
                break;
            }
            keepAsCurrent(t);
        }
        return n < int(shows.size());
    }

    // Makes `cur` the picture frame n shows (or, when that one does not decode, the newest
    // picture before it).
    bool positionAt(int n) {
        const int64_t want = shows[size_t(n)];
        if (curPts == want) return true;
        if (pendPts == want) {
            pendingToCurrent();
            return true;
        }
        // Decoding on is cheaper than seeking unless a key picture lies between.
        bool forward = lastOutPts != kNoPts && !drained && lastOutPts < want &&
                       keyAt[size_t(n)] <= numberOf(lastOutPts);
        if (pendPts != kNoPts && pendPts > want) forward = false;
        if (!forward && !seekToFrame(keyAt[size_t(n)])) return false;
        bool first = !forward;
        for (;;) {
            int64_t t = kNoPts;
            if (pendPts != kNoPts) {
                t = pendPts;
                av_frame_unref(pulled.get());
                av_frame_move_ref(pulled.get(), pend.get());
                pendPts = kNoPts;
            } else if (!pull(&t)) {
                break;
            }
            if (first && t > want) {
                // The seek landed past the picture: decode from the top instead.
                first = false;
                if (!rewind()) return false;
                continue;
            }
            first = false;
            if (t <= want) {
                keepAsCurrent(t);
                if (t == want) return true;
            } else {
                keepAsPending(t);
                break;
            }
        }
        return curPts != kNoPts;
    }

    // Converts `frame` into rows of `width` x `height` upright pixels: the picture's own size with
    // kConversionFlags, any other size averaged over the pixels each one covers.
    bool convert(const AVFrame* frame, int width, int height, uint8_t* firstRow, int stride) {
        if (frame->width <= 0 || frame->height <= 0 || frame->format < 0) return false;
        const bool quarter = rotation == 90 || rotation == 270;
        const int outW = quarter ? height : width, outH = quarter ? width : height;
        const bool whole = outW == codedWidth && outH == codedHeight;
        bool fullRange = frame->color_range == AVCOL_RANGE_JPEG;
        const AVPixelFormat format = plainFormat(AVPixelFormat(frame->format), &fullRange);
        const int space = swsColorspace(frame->colorspace);
        const int64_t key = int64_t(format) | int64_t(fullRange) << 16 | int64_t(space) << 17;
        if (!sws || swsKey != key || swsW != frame->width || swsH != frame->height || swsOutW != outW ||
            swsOutH != outH) {
            av_frame_unref(bgr.get());
            sws = NewConverter(frame->width, frame->height, format, outW, outH, AV_PIX_FMT_BGR24,
                               whole ? kConversionFlags : SWS_AREA | SWS_ACCURATE_RND);
            if (!sws) return false;
            sws_setColorspaceDetails(sws.get(), sws_getCoefficients(space), fullRange ? 1 : 0,
                                     sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
            swsKey = key;
            swsW = frame->width;
            swsH = frame->height;
            swsOutW = outW;
            swsOutH = outH;
        }
        // The frame's own format stays as decoded ("J" ones too): the converter was told the plain one.
        if (rotation == 0 && whole) {
            // An upright whole picture goes straight into the caller's rows, sparing a copy of
            // every frame (4 ms for a 4K one) and a frame's worth of memory. At these flags
            // swscale writes only each row's own pixels and padding, top-down or bottom-up, on one
            // thread or eight (checked over nine pixel formats and odd widths, under valgrind).
            // Its averaging scaler does not: rows bottom-up, or split over threads, it writes past
            // a row, so previews go through the padded frame below.
            FramePtr out(av_frame_alloc());
            if (!out) return false;
            out->format = AV_PIX_FMT_BGR24;
            out->width = outW;
            out->height = outH;
            out->data[0] = firstRow;
            out->linesize[0] = stride;
            // The rows stay the caller's: the buffer only lends them to swscale (bottom-up rows
            // start at the last row in memory).
            uint8_t* lowest = stride < 0 ? firstRow + ptrdiff_t(stride) * (outH - 1) : firstRow;
            out->buf[0] = av_buffer_create(lowest, size_t(std::abs(stride)) * size_t(outH),
                                           [](void*, uint8_t*) {}, nullptr, 0);
            return out->buf[0] && sws_scale_frame(sws.get(), out.get(), frame) >= 0;
        }
        if (!bgr->buf[0]) {
            bgr->format = AV_PIX_FMT_BGR24;
            bgr->width = outW;
            bgr->height = outH;
            if (av_frame_get_buffer(bgr.get(), 0) < 0) {
                av_frame_unref(bgr.get());
                return false;
            }
        }
        if (sws_scale_frame(sws.get(), bgr.get(), frame) < 0) return false;
        copyTurned(bgr->data[0], bgr->linesize[0], outW, outH, rotation, firstRow, stride);
        return true;
    }
};

struct VideoFile::Layout {
    std::vector<int64_t> shows;
    std::vector<int> keyAt;
    bool ended = false;
    std::vector<int64_t> chunkTimes;
    std::unordered_map<int64_t, int64_t> ordinalOfChunk;
};

std::shared_ptr<const VideoFile::Layout> VideoFile::Learnt() const {
    if (!m) return nullptr;
    return std::make_shared<const Layout>(Layout{m->shows, m->keyAt, m->ended, m->chunkTimes, m->ordinalOfChunk});
}

VideoFile::VideoFile() = default;
VideoFile::~VideoFile() = default;

bool VideoFile::IsOpen() const {
    return m && m->fmt && m->dec;
}

int VideoFile::Seeks() const {
    return m ? m->seeks : 0;
}

int VideoFile::FrameCount() const {
    if (!m) return 0;
    const int known = int(m->shows.size());
    return m->ended ? known : std::max(known, m->estimate);
}

bool VideoFile::CountIsExact() const {
    return m && m->ended;
}

double VideoFile::FramesPerSecond() const {
    if (!m) return 0;
    if (m->taggedRate > 0) return m->taggedRate;
    if (m->byTime) return m->declaredRate;
    // The timestamps of the frames decoded so far, when there are enough of them to say.
    if (m->shows.size() >= 2 && m->shows.back() > m->shows.front())
        return double(m->shows.size() - 1) / (double(m->shows.back() - m->shows.front()) * av_q2d(m->timeBase));
    return m->declaredRate;
}

double VideoFile::FrameSeconds(int n) const {
    if (!m || n < 0) return 0;
    if (m->byTime) return n * av_q2d(m->timeBase);
    const auto& shows = m->shows;
    if (n < int(shows.size())) return double(shows[size_t(n)] - shows.front()) * av_q2d(m->timeBase);
    const double fps = FramesPerSecond();
    const double last = shows.empty() ? 0 : double(shows.back() - shows.front()) * av_q2d(m->timeBase);
    const int lastN = int(shows.size()) - 1;
    return fps > 0 ? last + (n - lastN) / fps : last;
}

double VideoFile::StartSeconds() const {
    // AVI numbers frames by time from 0; elsewhere frame 0 is the first picture shown.
    if (!m || m->byTime || m->shows.empty()) return 0;
    return double(m->shows.front()) * av_q2d(m->timeBase);
}

void VideoFile::Close() {
    m.reset();
    m_width = m_height = 0;
}

VideoFile::OpenResult VideoFile::Open(const QString& path, std::shared_ptr<const Layout> learnt) {
    Close();
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_FATAL);  // damaged files are reported by us, once
        return true;
    }();
    (void)quiet;
    auto impl = std::make_unique<Impl>();
    if (!impl->allocated()) return OpenResult::FileError;
    impl->path = path;
    if (!impl->openFormat()) return OpenResult::FileError;
    // FFmpeg reads a still picture as a one-frame stream; pictures are opened as pictures.
    const QByteArray demuxer(impl->fmt->iformat->name);
    if (demuxer == "image2" || demuxer.endsWith("_pipe")) return OpenResult::FileError;
    // Some writers leave the frame size out of the headers; then the decoder must find it.
    const AVCodecParameters* declared = impl->fmt->streams[impl->streamIndex]->codecpar;
    if (declared->width <= 0 || declared->height <= 0) impl->probe();
    const AVStream* st = impl->fmt->streams[impl->streamIndex];
    const AVCodecParameters* par = st->codecpar;
    if (par->width <= 0 || par->height <= 0 || par->width > kMaxSide || par->height > kMaxSide)
        return OpenResult::FileError;

    const AVCodec* codec = avcodec_find_decoder(par->codec_id);
    if (!codec) return OpenResult::NoDecoder;
    impl->dec.reset(avcodec_alloc_context3(codec));
    if (!impl->dec || avcodec_parameters_to_context(impl->dec.get(), par) < 0) return OpenResult::FileError;
    impl->dec->thread_count = 0;  // as many as the machine has
    impl->dec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    impl->dec->pkt_timebase = st->time_base;
    if (avcodec_open2(impl->dec.get(), codec, nullptr) < 0) return OpenResult::NoDecoder;

    impl->timeBase = st->time_base.num > 0 && st->time_base.den > 0 ? st->time_base : AVRational{1, 25};
    impl->byTime = std::strcmp(impl->fmt->iformat->name, "avi") == 0;
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(par->codec_id);
    impl->reorders = !descriptor || (descriptor->props & AV_CODEC_PROP_REORDER);
    if (const uint8_t* matrix = av_stream_get_side_data(st, AV_PKT_DATA_DISPLAYMATRIX, nullptr)) {
        // The matrix turns the picture counter-clockwise by this angle; a phone held upright
        // records its landscape sensor's picture with a quarter turn here.
        const double ccw = av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
        if (std::isfinite(ccw)) impl->rotation = int((std::lrint(-ccw / 90.0) % 4 + 4) % 4) * 90;
    }
    const bool quarter = impl->rotation == 90 || impl->rotation == 270;
    impl->declaredRate = impl->byTime && st->time_base.num > 0 ? av_q2d(av_inv_q(st->time_base))
                         : rateOf(st->avg_frame_rate) > 0     ? rateOf(st->avg_frame_rate)
                                                              : rateOf(st->r_frame_rate);
    impl->taggedRate = std::max(captureRate(impl->fmt->metadata), captureRate(st->metadata));

    // The count from the index (every sample of an MP4 or MOV, every chunk of an AVI), else
    // from the headers, else from the duration; decoding corrects it.
    AVStream* indexed = impl->fmt->streams[impl->streamIndex];
    const int entries = avformat_index_get_entries_count(indexed);
    int64_t estimate = 0;
    if (impl->byTime && entries > 0) {
        int64_t pictures = 0;
        for (int i = 0; i < entries; ++i)
            if (avformat_index_get_entry(indexed, i)->size > 0) ++pictures;
        const int aviStream = st->id >= 0 && st->id < 100 ? st->id : impl->streamIndex;
        impl->trailing = trailingEmptyChunks(path, aviStream, pictures);
        estimate = avformat_index_get_entry(indexed, entries - 1)->timestamp + 1 + impl->trailing;
    } else if (entries > 1 && st->nb_frames > 0) {
        for (int i = 0; i < entries; ++i)
            if (!(avformat_index_get_entry(indexed, i)->flags & AVINDEX_DISCARD_FRAME)) ++estimate;
    } else if (st->nb_frames > 0) {
        estimate = st->nb_frames;
    } else {
        // The lower of the two: Matroska's average is sometimes its timestamps' tick rate.
        const auto rate = [&] {
            const double average = rateOf(st->avg_frame_rate), base = rateOf(st->r_frame_rate);
            return average > 0 && base > 0 ? std::min(average, base) : std::max(average, base);
        };
        // Matroska and WebM leave the rate (and some writers the duration) to the stream probe.
        if (rate() <= 0 || (impl->fmt->duration == kNoPts && st->duration == kNoPts)) impl->probe();
        double seconds = 0;
        if (st->duration != kNoPts && st->duration > 0)
            seconds = double(st->duration) * av_q2d(impl->timeBase);
        else if (impl->fmt->duration != kNoPts && impl->fmt->duration > 0)
            seconds = double(impl->fmt->duration) / AV_TIME_BASE;
        estimate = seconds * rate() < kMaxFrames ? std::llround(seconds * rate()) : kMaxFrames;
        if (impl->declaredRate <= 0) impl->declaredRate = rate();
    }
    impl->estimate = int(std::clamp<int64_t>(estimate, 0, kMaxFrames));

    // The size once every probe is done (a probe may correct what the headers said); the
    // buffers callers make from Width() and Height() and every conversion use this one.
    if (par->width <= 0 || par->height <= 0 || par->width > kMaxSide || par->height > kMaxSide)
        return OpenResult::FileError;
    impl->codedWidth = par->width;
    impl->codedHeight = par->height;
    if (learnt && !learnt->shows.empty()) {
        impl->shows = learnt->shows;
        impl->keyAt = learnt->keyAt;
        impl->ended = learnt->ended;
        impl->chunkTimes = learnt->chunkTimes;
        impl->ordinalOfChunk = learnt->ordinalOfChunk;
    }
    // The first picture proves the stream decodes.
    if (!impl->discover(0)) return OpenResult::FileError;
    impl->seeks = 0;
    m_width = quarter ? impl->codedHeight : impl->codedWidth;
    m_height = quarter ? impl->codedWidth : impl->codedHeight;
    m = std::move(impl);
    return OpenResult::Ok;
}

bool VideoFile::ReadFrame(int n, uint8_t* firstRow, int stride) {
    return ReadFrameScaled(n, m_width, m_height, firstRow, stride);
}

bool VideoFile::ReadFrameScaled(int n, int width, int height, uint8_t* firstRow, int stride) {
    if (!IsOpen() || n < 0 || n >= kMaxFrames || !firstRow || width <= 0 || height <= 0) return false;
    Impl& d = *m;
    if (!d.discover(n) || !d.positionAt(n)) return false;
    return d.convert(d.cur.get(), width, height, firstRow, stride);
}

void VideoFile::ReleaseBuffers() {
    if (!IsOpen()) return;
    m->resetDecoder();
    av_frame_unref(m->bgr.get());
    m->sws.reset();
}

int VideoFile::KeyFrameOf(int n) {
    if (!IsOpen() || n < 0 || n >= kMaxFrames || !m->discover(n)) return -1;
    return m->keyAt[size_t(n)];
}

}  // namespace platform
