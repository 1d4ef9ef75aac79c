// The key-position search against the clip's load in the same run: a drawn 1080p swing of 300
// frames is written as MJPEG with a PCM sound track (a hiss and the ball's click), loaded whole
// through our reader, then searched as the program does, the sound's click included (goal: at
// most a quarter of the load time).
//   bench_keypositions [frames, default 300]

#include "ClipWriter.h"
#include "SwingDrawing.h"
#include "compare/KeyPositionFinder.h"
#include "platform/AudioClick.h"
#include "clips/cVideo.h"
#include "imaging/cDIBSection.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <optional>
#include <cstdio>
#include <memory>
#include <vector>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int frames = argc > 1 ? std::atoi(argv[1]) : 300;
    cliptools::SwingScript script;
    script.width = 1920;
    script.height = 1080;
    script.fps = 30;
    script.noise = 4;
    script.address = 2.0, script.top = 5.0, script.impact = 5.3, script.finish = 6.5;
    script.length = frames / 30.0;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("swing1080.avi"));
    cliptools::ClipRecipe clipFormat;
    clipFormat.width = 1920;
    clipFormat.height = 1080;
    clipFormat.fps = 30;
    clipFormat.codec = cliptools::Codec::MJPEG;
    clipFormat.sound = [&](double t) {
        const auto n = std::uint32_t(std::lround(t * 48000)) * 2654435761u;
        const double hiss = 0.01 * (double(n >> 8) / double(1u << 24) * 2 - 1);
        const double crack = t < script.impact ? 0 : 0.7 * std::exp(-(t - script.impact) / 0.003) * (n & 256 ? 1 : -1);
        return float(hiss + crack);
    };
    QString error;
    if (!cliptools::WriteClip(path, clipFormat, frames, [&](int i) { return cliptools::DrawSwing(script, i); }, &error)) {
        std::fprintf(stderr, "cannot write the clip: %s\n", qPrintable(error));
        return 1;
    }
    using Clock = std::chrono::steady_clock;
    const auto loadStart = Clock::now();
    cVideo reader;
    if (!reader.OpenAviFile(path)) return 1;
    std::vector<std::unique_ptr<cDIBSection>> store;
    std::vector<QImage> pictures;
    std::vector<double> shownAt;
    for (int i = 0; i < reader.NumberOfFrames(); ++i) {
        auto dib = std::make_unique<cDIBSection>();
        if (!reader.GetFrameInto(i, *dib)) break;
        pictures.push_back(*dib->HDC());
        shownAt.push_back(reader.StartSeconds() + reader.FrameSeconds(i));
        store.push_back(std::move(dib));
    }
    const double load = std::chrono::duration<double>(Clock::now() - loadStart).count();
    const auto findStart = Clock::now();
    const std::optional<double> click = platform::ClickSeconds(path);
    const int clickFrame = click ? FrameShownAt(shownAt, *click) : -1;
    const double listen = std::chrono::duration<double>(Clock::now() - findStart).count();
    const KeyPositions found = FindKeyPositions(pictures, reader.FramesPerSecond(), nullptr, clickFrame);
    const double find = std::chrono::duration<double>(Clock::now() - findStart).count();
    std::printf("1080p, %d frames: load %.3f s, key positions %.3f s (the click %.3f s), ratio %.3f (goal <= 0.25)\n",
                int(pictures.size()), load, find, listen, find / load);
    std::printf("click at frame %d; found A %d T %d I %d F %d; drawn at A %d T %d I %d F %d\n", clickFrame,
                found[0], found[1], found[2], found[3], script.FrameAt(script.address), script.FrameAt(script.top), script.FrameAt(script.impact),
                script.FrameAt(script.finish));
    return 0;
}
