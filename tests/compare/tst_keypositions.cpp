// The swing's key positions, found on drawn swings of known timing (with noise, a shaking camera,
// other frame rates and someone walking behind), nothing found where there is no swing (the
// real-media corpus: its own test), and the frame mapping that keeps a model swing in step.

#include "ClipWriter.h"
#include "SwingDrawing.h"
#include "compare/KeyPositionFinder.h"
#include "clips/cVideo.h"
#include "imaging/cDIBSection.h"
#include "platform/AudioClick.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cmath>
#include <optional>
#include <random>
#include <vector>

using cliptools::SwingScript;
Q_DECLARE_METATYPE(SwingScript)

namespace {

// Moves a moment to just past the middle between two frames at 30 fps.
constexpr double kBetweenFrames = 0.55 / 30;

// The drawn swing as it reaches the finder: drawn, or through a lossy MPEG-4 clip and our reader
// (its count the headers' guess until decoding reaches the end). `shownAt` is on the file's clock.
struct Clip {
    std::vector<QImage> frames;
    std::vector<double> shownAt;
    double fps = 0;
};
Clip swing(const SwingScript& script, std::optional<cliptools::ClipRecipe> recipe = {}, const QString& path = {}) {
    Clip c{{}, {}, script.fps};
    for (int i = 0; !recipe && i < script.Frames(); ++i) c.frames.push_back(cliptools::DrawSwing(script, i));
    if (!recipe) return c;
    recipe->fps = 30;
    recipe->codec = cliptools::Codec::MPEG4;
    QString error;
    if (!cliptools::WriteClip(path, *recipe, script.Frames(), [&](int i) { return cliptools::DrawSwing(script, i); }, &error))
        qWarning("%s", qPrintable(error));
    cVideo reader;
    if (!reader.OpenAviFile(path)) return {};
    for (cDIBSection dib; int(c.frames.size()) < reader.NumberOfFrames() && reader.GetFrameInto(int(c.frames.size()), dib);) {
        c.shownAt.push_back(reader.StartSeconds() + reader.FrameSeconds(int(c.frames.size())));
        c.frames.push_back(dib.HDC()->copy());
    }
    c.fps = reader.FramesPerSecond();
    return c;
}

// A clip with a click `clickAt` seconds after frame 0 is shown (< 0: none) over steady noise of
// level `noise`, its sound starting at `soundStart` on the file's clock (< 0: no sound at all)
// and frame 0 shown at `firstFrame`; `taken` when the click decides impact.
struct Click {
    QString file;
    double clickAt, noise, soundStart, firstFrame;
    bool taken;
};
// The model frames shown with video frames, from both clips' key positions and frame counts.
struct Synced {
    KeyPositions video;
    int videoCount;
    KeyPositions model;
    int modelCount;
    QList<int> videoFrames, modelFrames;
};

}  // namespace

Q_DECLARE_METATYPE(Click)
Q_DECLARE_METATYPE(Synced)

class TestKeyPositions : public QObject {
    Q_OBJECT

private slots:
    void drawnSwing_data() {
        QTest::addColumn<SwingScript>("script");
        QTest::addColumn<bool>("throughAClip");
        QTest::newRow("plain, 30 fps") << SwingScript{} << false;
        QTest::newRow("60 fps") << SwingScript{.fps = 60} << false;
        QTest::newRow("24 fps, slow backswing")
            << SwingScript{.fps = 24, .address = 0.25, .top = 1.5, .impact = 1.75, .finish = 2.5, .length = 3.0} << false;
        // Noise, shake and a walker are each taken on in the rows that have them all at once.
        SwingScript all{.width = 640, .height = 360, .fps = 50, .noise = 10, .shake = 2, .walker = true, .seed = 7};
        QTest::newRow("all at once, 50 fps, wide") << all << false;
        all.seed = 15;
        QTest::newRow("all at once, another take") << all << false;
        QTest::newRow("through an MPEG-4 clip") << SwingScript{.noise = 6} << true;
    }
    void drawnSwing() {
        QFETCH(SwingScript, script);
        QFETCH(bool, throughAClip);
        QTemporaryDir dir;
        const Clip clip = throughAClip ? swing(script, cliptools::ClipRecipe{.quality = 5}, dir.filePath(QStringLiteral("s.avi")))
                                       : swing(script);
        QCOMPARE(int(clip.frames.size()), script.Frames());
        const KeyPositions found = FindKeyPositions(clip.frames, clip.fps);
        const double drawnAt[] = {script.address, script.top, script.impact, script.finish};
        // One frame at 30 fps: more frames at faster rates.
        const int tolerance = std::max(1, int(std::lround(script.fps / 30.0)));
        for (int k = 0; k < 4; ++k)
            QVERIFY2(std::abs(found[k] - script.FrameAt(drawnAt[k])) <= tolerance,
                     qPrintable(KeyPositionTag(k) + QStringLiteral(" found at %1").arg(found[k])));
    }

    // The ball's click through a clip's sound track, as the controller gathers it: it times
    // impact exactly where the pictures agree, and is ignored where it cannot be the ball's.
    void impactClick_data() {
        QTest::addColumn<Click>("c");
        const double impact = SwingScript{}.impact + kBetweenFrames;
        QTest::newRow("click at impact, PCM in AVI") << Click{"a.avi", impact, 0.003, 0, 0, true};
        QTest::newRow("click at impact, AAC in MP4") << Click{"a.mp4", impact, 0.003, 0, 0, true};
        QTest::newRow("sound starting 0.4 s after the pictures, MKV") << Click{"a.mkv", impact, 0.003, 0.4, 0, true};
        QTest::newRow("pictures starting 0.4 s after the sound, MKV") << Click{"a.mkv", impact, 0.003, 0, 0.4, true};
        QTest::newRow("a click before address") << Click{"a.mkv", 0.2, 0.003, 0, 0, false};
        QTest::newRow("the next mat's ball in the follow-through") << Click{"a.mkv", impact + 0.3, 0.003, 0, 0, false};
        QTest::newRow("steady noise, no click") << Click{"a.mkv", -1, 0.2, 0, 0, false};
        QTest::newRow("no sound") << Click{"a.mkv", -1, 0, -1, 0, false};
    }
    void impactClick() {
        QFETCH(Click, c);
        SwingScript script{.impact = SwingScript{}.impact + kBetweenFrames, .noise = 6};  // between two frames
        cliptools::ClipRecipe recipe;
        if (c.firstFrame > 0) recipe.showAtMs = [=](int i) { return std::llround(1000 * (c.firstFrame + i / 30.0)); };
        recipe.soundStart = c.soundStart;
        if (c.soundStart >= 0)
            recipe.sound = [=](double t) {
                // Deterministic hiss, and a struck ball: a sharp crack dying away in 3 ms.
                const auto n = std::uint32_t(std::lround(t * 48000)) * 2654435761u;
                const double v = c.noise * (double(n >> 8) / double(1u << 24) * 2 - 1), since = t - c.firstFrame - c.clickAt;
                return float(c.clickAt >= 0 && since >= 0 ? v + 0.7 * std::exp(-since / 0.003) * (n & 256 ? 1 : -1) : v);
            };
        QTemporaryDir dir;
        const QString path = dir.filePath(c.file);
        const Clip clip = swing(script, recipe, path);
        QCOMPARE(int(clip.frames.size()), script.Frames());
        const std::optional<double> click = platform::ClickSeconds(path);
        QCOMPARE(click.has_value(), c.clickAt >= 0);
        const int clickFrame = click ? FrameShownAt(clip.shownAt, *click) : -1;
        if (click) QCOMPARE(clickFrame, int(std::lround(c.clickAt * script.fps)));
        const KeyPositions pictures = FindKeyPositions(clip.frames, clip.fps);
        const KeyPositions found = FindKeyPositions(clip.frames, clip.fps, nullptr, clickFrame);
        // Taken, the click times impact and leaves the rest to the pictures; else nothing changes.
        QCOMPARE(found[KeyPositions::Impact], c.taken ? script.FrameAt(script.impact) : pictures[KeyPositions::Impact]);
        QCOMPARE(found[KeyPositions::Top], pictures[KeyPositions::Top]);
        if (!c.taken) QCOMPARE(found, pictures);
    }

    void noSwing_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("frames");
        QTest::newRow("a still camera") << 0 << 60;
        QTest::newRow("a still camera with sensor noise") << 1 << 60;
        QTest::newRow("someone walking past a golfer standing still") << 2 << 60;
        QTest::newRow("noise only") << 3 << 60;
        QTest::newRow("one frame") << 1 << 1;
        QTest::newRow("three frames") << 1 << 3;
        QTest::newRow("a swing, the search cancelled") << 4 << SwingScript{}.Frames();
    }
    void noSwing() {
        QFETCH(int, kind);
        QFETCH(int, frames);
        const SwingScript script{.noise = kind == 1 ? 12 : 0, .walker = kind == 2, .swing = kind == 4};
        std::vector<QImage> pictures;
        std::mt19937 random(5);
        for (int i = 0; i < frames; ++i) {
            pictures.push_back(cliptools::DrawSwing(script, i));
            for (qsizetype b = 0; kind == 3 && b < pictures.back().sizeInBytes(); ++b) pictures.back().bits()[b] = uchar(random());
        }
        const std::atomic<bool> cancel{kind == 4};
        QCOMPARE(FindKeyPositions(pictures, 30, &cancel), KeyPositions{});
    }

    void syncedModelFrame_data() {
        QTest::addColumn<Synced>("s");
        const KeyPositions v = KeyPositions{{10, 40, 50, 70}};
        // The model's swing is half as fast: every part takes twice the frames.
        QTest::newRow("slower model") << Synced{v, 81, KeyPositions{{20, 80, 100, 140}}, 161, {0, 5, 10, 25, 40, 45, 50, 70, 80},
                                                {0, 10, 20, 50, 80, 90, 100, 140, 160}};
        // Only the downswing differs: the model reaches top and impact together with the video.
        QTest::newRow("slower downswing only") << Synced{v, 81, KeyPositions{{10, 40, 60, 80}}, 91, {40, 45, 50, 60}, {40, 50, 60, 70}};
        QTest::newRow("model without a finish") << Synced{v, 81, KeyPositions{{10, 40, 50, -1}}, 61, {50, 65, 80}, {50, 55, 60}};
        QTest::newRow("nothing found in the model: the clips' ends only")
            << Synced{v, 81, KeyPositions{}, 41, {0, 40, 80, 100, -3}, {0, 20, 40, 40, 0}};
        // Positions out of step with each other are skipped, never made to run backwards.
        QTest::newRow("an anchor out of order is left out") << Synced{v, 81, KeyPositions{{30, 20, 50, 70}}, 81, {10, 40, 50}, {30, 45, 50}};
        QTest::newRow("a one-frame model") << Synced{v, 81, KeyPositions{}, 1, {0, 50}, {0, 0}};
    }
    void syncedModelFrame() {
        QFETCH(Synced, s);
        for (int i = 0; i < s.videoFrames.size(); ++i)
            QCOMPARE(SyncedModelFrame(s.videoFrames[i], s.video, s.videoCount, s.model, s.modelCount), s.modelFrames[i]);
    }

    void tempoText() {
        QCOMPARE(TempoText(0.9, 0.3), QStringLiteral("Tempo: 3.0 : 1"));
        QCOMPARE(TempoText(0.75, 0.3), QStringLiteral("Tempo: 2.5 : 1"));
        QCOMPARE(TempoText(0.9, 0), QString());
    }
};

QTEST_GUILESS_MAIN(TestKeyPositions)
#include "tst_keypositions.moc"
