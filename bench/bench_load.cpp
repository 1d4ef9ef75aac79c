// Whole-clip load speed and memory: our reader filling one image buffer per frame, against
// a plain FFmpeg decode-to-BGR24 loop over the same clip in the same run.
//   bench_load [frames per clip, default 300]

#include "ClipWriter.h"
#include "clips/ClipLoader.h"
#include "clips/FrameStore.h"
#include "clips/cVideo.h"
#include "imaging/cDIBSection.h"
#include "BenchMedia.h"
#include "platform/FfmpegOwners.h"
#include "platform/MessageBox.h"

#include <QCoreApplication>
#include <QPainter>
#include <QRadialGradient>
#include <QTemporaryDir>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

void resetPeakMemory() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";  // resets the peak resident size to the current one
}

struct LoadResult {
    double fps = 0;
    int frames = 0;
    long peakKb = 0;
    long beforeKb = 0;
};

// What the clip loader does: open, then every frame into its own buffer, kept.
LoadResult ourLoad(const QString& path, bool packed) {
    LoadResult r;
    resetPeakMemory();
    r.beforeKb = StatusKb("VmRSS:");
    const auto start = Clock::now();
    std::vector<std::unique_ptr<cDIBSection>> store;
    auto frames = std::make_unique<FrameStore>();
    {
        cVideo video;
        if (!video.OpenAviFile(path)) return r;
        const int n = video.NumberOfFrames();
        store.reserve(size_t(n));
        // As the loader does: one block for the clip's frames, each frame filled in its slot.
        if (!packed) frames->ReserveFrames(n, video.FrameWidth(), video.FrameHeight());
        for (int i = video.FirstFrame(); i < video.FirstFrame() + n; ++i) {
            auto section = frames->NewFrame(i - video.FirstFrame());
            bool ok;
            if (packed) {
                const uint8_t* p = video.AVIGetFrame(i);
                ok = p && video.CreateFromPackedDIBPointer(p) &&
                     section->CreateFromPackedDIB(p, size_t(40 + video.SizeImage()));
            } else {
                ok = video.GetFrameInto(i, *section);
            }
            if (ok) store.push_back(std::move(section));
        }
    }
    r.fps = store.size() / std::chrono::duration<double>(Clock::now() - start).count();
    r.frames = int(store.size());
    r.peakKb = StatusKb("VmHWM:");
    return r;
}

// What the window's load does: the frames read on the loader's thread, each with its
// thumbnail scaled there, and taken into the store on this thread as they come.
LoadResult loaderLoad(const QString& path, double* firstFrameSeconds) {
    LoadResult r;
    const auto start = Clock::now();
    const auto seconds = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
    auto clip = std::make_unique<cVideo>();
    if (!clip->OpenAviFile(path)) return r;
    FrameStore store;
    ClipLoader loader(std::move(clip), {QSize(96, 54)});
    loader.Start();
    loader.Wait([&](ClipLoader::Frame& f) {
        if (f.index == 0) *firstFrameSeconds = seconds();
        if (!f.picture) return;
        store.Put(f.index, std::move(f.picture));
        ++r.frames;
    });
    r.fps = r.frames / seconds();
    return r;
}

// Our reader alone, every frame into one reused buffer: decoding and conversion without the
// cost of fresh memory for each frame.
double readerOnlyFps(const QString& path) {
    cVideo video;
    if (!video.OpenAviFile(path)) return 0;
    const auto start = Clock::now();
    cDIBSection one;
    int frames = 0;
    for (int i = video.FirstFrame(); i < video.FirstFrame() + video.NumberOfFrames(); ++i)
        frames += video.GetFrameInto(i, one);
    return frames / std::chrono::duration<double>(Clock::now() - start).count();
}

// Seconds to get `count` new zeroed frame buffers of `bytes` each and write them once: the
// part of a load that depends on how fast the machine hands out fresh memory.
double freshMemorySeconds(int count, int width, int height) {
    const auto start = Clock::now();
    std::vector<std::unique_ptr<cDIBSection>> store;
    for (int i = 0; i < count; ++i) {
        auto section = std::make_unique<cDIBSection>();
        if (!section->Create(width, height)) break;
        std::memset(section->DIBSectionBitsPtr(), i, size_t(section->BytesPerScanLine()) * size_t(height));
        store.push_back(std::move(section));
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void runClip(const char* label, const QString& path, int width, int height) {
    int plainFrames = 0;
    double plain = 0;
    LoadResult direct, viaPacked, threaded;
    double firstFrame = 0;
    // Alternate and keep the best of each, so that a busy moment on the machine hurts neither side.
    for (int round = 0; round < 2; ++round) {
        plain = std::max(plain, PlainDecodeFps(path, &plainFrames));
        const LoadResult d = ourLoad(path, false);
        if (d.fps > direct.fps) direct = d;
        const LoadResult p = ourLoad(path, true);
        if (p.fps > viaPacked.fps) viaPacked = p;
        double first = 0;
        const LoadResult t = loaderLoad(path, &first);
        if (t.fps > threaded.fps) {
            threaded = t;
            firstFrame = first;
        }
    }
    const double readerOnly = readerOnlyFps(path);
    const double freshSeconds = freshMemorySeconds(direct.frames, width, height);
    const double bytesPerFrame = double(((width * 3 + 3) & ~3)) * height;
    const double frameMb = direct.frames * bytesPerFrame / (1024.0 * 1024.0);
    const double grownMb = (direct.peakKb - direct.beforeKb) / 1024.0;
    const double allowedMb = 1.1 * frameMb + 60;
    std::printf("%s\n", label);
    std::printf("  plain FFmpeg decode to BGR24: %5d frames, %7.1f fps\n", plainFrames, plain);
    std::printf("  our load, direct:             %5d frames, %7.1f fps, ratio %.3f (goal >= 0.9) %s\n",
                direct.frames, direct.fps, direct.fps / plain,
                direct.fps / plain >= 0.9 ? "ok" : "BELOW GOAL");
    std::printf("  our load, on the loader's thread with thumbnails: %5d frames, %7.1f fps, ratio %.3f "
                "(%.3f of direct), first frame in %.0f ms\n",
                threaded.frames, threaded.fps, threaded.fps / plain, threaded.fps / direct.fps, 1000 * firstFrame);
    std::printf("  our load, via packed bitmap:  %5d frames, %7.1f fps, ratio %.3f\n", viaPacked.frames,
                viaPacked.fps, viaPacked.fps / plain);
    std::printf("  our reader into one reused buffer: %7.1f fps, ratio %.3f\n", readerOnly,
                readerOnly / plain);
    std::printf("  fresh frame memory: %.1f MB in %.3f s (%.2f GB/s), %.2f ms a frame\n",
                direct.frames * bytesPerFrame / 1e6, freshSeconds,
                direct.frames * bytesPerFrame / freshSeconds / 1e9,
                1000 * freshSeconds / std::max(1, direct.frames));
    std::printf("  peak memory growth: %.1f MB for %.1f MB of frames (goal <= %.1f MB) %s\n", grownMb,
                frameMb, allowedMb, grownMb <= allowedMb ? "ok" : "ABOVE GOAL");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    platform::SetMsgBoxAnswerer([](const platform::MsgBoxCall& call) {
        std::fprintf(stderr, "message: %s\n", qPrintable(call.prompt));
        return int(platform::vbOK);
    });
    QTemporaryDir dir;
    struct Case {
        const char* label;
        cliptools::Codec codec;
        int width, height;
        QString file;
        int bFrames = 0;
    };
    const Case cases[] = {
        {"640x480 MJPEG", cliptools::Codec::MJPEG, 640, 480, dir.filePath("mjpeg.avi")},
        {"1280x720 MPEG-4", cliptools::Codec::MPEG4, 1280, 720, dir.filePath("mpeg4.avi")},
        {"1920x1080 H.264 with B-frames (MP4)", cliptools::Codec::H264, 1920, 1080, dir.filePath("h264.mp4"), 3},
    };
    for (const Case& c : cases) {
        cliptools::ClipRecipe clipFormat;
        clipFormat.codec = c.codec;
        clipFormat.width = c.width;
        clipFormat.height = c.height;
        clipFormat.bFrames = c.bFrames;
        clipFormat.gopSize = c.bFrames ? 30 : clipFormat.gopSize;
        QString error;
        if (!cliptools::WriteClip(
                c.file, clipFormat, frames, [&](int n) { return BusyFrame(n, c.width, c.height, 40, 1, 3); }, &error)) {
            std::fprintf(stderr, "cannot write %s: %s\n", c.label, qPrintable(error));
            return 1;
        }
    }
    for (const Case& c : cases) runClip(c.label, c.file, c.width, c.height);

    // What a coach waits for after Shift+click on a phone clip: the reader open with its first
    // frame, and the whole load after it.
    const QString hevc = dir.filePath("hevc.mp4");
    cliptools::ClipRecipe phone;
    phone.codec = cliptools::Codec::HEVC;
    phone.width = 1920;
    phone.height = 1080;
    phone.bFrames = 3;
    phone.gopSize = 30;
    QString error;
    if (cliptools::WriteClip(hevc, phone, frames, [&](int n) { return BusyFrame(n, 1920, 1080, 40, 1, 3); }, &error)) {
        const auto start = Clock::now();
        cVideo video;
        cDIBSection first;
        const bool ok = video.OpenAviFile(hevc) && video.GetFrameInto(0, first);
        const double firstSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        const LoadResult whole = ourLoad(hevc, false);
        std::printf("1920x1080 HEVC with B-frames (MP4), %d frames\n", frames);
        std::printf("  open and first frame: %s in %.3f s; whole load %.2f s (%.1f fps)\n", ok ? "ok" : "FAILED",
                    firstSeconds, whole.frames / std::max(whole.fps, 1e-9), whole.fps);
    }
    return 0;
}
