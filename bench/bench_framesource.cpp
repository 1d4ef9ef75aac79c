// A clip too large to keep whole, decoded on demand within a memory budget: peak memory, time to
// the first frame, stepping forward and back, and playing at the clip's rate, against a plain
// FFmpeg decode loop over the same clip in the same run.
//   bench_framesource [frames, default 300] [budget in MB, default 1024] [clip kept from a run before]
//                     [size and rate of a clip to write, default 3840x2160@30]

#include "ClipWriter.h"
#include "clips/FrameCache.h"
#include "clips/cVideo.h"
#include "imaging/cDIBSection.h"
#include "BenchMedia.h"
#include "platform/FfmpegOwners.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QRadialGradient>
#include <QTemporaryDir>
#include <QTimer>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
struct ClipSize {
    int width = 3840, height = 2160, fps = 30;
};

ClipSize parseSize(const QString& text) {
    ClipSize size;
    const QStringList parts = QString(text).replace(QLatin1Char('@'), QLatin1Char('x')).split(QLatin1Char('x'));
    if (parts.size() == 3) size = {parts[0].toInt(), parts[1].toInt(), parts[2].toInt()};
    return size.width > 0 && size.height > 0 && size.fps > 0 ? size : ClipSize{};
}

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Seconds until frame n is at hand, the event loop running meanwhile as the window's does.
double waitFor(FrameCache& cache, int n) {
    const auto start = Clock::now();
    if (cache.Frame(n)) return since(start);
    QEventLoop loop;
    QObject::connect(&cache, &FrameCache::FrameReady, &loop, [&](int ready) {
        if (ready == n) loop.quit();
    });
    loop.exec();
    return since(start);
}

const char* verdict(bool met) { return met ? "ok" : "GOAL MISSED"; }

// Writes the clip; run as a process of its own, so that the encoder's memory stays out of the
// figures measured.
int writeClip(const QString& path, int frames, ClipSize size) {
    cliptools::ClipRecipe format;
    format.codec = cliptools::Codec::H264;
    format.width = size.width;
    format.height = size.height;
    format.fps = size.fps;
    format.gopSize = 30;
    format.bFrames = 2;
    QString error;
    if (!cliptools::WriteClip(path, format, frames, [size](int n) { return BusyFrame(n, size.width, size.height, 60, 3, 5); }, &error)) {
        std::fprintf(stderr, "cannot write the clip: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == QLatin1String("--write"))
        return writeClip(args[2], args[3].toInt(), parseSize(args[4]));
    const int frames = args.size() > 1 ? std::max(60, args[1].toInt()) : 300;
    const std::uint64_t budgetMb = args.size() > 2 ? std::uint64_t(std::max(64, args[2].toInt())) : 1024;
    QTemporaryDir dir;
    // Writing the clip takes longer than the measures: a clip named that does not exist yet is
    // written there and kept for the runs after.
    const QString path = args.size() > 3 ? args[3] : dir.filePath(QStringLiteral("clip.mp4"));
    if (!QFileInfo::exists(path)) {
        const ClipSize size = parseSize(args.size() > 4 ? args[4] : QString());
        std::fprintf(stderr, "writing %d frames of %dx%d H.264...\n", frames, size.width, size.height);
        const QString sized = QStringLiteral("%1x%2@%3").arg(size.width).arg(size.height).arg(size.fps);
        if (QProcess::execute(app.applicationFilePath(), {QStringLiteral("--write"), path, QString::number(frames), sized}) != 0)
            return 1;
    }

    double plainFirst = 0;
    const double plainFps = PlainDecodeFps(path, nullptr, &plainFirst);
    const double decode = 1.0 / plainFps;
    const double keyPicture = KeyPictureSeconds(path);

    {
        std::ofstream("/proc/self/clear_refs") << "5";  // the peak from here on
    }
    const long beforeKb = StatusKb("VmRSS:");
    // The load's pass, as for any clip decoded on demand: once through the clip into one buffer
    // (the thumbnails and the exact count come from it), its first frame shown as soon as it is read,
    // the others read at a large thumbnail's size.
    const auto opened = Clock::now();
    double first = 0;
    auto reader = std::make_unique<cVideo>();
    {
        cDIBSection pass;
        if (!reader->OpenAviFile(path)) return 1;
        for (int n = 0; n < frames; ++n) {
            if (n == 0)
                reader->GetFrameInto(n, pass);
            else
                reader->GetPreviewInto(n, pass, QSize(160, 90));
            if (n == 0) first = since(opened);
        }
    }
    const double passSeconds = since(opened);
    const int width = reader->FrameWidth(), height = reader->FrameHeight();
    const double fps = reader->FramesPerSecond();
    reader->ReleaseBuffers();  // as the slot does
    FrameCache cache(path, 0, frames, width, height, budgetMb << 20, reader->Learnt());
    waitFor(cache, 0);

    // Stepping forward, as fast as the frames come.
    double forwardSum = 0, forwardMax = 0;
    const int steps = 30;
    for (int n = 1; n <= steps; ++n) {
        const double t = waitFor(cache, n);
        forwardSum += t;
        forwardMax = std::max(forwardMax, t);
    }
    // Stepping back over the frames just passed.
    double backMax = 0;
    const int backSteps = std::clamp(cache.Capacity() / 4, 1, steps);
    for (int n = steps - 1; n >= steps - backSteps; --n) backMax = std::max(backMax, waitFor(cache, n));

    // Playing from a frame further on at the clip's rate, a tick painting the frame when it is there.
    const int start = std::min(frames - 2, steps + cache.Capacity() + 10);
    waitFor(cache, start);
    const int ticks = frames - 1 - start;
    int tick = 0, painted = 0;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(qRound(1000 / fps));
    QEventLoop loop;
    QElapsedTimer played;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        ++tick;
        if (cache.Frame(start + tick)) ++painted;
        if (tick >= ticks) loop.quit();
    });
    played.start();
    timer.start();
    loop.exec();
    const double playedSeconds = played.elapsed() / 1e3;
    const long peakKb = StatusKb("VmHWM:");  // before the plain loop below adds its own buffers
    // The machine's speed drifts over a run: the plain loop runs again right after playing, and
    // the ticks it could feed are counted at the mean of both runs.
    const double plainAfterFps = PlainDecodeFps(path);
    const double feedable = std::min(double(ticks), (plainFps + plainAfterFps) / 2 * playedSeconds);

    const double budgetMbD = double(budgetMb);
    const double peakMb = peakKb / 1024.0, grownMb = (peakKb - beforeKb) / 1024.0;
    const double frameMb = double(cache.FrameBytes()) / (1 << 20);
    std::printf("%dx%d H.264 (B-frames, key every 30), %d frames at %.0f fps; budget %.0f MB (%d frames of %.1f MB)\n",
                width, height, frames, fps, budgetMbD, cache.Capacity(), frameMb);
    std::printf("  plain FFmpeg decode to BGR24: %.1f fps, %.1f ms a frame\n", plainFps, 1000 * decode);
    std::printf("  peak memory: %.0f MB for the process (%.0f MB grown while on demand), goal <= %.0f MB  %s\n",
                peakMb, grownMb, budgetMbD + 200, verdict(peakMb <= budgetMbD + 200));
    std::printf("  first frame: %.1f ms = %.2f decode times, goal <= 2  %s (the load's pass: %.1f s)\n",
                1000 * first, first / decode, verdict(first <= 2 * decode), passSeconds);
    // A key picture decodes slower than the average frame, and the decoder's threads fill up first.
    std::printf("    the plain decode's own first frame: %.1f ms = %.2f decode times\n", 1000 * plainFirst,
                plainFirst / decode);
    std::printf("    the first key picture's decode alone, on one thread: %.1f ms = %.2f decode times\n",
                1000 * keyPicture, keyPicture / decode);
    std::printf("  step forward: %.1f ms on average = %.2f decode times (longest %.1f ms), goal <= 1.2  %s\n",
                1000 * forwardSum / steps, forwardSum / steps / decode, 1000 * forwardMax,
                verdict(forwardSum / steps <= 1.2 * decode));
    std::printf("  step back within the cache: longest of %d steps %.3f ms, goal < 2 ms  %s\n", backSteps,
                1000 * backMax, verdict(backMax < 0.002));
    std::printf("  playing: %d of %d ticks painted in %.2f s; the plain decode could feed %.0f (%.1f fps after "
                "playing); ratio %.3f, goal >= 0.95  %s\n",
                painted, ticks, playedSeconds, feedable, plainAfterFps, painted / feedable,
                verdict(painted >= 0.95 * feedable));
    return 0;
}
