// The swing's key positions, found on drawn swings of known timing (with noise, a shaking camera,
// other frame rates and someone walking behind), nothing found where there is no swing, nothing
// absurd on the real-media corpus, and the frame mapping that keeps a model swing in step.

#include "ClipWriter.h"
#include "SwingDrawing.h"
#include "compare/KeyPositionFinder.h"
#include "clips/cVideo.h"
#include "imaging/cDIBSection.h"
#include "platform/AudioClick.h"
#include "platform/MessageBox.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <random>
#include <vector>

Q_DECLARE_METATYPE(cliptools::SwingScript)
Q_DECLARE_METATYPE(KeyPositions)

namespace {

std::vector<QImage> drawn(const cliptools::SwingScript& script) {
    std::vector<QImage> frames;
    for (int i = 0; i < script.Frames(); ++i) frames.push_back(cliptools::DrawSwing(script, i));
    return frames;
}

// Moves a moment to just past the middle between two frames at 30 fps.
constexpr double kBetweenFrames = 0.55 / 30;

KeyPositions keys(int a, int t, int i, int f) {
    KeyPositions k;
    k.frame = {a, t, i, f};
    return k;
}

}  // namespace

class TestKeyPositions : public QObject {
    Q_OBJECT

private slots:
    void drawnSwing_data() {
        QTest::addColumn<cliptools::SwingScript>("script");
        using cliptools::SwingScript;
        SwingScript plain;
        QTest::newRow("plain, 30 fps") << plain;
        // Noise, shake and a walker are each taken on in the rows that have them all at once.
        SwingScript s = plain;
        s.fps = 60;
        QTest::newRow("60 fps") << s;
        s = plain;
        s.fps = 24;
        s.address = 0.25, s.top = 1.5, s.impact = 1.75, s.finish = 2.5, s.length = 3.0;
        QTest::newRow("24 fps, slow backswing") << s;
        s = plain;
        s.fps = 50, s.noise = 10, s.shake = 2, s.walker = true, s.width = 640, s.height = 360, s.seed = 7;
        QTest::newRow("all at once, 50 fps, wide") << s;
        s.seed = 15;
        QTest::newRow("all at once, another take") << s;
    }
    void drawnSwing() {
        QFETCH(cliptools::SwingScript, script);
        const KeyPositions found = FindKeyPositions(drawn(script), script.fps);
        const int expected[] = {script.FrameAt(script.address), script.FrameAt(script.top),
                                script.FrameAt(script.impact), script.FrameAt(script.finish)};
        // One frame at 30 fps: more frames at faster rates.
        const int tolerance = std::max(1, int(std::lround(script.fps / 30.0)));
        for (int k = 0; k < 4; ++k) {
            QVERIFY2(std::abs(found[k] - expected[k]) <= tolerance,
                     qPrintable(QStringLiteral("%1: found %2, drawn at %3 (found A %4 T %5 I %6 F %7)")
                                    .arg(KeyPositionTag(k))
                                    .arg(found[k])
                                    .arg(expected[k])
                                    .arg(found[0])
                                    .arg(found[1])
                                    .arg(found[2])
                                    .arg(found[3])));
        }
    }

    // Through a lossy codec and our reader, as a loaded clip reaches the finder.
    void drawnSwingThroughAClip() {
        QTemporaryDir dir;
        cliptools::SwingScript script;
        script.noise = 6;
        const QString path = dir.filePath(QStringLiteral("swing.avi"));
        cliptools::ClipSpec clipFormat;
        clipFormat.fps = 30;
        clipFormat.codec = cliptools::Codec::MPEG4;
        clipFormat.quality = 5;
        QVERIFY(cliptools::WriteClip(path, clipFormat, script.Frames(), [&](int i) { return cliptools::DrawSwing(script, i); }));
        cVideo reader;
        QVERIFY(reader.OpenAviFile(path));
        std::vector<QImage> frames;
        for (int i = 0; i < reader.NumberOfFrames(); ++i) {
            cDIBSection dib;
            QVERIFY(reader.GetFrameInto(i, dib));
            frames.push_back(dib.HDC()->copy());
        }
        const KeyPositions found = FindKeyPositions(frames, reader.FramesPerSecond());
        const double times[] = {script.address, script.top, script.impact, script.finish};
        for (int k = 0; k < 4; ++k) QVERIFY(std::abs(found[k] - script.FrameAt(times[k])) <= 1);
    }

    // The ball's click through a clip's sound track, as the controller gathers it: it times
    // impact exactly where the pictures agree, and is ignored where it cannot be the ball's.
    void impactClick_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<double>("clickAt");     // seconds after frame 0 is shown; < 0: no click
        QTest::addColumn<double>("noise");       // the steady noise's level
        QTest::addColumn<double>("soundStart");  // on the file's clock; < 0: no sound at all
        QTest::addColumn<double>("firstFrame");  // when frame 0 is shown, on the file's clock
        QTest::addColumn<bool>("taken");         // the click decides impact
        const double impact = cliptools::SwingScript{}.impact + kBetweenFrames;
        QTest::newRow("click at impact, PCM in AVI") << "a.avi" << impact << 0.003 << 0.0 << 0.0 << true;
        QTest::newRow("click at impact, AAC in MP4") << "a.mp4" << impact << 0.003 << 0.0 << 0.0 << true;
        QTest::newRow("sound starting 0.4 s after the pictures, MKV") << "a.mkv" << impact << 0.003 << 0.4 << 0.0 << true;
        QTest::newRow("pictures starting 0.4 s after the sound, MKV") << "a.mkv" << impact << 0.003 << 0.0 << 0.4 << true;
        QTest::newRow("a click before address") << "a.mkv" << 0.2 << 0.003 << 0.0 << 0.0 << false;
        QTest::newRow("the next mat's ball in the follow-through") << "a.mkv" << impact + 0.3 << 0.003 << 0.0 << 0.0 << false;
        QTest::newRow("steady noise, no click") << "a.mkv" << -1.0 << 0.2 << 0.0 << 0.0 << false;
        QTest::newRow("no sound") << "a.mkv" << -1.0 << 0.0 << -1.0 << 0.0 << false;
    }
    void impactClick() {
        QFETCH(QString, file);
        QFETCH(double, clickAt);
        QFETCH(double, noise);
        QFETCH(double, soundStart);
        QFETCH(double, firstFrame);
        QFETCH(bool, taken);
        cliptools::SwingScript script;
        script.impact += kBetweenFrames;  // the pictures alone cannot tell which of two frames
        script.noise = 6;
        QTemporaryDir dir;
        const QString path = dir.filePath(file);
        cliptools::ClipSpec clipFormat;
        clipFormat.fps = 30;
        clipFormat.codec = cliptools::Codec::MPEG4;
        if (firstFrame > 0) clipFormat.showAtMs = [=](int i) { return std::llround(1000 * (firstFrame + i / 30.0)); };
        if (soundStart >= 0) {
            clipFormat.soundStart = soundStart;
            clipFormat.sound = [=](double t) {
                // Deterministic hiss, and a struck ball: a sharp crack dying away in 3 ms.
                const auto n = std::uint32_t(std::lround(t * 48000)) * 2654435761u;
                double v = noise * (double(n >> 8) / double(1u << 24) * 2 - 1);
                const double since = t - firstFrame - clickAt;
                if (clickAt >= 0 && since >= 0) v += 0.7 * std::exp(-since / 0.003) * (n & 256 ? 1 : -1);
                return float(v);
            };
        }
        QString error;
        QVERIFY2(cliptools::WriteClip(path, clipFormat, script.Frames(), [&](int i) { return cliptools::DrawSwing(script, i); },
                                      &error),
                 qPrintable(error));
        cVideo reader;
        QVERIFY(reader.OpenAviFile(path));
        std::vector<QImage> frames;
        std::vector<double> shownAt;
        // The count is the headers' guess until decoding reaches the end.
        for (cDIBSection dib; int(frames.size()) < reader.NumberOfFrames() && reader.GetFrameInto(int(frames.size()), dib);) {
            shownAt.push_back(reader.StartSeconds() + reader.FrameSeconds(int(frames.size())));
            frames.push_back(dib.HDC()->copy());
        }
        QCOMPARE(int(frames.size()), script.Frames());
        const std::optional<double> click = platform::ClickSeconds(path);
        QCOMPARE(click.has_value(), clickAt >= 0);
        const int clickFrame = click ? FrameShownAt(shownAt, *click) : -1;
        if (click) QCOMPARE(clickFrame, int(std::lround(clickAt * script.fps)));
        const KeyPositions pictures = FindKeyPositions(frames, reader.FramesPerSecond());
        const KeyPositions found = FindKeyPositions(frames, reader.FramesPerSecond(), nullptr, clickFrame);
        if (taken) {
            QCOMPARE(found[KeyPositions::Impact], script.FrameAt(script.impact));
            QCOMPARE(found[KeyPositions::Top], pictures[KeyPositions::Top]);
        } else {
            QCOMPARE(found, pictures);
        }
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
    }
    void noSwing() {
        QFETCH(int, kind);
        QFETCH(int, frames);
        cliptools::SwingScript script;
        script.swing = false;
        script.noise = kind == 1 ? 12 : 0;
        script.walker = kind == 2;
        std::vector<QImage> pictures;
        std::mt19937 random(5);
        for (int i = 0; i < frames; ++i) {
            QImage picture = cliptools::DrawSwing(script, i);
            if (kind == 3)
                for (int y = 0; y < picture.height(); ++y)
                    for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, qRgb(int(random() % 256), 0, 0) | random());
            pictures.push_back(picture);
        }
        QCOMPARE(FindKeyPositions(pictures, 30), KeyPositions{});
    }

    void cancelledSearchFindsNothing() {
        const std::atomic<bool> cancel{true};
        QCOMPARE(FindKeyPositions(drawn(cliptools::SwingScript{}), 30, &cancel), KeyPositions{});
    }

    // The real clips carry no swing the project may ship: whatever is found there must at least
    // lie inside the clip and in order.
    void realMediaNothingAbsurd() {
        const QString corpus = QStringLiteral(VARKELO_TESTMEDIA_DIR);
        if (!QDir(corpus).exists()) QSKIP("the test media corpus is not here");
        platform::SetMsgBoxAnswerer([](const platform::MsgBoxCall&) { return int(platform::vbOK); });
        int clips = 0, swings = 0, clicks = 0;
        for (const char* folder : {"avi", "mp4"}) {
            QDirIterator it(corpus + QLatin1Char('/') + QLatin1String(folder), QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString path = it.next();
                cVideo reader;
                if (!reader.OpenAviFile(path) || reader.NumberOfFrames() > 400) continue;
                std::vector<QImage> frames;
                for (int i = 0; i < reader.NumberOfFrames(); ++i) {
                    cDIBSection dib;
                    if (!reader.GetFrameInto(i, dib) || (!frames.empty() && dib.HDC()->size() != frames[0].size())) break;
                    frames.push_back(dib.HDC()->copy());
                }
                const KeyPositions found = FindKeyPositions(frames, reader.FramesPerSecond());
                ++clips;
                swings += found.Found() ? 1 : 0;
                // A click, if the sound has one, lies within the clip.
                if (const std::optional<double> click = platform::ClickSeconds(path)) {
                    ++clicks;
                    const double from = reader.StartSeconds() - 1, to = from + 2 + reader.FrameSeconds(reader.NumberOfFrames());
                    QVERIFY2(*click >= from && *click <= to, qPrintable(path));
                }
                int previous = -1;
                for (int k = 0; k < 4; ++k) {
                    if (found[k] < 0) continue;
                    QVERIFY2(found[k] > previous && found[k] < int(frames.size()), qPrintable(path));
                    previous = found[k];
                }
                if (found.Found())
                    qInfo("%s: A %d T %d I %d F %d of %d", qPrintable(QFileInfo(path).fileName()), found[0], found[1],
                          found[2], found[3], int(frames.size()));
            }
        }
        platform::SetMsgBoxAnswerer({});
        qInfo("%d real clips searched, a swing found in %d, a click in %d", clips, swings, clicks);
        QVERIFY(clips > 0);
    }

    void syncedModelFrame_data() {
        QTest::addColumn<KeyPositions>("video");
        QTest::addColumn<int>("videoCount");
        QTest::addColumn<KeyPositions>("model");
        QTest::addColumn<int>("modelCount");
        QTest::addColumn<QList<int>>("videoFrames");
        QTest::addColumn<QList<int>>("modelFrames");
        const KeyPositions v = keys(10, 40, 50, 70);
        // The model's swing is half as fast: every part takes twice the frames.
        const KeyPositions slow = keys(20, 80, 100, 140);
        QTest::newRow("slower model") << v << 81 << slow << 161 << QList<int>{0, 5, 10, 25, 40, 45, 50, 70, 80}
                                      << QList<int>{0, 10, 20, 50, 80, 90, 100, 140, 160};
        // Only the downswing differs: the model reaches top and impact together with the video.
        QTest::newRow("slower downswing only") << v << 81 << keys(10, 40, 60, 80) << 91 << QList<int>{40, 45, 50, 60}
                                               << QList<int>{40, 50, 60, 70};
        QTest::newRow("model without a finish") << v << 81 << keys(10, 40, 50, -1) << 61
                                                << QList<int>{50, 65, 80} << QList<int>{50, 55, 60};
        QTest::newRow("nothing found in the model: the clips' ends only")
            << v << 81 << KeyPositions{} << 41 << QList<int>{0, 40, 80, 100, -3} << QList<int>{0, 20, 40, 40, 0};
        // Positions out of step with each other are skipped, never made to run backwards.
        QTest::newRow("an anchor out of order is left out")
            << keys(10, 40, 50, 70) << 81 << keys(30, 20, 50, 70) << 81 << QList<int>{10, 40, 50} << QList<int>{30, 45, 50};
        QTest::newRow("a one-frame model") << v << 81 << KeyPositions{} << 1 << QList<int>{0, 50} << QList<int>{0, 0};
    }
    void syncedModelFrame() {
        QFETCH(KeyPositions, video);
        QFETCH(int, videoCount);
        QFETCH(KeyPositions, model);
        QFETCH(int, modelCount);
        QFETCH(QList<int>, videoFrames);
        QFETCH(QList<int>, modelFrames);
        for (int i = 0; i < videoFrames.size(); ++i)
            QCOMPARE(SyncedModelFrame(videoFrames[i], video, videoCount, model, modelCount), modelFrames[i]);
    }

    void tempoText() {
        QCOMPARE(TempoText(0.9, 0.3), QStringLiteral("Tempo: 3.0 : 1"));
        QCOMPARE(TempoText(0.75, 0.3), QStringLiteral("Tempo: 2.5 : 1"));
        QCOMPARE(TempoText(0.9, 0), QString());
    }
};

QTEST_GUILESS_MAIN(TestKeyPositions)
#include "tst_keypositions.moc"
