#pragma once
// What the load and frame-source benchmarks share: the clips they write, the memory they read
// back, and the limit they are held against, a plain FFmpeg loop over the clip.

#include "platform/FfmpegOwners.h"
#include "platform/VideoFile.h"

#include "ClipWriter.h"

#include <QImage>
#include <QPainter>
#include <QRadialGradient>
#include <QString>

#include <chrono>
#include <fstream>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

// Moving shapes over a gradient, with the frame number: enough detail to make decoding work.
inline QImage BusyFrame(int n, int width, int height, int lines, int penWidth, int speed) {
    QImage img = cliptools::NumberedFrame(n, width, height);
    QPainter p(&img);
    QRadialGradient g(QPointF(width * (0.2 + 0.6 * ((n % 50) / 50.0)), height * 0.7), width / 4.0);
    g.setColorAt(0, QColor::fromHsv((n * 7) % 360, 255, 255));
    g.setColorAt(1, QColor(20, 40, 60));
    p.fillRect(0, height / 2, width, height / 2, g);
    p.setPen(QPen(Qt::white, penWidth));
    for (int i = 0; i < lines; ++i)
        p.drawLine((i * 37 + n * speed) % width, height / 2, (i * 91) % width, height - 1);
    return img;
}

// A field of /proc/self/status, in kB (-1: not there).
inline long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    return -1;
}

// A decoder opened on the best video stream of `fmt`, with `threads` (0: as many as the
// machine has, frame and slice threads as the reader uses them); null when there is none.
inline platform::CodecPtr OpenDecoder(AVFormatContext* fmt, int threads, int* streamOut) {
    *streamOut = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (*streamOut < 0) return nullptr;
    const AVCodecParameters* par = fmt->streams[*streamOut]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(par->codec_id);
    platform::CodecPtr dec(avcodec_alloc_context3(codec));
    if (!dec) return nullptr;
    avcodec_parameters_to_context(dec.get(), par);
    dec->thread_count = threads;
    dec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (avcodec_open2(dec.get(), codec, nullptr) < 0) return nullptr;
    return dec;
}

// The limit: open, decode every frame with the same threading, convert to BGR24 into one buffer
// with the same conversion the reader uses. `firstOut`: seconds from the open to the first frame
// converted.
inline double PlainDecodeFps(const QString& path, int* framesOut = nullptr, double* firstOut = nullptr) {
    const auto opening = std::chrono::steady_clock::now();
    AVFormatContext* fmt = nullptr;
    if (avformat_open_input(&fmt, path.toUtf8().constData(), nullptr, nullptr) < 0) return 0;
    const auto start = std::chrono::steady_clock::now();
    int stream = -1;
    const platform::CodecPtr dec = OpenDecoder(fmt, 0, &stream);
    if (!dec) {
        avformat_close_input(&fmt);
        return 0;
    }
    const AVCodecParameters* par = fmt->streams[stream]->codecpar;
    const platform::PacketPtr pkt(av_packet_alloc());
    const platform::FramePtr frame(av_frame_alloc());
    platform::SwsPtr sws;
    const platform::FramePtr bgr = platform::NewFrame(AV_PIX_FMT_BGR24, par->width, par->height);
    int frames = 0;
    const auto receive = [&] {
        while (avcodec_receive_frame(dec.get(), frame.get()) >= 0) {
            if (!sws)
                sws = platform::NewConverter(frame->width, frame->height, AVPixelFormat(frame->format), par->width,
                                             par->height, AV_PIX_FMT_BGR24, platform::VideoFile::kConversionFlags);
            sws_scale_frame(sws.get(), bgr.get(), frame.get());
            if (++frames == 1 && firstOut)
                *firstOut = std::chrono::duration<double>(std::chrono::steady_clock::now() - opening).count();
        }
    };
    while (av_read_frame(fmt, pkt.get()) >= 0) {
        if (pkt->stream_index == stream) {
            avcodec_send_packet(dec.get(), pkt.get());
            receive();
        }
        av_packet_unref(pkt.get());
    }
    avcodec_send_packet(dec.get(), nullptr);
    receive();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    avformat_close_input(&fmt);
    if (framesOut) *framesOut = frames;
    return frames / seconds;
}

// Seconds to decode the clip's first picture alone on one thread, the decoder told at once that
// no more packets follow (so it waits for none to reorder): what no reader's first frame can beat.
inline double KeyPictureSeconds(const QString& path) {
    AVFormatContext* fmt = nullptr;
    if (avformat_open_input(&fmt, path.toUtf8().constData(), nullptr, nullptr) < 0) return 0;
    const platform::FormatPtr owner(fmt);
    int stream = -1;
    const platform::CodecPtr dec = OpenDecoder(fmt, 1, &stream);
    if (!dec) return 0;
    const platform::PacketPtr pkt(av_packet_alloc());
    const platform::FramePtr frame(av_frame_alloc());
    while (av_read_frame(fmt, pkt.get()) >= 0 && pkt->stream_index != stream) av_packet_unref(pkt.get());
    const auto start = std::chrono::steady_clock::now();
    avcodec_send_packet(dec.get(), pkt.get());
    avcodec_send_packet(dec.get(), nullptr);
    const bool decoded = avcodec_receive_frame(dec.get(), frame.get()) == 0;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return decoded ? seconds : 0;
}
