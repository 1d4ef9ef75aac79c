#pragma once
// The one owner of each FFmpeg object the platform files hold (the clip reader, the audio
// click finder). Internal to src/platform.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace platform::ffmpeg {

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

}  // namespace platform::ffmpeg
