#include "platform/AviFile.h"

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace platform {
namespace {

struct FormatOwner {
    void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
struct CodecOwner {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameOwner {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketOwner {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwsOwner {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};

using FormatPtr = std::unique_ptr<AVFormatContext, FormatOwner>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecOwner>;
using FramePtr = std::unique_ptr<AVFrame, FrameOwner>;
using PacketPtr = std::unique_ptr<AVPacket, PacketOwner>;
using SwsPtr = std::unique_ptr<SwsContext, SwsOwner>;

// One picture-carrying chunk of the video stream, in file order.
struct PacketInfo {
    int64_t rawTs = 0;  // the demuxer's timestamp, for seeking
    int64_t pos = -1;   // byte position, to recognise where a seek landed
    int time = 0;       // frame number it starts showing at (strictly increasing)
    bool key = false;
};

// The empty video chunks after the last non-empty one in the idx1 index, or 0 when the
// index is missing or disagrees with the chunks the demuxer found.
int trailingEmptyChunks(const QString& path, int aviStream, size_t pictureChunks) {
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
        const uint32_t size =
            uint32_t(head[4]) | uint32_t(head[5]) << 8 | uint32_t(head[6]) << 16 | uint32_t(head[7]) << 24;
        if (std::memcmp(head, "idx1", 4) != 0) {
            if (!file.seek(file.pos() + int64_t(size) + (size & 1))) return 0;
            continue;
        }
        const QByteArray index = file.read(std::min<int64_t>(size, file.size() - file.pos()));
        size_t nonEmpty = 0;
        int trailing = 0;
        for (qsizetype at = 0; at + 16 <= index.size(); at += 16) {
            const char* e = index.constData() + at;
            if (e[0] != tens || e[1] != units || e[2] != 'd' || (e[3] != 'c' && e[3] != 'b')) continue;
            const auto* s = reinterpret_cast<const uint8_t*>(e + 12);
            const uint32_t length =
                uint32_t(s[0]) | uint32_t(s[1]) << 8 | uint32_t(s[2]) << 16 | uint32_t(s[3]) << 24;
            if (length == 0) {
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

}  // namespace

struct AviFile::Impl {
    QString path;
    int streamIndex = -1;
    FormatPtr fmt;
    CodecPtr dec;
    PacketPtr pkt{av_packet_alloc()};
    FramePtr scratch{av_frame_alloc()};
    FramePtr cur{av_frame_alloc()};
    FramePtr pend{av_frame_alloc()};
    SwsPtr sws;
    int swsW = 0, swsH = 0, swsFormat = -1;
    // swscale writes packed 24-bit rows in 8-byte stores and runs up to 16 bytes past the
    // last row; it writes into this frame of FFmpeg's own (allocated with that padding), and
    // the rows are copied out to the caller's memory, which has no such slack.
    FramePtr bgr{av_frame_alloc()};

    std::vector<PacketInfo> packets;
    std::vector<int> keyOf;  // ordinal -> ordinal of the key frame to start decoding from
    std::unordered_map<int64_t, int> ordinalAtPos;

    // Decoder position: the next packet ordinal to feed, the newest picture at or before
    // the last frame asked for, and one picture decoded beyond it.
    int fedOrd = 0;
    int curOrd = -1;
    int pendOrd = -1;
    int lastOutOrd = -1;
    bool needSync = false;
    bool eofSent = false;
    bool drained = false;

    bool openFormat() {
        fmt.reset();
        const AVInputFormat* avi = av_find_input_format("avi");
        if (!avi) return false;
        AVFormatContext* raw = nullptr;
        // "file:" keeps a colon in the path from being read as a protocol name.
        const QByteArray url = QByteArrayLiteral("file:") + path.toUtf8();
        if (avformat_open_input(&raw, url.constData(), avi, nullptr) < 0) return false;
        fmt.reset(raw);
        if (streamIndex < 0) {
            for (unsigned i = 0; i < fmt->nb_streams; ++i)
                if (fmt->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
                    streamIndex = int(i);
                    break;
                }
        }
        if (streamIndex < 0 || unsigned(streamIndex) >= fmt->nb_streams) return false;
        for (unsigned i = 0; i < fmt->nb_streams; ++i)
            fmt->streams[i]->discard = int(i) == streamIndex ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
        return true;
    }

    // Reads the next packet of the video stream into pkt; false at the end or on an error.
    bool readVideoPacket() {
        if (!fmt) return false;  // a failed rewind leaves nothing to read
        for (;;) {
            av_packet_unref(pkt.get());
            const int r = av_read_frame(fmt.get(), pkt.get());
            if (r < 0) return false;
            if (pkt->stream_index == streamIndex) return true;
        }
    }

    bool scan() {
        int64_t previousRaw = -1;
        int previousTime = -1;
        while (readVideoPacket()) {
            if (pkt->size <= 0) continue;
            PacketInfo info;
            info.rawTs = pkt->dts != AV_NOPTS_VALUE   ? pkt->dts
                         : pkt->pts != AV_NOPTS_VALUE ? pkt->pts
                                                      : previousRaw + 1;
            previousRaw = info.rawTs;
            const int64_t time = std::max<int64_t>({info.rawTs, 0, int64_t(previousTime) + 1});
            if (time >= kMaxFrames) break;
            info.time = int(time);
            previousTime = info.time;
            info.pos = pkt->pos;
            info.key = (pkt->flags & AV_PKT_FLAG_KEY) != 0;
            if (info.pos >= 0) ordinalAtPos.emplace(info.pos, int(packets.size()));
            packets.push_back(info);
        }
        av_packet_unref(pkt.get());
        if (packets.empty()) return false;
        keyOf.resize(packets.size());
        int key = 0;  // the first chunk is where decoding can always start
        for (size_t i = 0; i < packets.size(); ++i) {
            if (packets[i].key) key = int(i);
            keyOf[i] = key;
        }
        return true;
    }

    void resetDecoder() {
        avcodec_flush_buffers(dec.get());
        av_frame_unref(cur.get());
        av_frame_unref(pend.get());
        curOrd = pendOrd = lastOutOrd = -1;
        eofSent = drained = false;
    }

    int seeks = 0;  // repositionings since the open, rewinds included

    bool rewind() {
        ++seeks;
        resetDecoder();
        needSync = false;
        fedOrd = 0;
        return openFormat();
    }

    bool seekTo(int keyOrd) {
        if (keyOrd == 0) return rewind();
        resetDecoder();
        ++seeks;
        if (av_seek_frame(fmt.get(), streamIndex, packets[size_t(keyOrd)].rawTs, AVSEEK_FLAG_BACKWARD) < 0)
            return rewind();
        needSync = true;
        syncTarget = keyOrd;
        fedOrd = keyOrd;  // until the first packet read says where the seek landed
        return true;
    }
    int syncTarget = 0;

    // Feeds the next packet to the decoder (or the end-of-stream signal).
    void feed() {
        bool got = fedOrd < int(packets.size()) && readVideoPacket();
        while (got && pkt->size <= 0) got = readVideoPacket();
        if (got && needSync) {
            needSync = false;
            const auto at = ordinalAtPos.find(pkt->pos);
            if (at == ordinalAtPos.end() || at->second > syncTarget) {
                // The seek landed somewhere unknown or too late: start from the top instead.
                rewind();
                got = readVideoPacket();
                while (got && pkt->size <= 0) got = readVideoPacket();
            } else {
                fedOrd = at->second;
            }
        }
        if (!got || fedOrd >= int(packets.size())) {
            av_packet_unref(pkt.get());
            avcodec_send_packet(dec.get(), nullptr);
            eofSent = true;
            return;
        }
        // Our own ordinal travels through the decoder as the timestamp, so each picture
        // that comes out says which chunk it was decoded from.
        pkt->pts = pkt->dts = fedOrd++;
        avcodec_send_packet(dec.get(), pkt.get());  // a damaged chunk just gives no picture
        av_packet_unref(pkt.get());
    }

    // Makes `cur` the newest picture whose ordinal is at most k.
    void decodeUpTo(int k) {
        for (;;) {
            if (pendOrd >= 0 && pendOrd <= k) {
                av_frame_unref(cur.get());
                av_frame_move_ref(cur.get(), pend.get());
                curOrd = pendOrd;
                pendOrd = -1;
            }
            if (curOrd == k || pendOrd > k || drained) return;
            const int r = avcodec_receive_frame(dec.get(), scratch.get());
            if (r == AVERROR(EAGAIN)) {
                if (eofSent) return;  // cannot happen with a sane decoder; do not spin
                feed();
                continue;
            }
            if (r < 0) {
                drained = true;
                return;
            }
            int64_t ord = scratch->pts != AV_NOPTS_VALUE ? scratch->pts : scratch->best_effort_timestamp;
            if (ord == AV_NOPTS_VALUE || ord <= lastOutOrd) ord = lastOutOrd + 1;
            lastOutOrd = int(std::min<int64_t>(ord, kMaxFrames));
            if (lastOutOrd <= k) {
                av_frame_unref(cur.get());
                av_frame_move_ref(cur.get(), scratch.get());
                curOrd = lastOutOrd;
            } else {
                av_frame_unref(pend.get());
                av_frame_move_ref(pend.get(), scratch.get());
                pendOrd = lastOutOrd;
            }
        }
    }

    bool convert(const AVFrame* frame, int width, int height, uint8_t* firstRow, int stride) {
        if (frame->width <= 0 || frame->height <= 0 || frame->format < 0) return false;
        AVPixelFormat format = AVPixelFormat(frame->format);
        bool fullRange = frame->color_range == AVCOL_RANGE_JPEG;
        // The "J" formats are the plain ones at full range; swscale wants them said so.
        switch (format) {
            case AV_PIX_FMT_YUVJ420P:
                format = AV_PIX_FMT_YUV420P;
                fullRange = true;
                break;
            case AV_PIX_FMT_YUVJ422P:
                format = AV_PIX_FMT_YUV422P;
                fullRange = true;
                break;
            case AV_PIX_FMT_YUVJ444P:
                format = AV_PIX_FMT_YUV444P;
                fullRange = true;
                break;
            case AV_PIX_FMT_YUVJ440P:
                format = AV_PIX_FMT_YUV440P;
                fullRange = true;
                break;
            case AV_PIX_FMT_YUVJ411P:
                format = AV_PIX_FMT_YUV411P;
                fullRange = true;
                break;
            default:
                break;
        }
        const int key = int(format) | (fullRange ? 0x10000 : 0);
        if (!sws || swsW != frame->width || swsH != frame->height || swsFormat != key) {
            sws.reset(sws_getContext(frame->width, frame->height, format, width, height, AV_PIX_FMT_BGR24,
                                     SWS_BILINEAR, nullptr, nullptr, nullptr));
            if (!sws) return false;
            int* inv = nullptr;
            int* table = nullptr;
            int srcRange = 0, dstRange = 0, brightness = 0, contrast = 0, saturation = 0;
            if (sws_getColorspaceDetails(sws.get(), &inv, &srcRange, &table, &dstRange, &brightness,
                                         &contrast, &saturation) >= 0)
                sws_setColorspaceDetails(sws.get(), inv, fullRange ? 1 : 0, table, 1, brightness, contrast,
                                         saturation);
            swsW = frame->width;
            swsH = frame->height;
            swsFormat = key;
        }
        if (bgr->width != width || bgr->height != height) {
            av_frame_unref(bgr.get());
            bgr->format = AV_PIX_FMT_BGR24;
            bgr->width = width;
            bgr->height = height;
            if (av_frame_get_buffer(bgr.get(), 0) < 0) {
                av_frame_unref(bgr.get());
                return false;
            }
        }
        if (sws_scale(sws.get(), frame->data, frame->linesize, 0, frame->height, bgr->data, bgr->linesize) <= 0)
            return false;
        const size_t rowBytes = size_t(width) * 3;
        for (int y = 0; y < height; ++y)
            std::memcpy(firstRow + ptrdiff_t(y) * stride, bgr->data[0] + ptrdiff_t(y) * bgr->linesize[0], rowBytes);
        return true;
    }
};

AviFile::AviFile() = default;
AviFile::~AviFile() = default;

bool AviFile::IsOpen() const {
    return m && m->fmt && m->dec;
}

int AviFile::Seeks() const {
    return m ? m->seeks : 0;
}

void AviFile::Close() {
    m.reset();
    m_width = m_height = m_frameCount = 0;
    m_headerFrameCount = 0;
    m_fps = 0;
}

AviFile::OpenResult AviFile::Open(const QString& path) {
    Close();
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_FATAL);  // damaged files are reported by us, once
        return true;
    }();
    (void)quiet;
    auto impl = std::make_unique<Impl>();
    if (!impl->pkt || !impl->scratch || !impl->cur || !impl->pend || !impl->bgr) return OpenResult::FileError;
    impl->path = path;
    if (!impl->openFormat()) return OpenResult::FileError;
    // Some writers leave the frame size out of the headers; then the decoder must find it.
    const AVCodecParameters* declared = impl->fmt->streams[impl->streamIndex]->codecpar;
    if (declared->width == 0 || declared->height == 0) avformat_find_stream_info(impl->fmt.get(), nullptr);
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
    impl->dec->pkt_timebase = AVRational{1, 1};
    if (avcodec_open2(impl->dec.get(), codec, nullptr) < 0) return OpenResult::NoDecoder;

    m_width = par->width;
    m_height = par->height;
    m_headerFrameCount = st->nb_frames;
    m_fps = st->time_base.num > 0 && st->time_base.den > 0             ? av_q2d(av_inv_q(st->time_base))
            : st->avg_frame_rate.num > 0 && st->avg_frame_rate.den > 0 ? av_q2d(st->avg_frame_rate)
                                                                       : 0.0;
    const int aviStream = st->id >= 0 && st->id < 100 ? st->id : impl->streamIndex;

    if (!impl->scan()) return OpenResult::FileError;
    const int trailing = trailingEmptyChunks(path, aviStream, impl->packets.size());
    m_frameCount = int(std::min<int64_t>(int64_t(impl->packets.back().time) + 1 + trailing, kMaxFrames));
    if (!impl->rewind()) return OpenResult::FileError;
    impl->seeks = 0;
    m = std::move(impl);
    return OpenResult::Ok;
}

bool AviFile::ReadFrame(int n, uint8_t* firstRow, int stride) {
    if (!IsOpen() || n < 0 || n >= m_frameCount || !firstRow) return false;
    Impl& d = *m;
    // The chunk whose picture frame n shows: the last one starting at or before it.
    const auto after = std::upper_bound(d.packets.begin(), d.packets.end(), n,
                                        [](int t, const PacketInfo& p) { return t < p.time; });
    const int k = after == d.packets.begin() ? 0 : int(after - d.packets.begin()) - 1;
    if (d.curOrd != k) {
        const int key = d.keyOf[size_t(k)];
        const bool behind = d.curOrd > k;
        // Seek when the picture lies behind us, or when a key frame lies ahead of what was
        // fed so far (decoding up to it would be wasted). Reading in order never seeks.
        if (behind || key > d.fedOrd || (d.drained && d.curOrd < k)) {
            if (!d.seekTo(key)) {
                Close();
                return false;
            }
        }
        d.decodeUpTo(k);
    }
    if (d.curOrd < 0) return false;
    return d.convert(d.cur.get(), m_width, m_height, firstRow, stride);
}

}  // namespace platform
