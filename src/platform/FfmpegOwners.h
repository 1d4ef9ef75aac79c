#pragma once
// One owner per FFmpeg object: the deleters the clip reader, the audio click finder and the
// video export share.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/cpu.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <memory>

namespace platform {

// A demuxer opened with avformat_open_input.
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
// A muxer: its file (when open) is closed before the context goes.
struct OutputFormatOwner {
    void operator()(AVFormatContext* f) const {
        if (!f) return;
        if (f->pb && !(f->oformat->flags & AVFMT_NOFILE)) avio_closep(&f->pb);
        avformat_free_context(f);
    }
};

using FormatPtr = std::unique_ptr<AVFormatContext, FormatOwner>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecOwner>;
using FramePtr = std::unique_ptr<AVFrame, FrameOwner>;
using PacketPtr = std::unique_ptr<AVPacket, PacketOwner>;
using SwsPtr = std::unique_ptr<SwsContext, SwsOwner>;
using OutputFormatPtr = std::unique_ptr<AVFormatContext, OutputFormatOwner>;

// A frame of `format` with buffers of its own for width x height; null when memory is short.
inline FramePtr NewFrame(AVPixelFormat format, int width, int height) {
    FramePtr frame(av_frame_alloc());
    if (!frame) return nullptr;
    frame->format = format;
    frame->width = width;
    frame->height = height;
    if (av_frame_get_buffer(frame.get(), 0) < 0) return nullptr;
    return frame;
}

// A converter from srcW x srcH pictures of `src` to dstW x dstH ones of `dst`, which splits each
// picture over several cores when run through sws_scale_frame (the result is the same as one
// thread's, byte for byte); null when the formats cannot be converted or memory is short.
inline SwsPtr NewConverter(int srcW, int srcH, AVPixelFormat src, int dstW, int dstH, AVPixelFormat dst, int flags) {
    SwsPtr sws(sws_alloc_context());
    if (!sws) return nullptr;
    av_opt_set_int(sws.get(), "srcw", srcW, 0);
    av_opt_set_int(sws.get(), "srch", srcH, 0);
    av_opt_set_int(sws.get(), "src_format", src, 0);
    av_opt_set_int(sws.get(), "dstw", dstW, 0);
    av_opt_set_int(sws.get(), "dsth", dstH, 0);
    av_opt_set_int(sws.get(), "dst_format", dst, 0);
    av_opt_set_int(sws.get(), "sws_flags", flags, 0);
    // Half the cores: the decoder's frame threads want the others, and each of swscale's threads
    // keeps buffers of its own (about 50 MB more for a 4K clip decoded on demand).
    av_opt_set_int(sws.get(), "threads", std::max(1, av_cpu_count() / 2), 0);
    if (sws_init_context(sws.get(), nullptr, nullptr) < 0) return nullptr;
    return sws;
}

}  // namespace platform
