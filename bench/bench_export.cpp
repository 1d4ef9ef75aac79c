// Export Video speed: 300 frames of a 1280x720 clip blended with a model under 50 marks, through
// the exporter (compose, marks, conversion, libx264), against a plain libx264 encode of the same
// finished pictures with the same settings in the same run.      goal: >= 0.8 of its speed
//   bench_export [frames, default 300]

#include "BenchMarks.h"
#include "ClipWriter.h"
#include "compare/VideoExporter.h"
#include "overlay/CanvasDrawing.h"
#include "platform/FfmpegOwners.h"
#include "platform/FileDialog.h"
#include "platform/PictureBox.h"
#include "playback/frmVideoControls.h"
#include "ui/Globals.h"
#include "shell/frm_Main.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>

extern "C" {
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

using namespace platform;

namespace {

constexpr int kDistinct = 30;  // pictures in the clip; the export cycles through them

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

QImage frame(int i, bool model) {
    QImage im(1280, 720, QImage::Format_RGB32);
    QPainter p(&im);
    QLinearGradient g(0, 0, 1280, 720);
    g.setColorAt(0, model ? QColor(20, 40, 120) : QColor(40, 120, 40));
    g.setColorAt(1, QColor(200, 190, 170));
    p.fillRect(im.rect(), g);
    p.setBrush(Qt::black);
    p.drawEllipse(QPoint(300 + 25 * i, 300), 60, 180);
    return im;
}

// The plain limit: the finished pictures converted and encoded exactly as the exporter does,
// nothing else. False when something fails.
bool plainEncode(const QString& path, const std::vector<QImage>& pictures, int count, int fps) {
    const int w = pictures[0].width() & ~1, h = pictures[0].height() & ~1;
    const QByteArray file = path.toUtf8();
    AVFormatContext* raw = nullptr;
    if (avformat_alloc_output_context2(&raw, nullptr, "mp4", file.constData()) < 0) return false;
    OutputFormatPtr fmt(raw);
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    CodecPtr enc(avcodec_alloc_context3(codec));
    enc->width = w;
    enc->height = h;
    enc->pix_fmt = AV_PIX_FMT_YUV420P;
    enc->time_base = {1, fps};
    enc->framerate = {fps, 1};
    enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "preset", VideoExporter::kPreset, 0);
    av_dict_set(&options, "crf", VideoExporter::kQuality, 0);
    const int opened = avcodec_open2(enc.get(), codec, &options);
    av_dict_free(&options);
    if (opened < 0) return false;
    AVStream* st = avformat_new_stream(fmt.get(), nullptr);
    avcodec_parameters_from_context(st->codecpar, enc.get());
    st->time_base = enc->time_base;
    AVDictionary* mux = nullptr;
    av_dict_set(&mux, "movflags", "+faststart", 0);
    if (avio_open(&fmt->pb, file.constData(), AVIO_FLAG_WRITE) < 0 || avformat_write_header(fmt.get(), &mux) < 0)
        return false;
    av_dict_free(&mux);
    FramePtr yuv(av_frame_alloc());
    PacketPtr pkt(av_packet_alloc());
    yuv->format = AV_PIX_FMT_YUV420P;
    yuv->width = w;
    yuv->height = h;
    av_frame_get_buffer(yuv.get(), 0);
    SwsPtr sws = NewConverter(w, h, AV_PIX_FMT_RGB32, w, h, AV_PIX_FMT_YUV420P, VideoExporter::kScaleFlags);
    // The pictures in frames of FFmpeg's own, as the converter takes them.
    std::vector<FramePtr> rgb;
    for (const QImage& p : pictures) {
        rgb.push_back(NewFrame(AV_PIX_FMT_RGB32, w, h));
        for (int y = 0; y < h; ++y)
            std::memcpy(rgb.back()->data[0] + y * rgb.back()->linesize[0], p.constScanLine(y), size_t(w) * 4);
    }
    auto drain = [&] {
        while (avcodec_receive_packet(enc.get(), pkt.get()) == 0) {
            if (pkt->duration <= 0) pkt->duration = 1;
            av_packet_rescale_ts(pkt.get(), enc->time_base, st->time_base);
            pkt->stream_index = st->index;
            if (av_interleaved_write_frame(fmt.get(), pkt.get()) < 0) return false;
        }
        return true;
    };
    for (int i = 0; i < count; ++i) {
        av_frame_make_writable(yuv.get());
        sws_scale_frame(sws.get(), yuv.get(), rgb[size_t(i % kDistinct)].get());
        yuv->pts = i;
        if (avcodec_send_frame(enc.get(), yuv.get()) < 0 || !drain()) return false;
    }
    avcodec_send_frame(enc.get(), nullptr);
    return drain() && av_write_trailer(fmt.get()) >= 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(kDistinct, std::atoi(argv[1])) : 300;

    QTemporaryDir dir;
    cliptools::ClipRecipe clipFormat;
    clipFormat.width = 1280;
    clipFormat.height = 720;
    const QString video = dir.filePath(QStringLiteral("video.avi"));
    const QString model = dir.filePath(QStringLiteral("model.avi"));
    if (!cliptools::WriteClip(video, clipFormat, kDistinct, [](int i) { return frame(i, false); }) ||
        !cliptools::WriteClip(model, clipFormat, kDistinct, [](int i) { return frame(i, true); })) {
        std::fprintf(stderr, "could not write the clips\n");
        return 1;
    }
    frm_Main main;
    main.pic_video->resize(1920, 1080);
    if (!main.fOpenAvi(video)) return 1;
    main.PasteAvi(0);
    SetFileDialogAnswerer([&](const FileDialogRequest&) {
        FileDialogResult r;
        r.accepted = true;
        r.path = model;
        r.filterIndex = 1;
        return r;
    });
    main.Toolbar_Click(7);
    SetFileDialogAnswerer({});
    if (!main.Program.ModelShown) return 1;
    main.VideoControls->hscrBlend->setValue(128);
    OverlayModel& o = main.Drawing->Overlay();
    o.MetresPerPixel = 0.002f;  // labels in metres, worked out as each picture's marks are drawn
    AddBenchLines(o, 50);

    // The job cycles through the clip's pictures (with the model as playback steps it) up to
    // `count` frames; the plain encode gets the very pictures the exporter makes of them.
    const VideoExportJob cycle = main.VideoExportJobFor(0, kDistinct - 1);
    VideoExportJob job = cycle;
    job.target = dir.filePath(QStringLiteral("ours.mp4"));
    job.frames.clear();
    for (int i = 0; i < count; ++i) job.frames.push_back(cycle.frames[size_t(i % kDistinct)]);
    std::vector<QImage> pictures;
    FrameCompositor compositor;
    for (const VideoExportJob::Pictures& p : cycle.frames) {
        QImage picture = compositor.ComposeAtFrameSize(p.frame, p.model, job.geometry, job.effects);
        QPainter(&picture).drawImage(0, 0, job.marks);
        pictures.push_back(picture);
    }

    std::atomic<bool> cancel{false};
    QElapsedTimer wall;
    double c0 = cpuSeconds();
    wall.start();
    if (!plainEncode(dir.filePath(QStringLiteral("plain.mp4")), pictures, count, int(job.framesPerSecond + 0.5)))
        return 1;
    const double plainWall = wall.elapsed() / 1e3, plainCpu = cpuSeconds() - c0;
    c0 = cpuSeconds();
    wall.restart();
    const VideoExportResult r = VideoExporter::Write(job, cancel);
    const double oursWall = wall.elapsed() / 1e3, oursCpu = cpuSeconds() - c0;
    if (r.outcome != VideoExportResult::Done) {
        std::fprintf(stderr, "%s\n", qPrintable(r.message));
        return 1;
    }
    std::printf("%d frames of %dx%d, blend view, 50 marks, preset %s, crf %s\n", count, pictures[0].width(),
                pictures[0].height(), VideoExporter::kPreset, VideoExporter::kQuality);
    std::printf("plain libx264 encode of the finished pictures: %.2f s wall (%.0f fps), %.2f s CPU\n", plainWall,
                count / plainWall, plainCpu);
    std::printf("our export:                                    %.2f s wall (%.0f fps), %.2f s CPU\n", oursWall,
                count / oursWall, oursCpu);
    std::printf("speed ratio: %.2f by wall time, %.2f by CPU time (goal >= 0.8)\n", plainWall / oursWall,
                plainCpu / oursCpu);
    main.close();
    return 0;
}
