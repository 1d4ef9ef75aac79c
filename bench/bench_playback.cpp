// Playback timing: the real playback timers and event loop play a 1280x720 clip with a
// model blended over it, through the video controls' Play and Stop buttons. Counts the ticks
// that arrive against those asked for, the frames painted, the largest gap between ticks and
// the ticks later than twice the interval; an idle timer of the same interval in the same
// run is the limit.
//   bench_playback [seconds per run, default 10]

#include "ClipWriter.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "platform/PictureBox.h"
#include "platform/RegistryStore.h"
#include "platform/Twips.h"
#include "playback/frmVideoControls.h"
#include "ui/Globals.h"
#include "shell/frm_Main.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kFrames = 300;

struct RunResult {
    int ticks = 0;
    int asked = 0;
    int paints = 0;
    double maxGapMs = 0;
    int lateTicks = 0;  // later than twice the interval after the tick before
    double busyMs = 0;  // time spent inside the tick handler, all ticks
};

// Gaps between consecutive tick times (ns since the run started), the first measured from Play.
void summarise(const std::vector<qint64>& tickNs, int intervalMs, RunResult& r) {
    qint64 previous = 0;
    for (qint64 t : tickNs) {
        const double gap = double(t - previous) / 1e6;
        r.maxGapMs = std::max(r.maxGapMs, gap);
        if (gap > 2.0 * intervalMs) ++r.lateTicks;
        previous = t;
    }
    r.ticks = int(tickNs.size());
}

void runFor(int seconds) {
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
}

// The limit: a precise timer of the same interval doing nothing, in the same event loop.
RunResult idleTimer(int intervalMs, int seconds) {
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(intervalMs);
    std::vector<qint64> ticks;
    QElapsedTimer clock;
    QObject::connect(&timer, &QTimer::timeout, [&] { ticks.push_back(clock.nsecsElapsed()); });
    clock.start();
    timer.start();
    runFor(seconds);
    timer.stop();
    RunResult r;
    r.asked = seconds * 1000 / intervalMs;
    summarise(ticks, intervalMs, r);
    return r;
}

RunResult play(frm_Main& w, int choice, int intervalMs, int seconds) {
    QTimer* timer = choice == 1 ? w.bothTimer : w.VideoTimer;
    frmVideoControls* c = w.VideoControls;
    c->optWindow[size_t(choice)]->click();
    c->hscrSpeed->setValue(intervalMs);

    RunResult r;
    std::vector<qint64> ticks;
    ticks.reserve(size_t(seconds * 1000 / intervalMs + 16));
    QElapsedTimer clock;
    qint64 busyNs = 0;
    // The tick is timed on arrival, before the handler paints.
    QObject::disconnect(timer, &QTimer::timeout, &w, nullptr);
    const auto connection = QObject::connect(timer, &QTimer::timeout, &w, [&] {
        const qint64 arrived = clock.nsecsElapsed();
        ticks.push_back(arrived);
        if (choice == 1)
            w.bothTimer_Timer();
        else
            w.VideoTimer_Timer();
        busyNs += clock.nsecsElapsed() - arrived;
    });
    const auto marks = w.DrawingUpdate;
    w.DrawingUpdate = [&] {
        ++r.paints;
        if (marks) marks();
    };

    clock.start();
    c->cmdPlay->click();
    runFor(seconds);
    c->cmdStop->click();

    w.DrawingUpdate = marks;
    QObject::disconnect(connection);
    QObject::connect(timer, &QTimer::timeout, &w,
                     choice == 1 ? &frm_Main::bothTimer_Timer : &frm_Main::VideoTimer_Timer);
    r.asked = seconds * 1000 / intervalMs;
    r.busyMs = double(busyNs) / 1e6;
    summarise(ticks, intervalMs, r);
    return r;
}

void print(const char* what, int intervalMs, const RunResult& r, const RunResult& limit) {
    const double pct = 100.0 * r.ticks / std::max(1, r.asked);
    const double limitPct = 100.0 * limit.ticks / std::max(1, limit.asked);
    std::printf(
        "%-28s %3d ms: ticks %5d of %5d asked (%5.1f%%, idle timer %5.1f%%, ratio %.3f), "
        "frames painted %5d, busy %5.2f ms/tick, largest gap %6.1f ms, late (>2x) %d -> %s\n",
        what, intervalMs, r.ticks, r.asked, pct, limitPct, pct / std::max(0.1, limitPct), r.paints,
        r.busyMs / std::max(1, r.ticks), r.maxGapMs, r.lateTicks,
        pct >= 95.0 && r.lateTicks == 0 ? "goal met" : "goal MISSED");
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;

    // A common desktop, so that the canvas has the size users see.
    platform::OverrideScreenMetrics(platform::ScreenMetrics{1920, 1080, 96, 96, 24});
    QTemporaryDir dir;
    // The bench keeps its settings to itself.
    platform::RegistryStore::Instance().SetFilePath(platform::HKEY_CURRENT_USER,
                                                    dir.filePath(QStringLiteral("registry.json")));
    platform::SetMsgBoxAnswerer([](const platform::MsgBoxCall& call) {
        std::fprintf(stderr, "message box: %s\n", qPrintable(call.prompt));
        return int(platform::vbOK);
    });

    cliptools::ClipRecipe clipFormat;
    clipFormat.width = kWidth;
    clipFormat.height = kHeight;
    clipFormat.codec = cliptools::Codec::MJPEG;
    const QString video = dir.filePath(QStringLiteral("swing.avi"));
    const QString model = dir.filePath(QStringLiteral("model.avi"));
    QString error;
    if (!cliptools::WriteClip(
            video, clipFormat, kFrames, [](int i) { return cliptools::NumberedFrame(i, kWidth, kHeight); },
            &error) ||
        !cliptools::WriteClip(
            model, clipFormat, kFrames,
            [](int i) { return cliptools::NumberedFrame(1000 - i, kWidth, kHeight); }, &error)) {
        std::fprintf(stderr, "cannot write the clips: %s\n", qPrintable(error));
        return 1;
    }

    QString answer;
    platform::SetFileDialogAnswerer([&](const platform::FileDialogRequest&) {
        platform::FileDialogResult r;
        r.accepted = true;
        r.path = answer;
        r.filterIndex = 1;
        return r;
    });

    frm_Main w;
    w.show();
    answer = video;
    w.Toolbar_Click(1);
    answer = model;
    w.Toolbar_Click(7);
    if (w.Video1.Count() != kFrames || !w.Program.ModelShown) {
        std::fprintf(stderr, "clip or model not loaded (%d frames, model %d)\n", int(w.Video1.Count()),
                     int(w.Program.ModelShown));
        return 1;
    }
    std::printf("clip %dx%d, %d frames, model blended at %d/255, canvas %dx%d, %d s per run\n", kWidth,
                kHeight, kFrames, w.VideoControls->hscrBlend->value(), w.pic_video->width(),
                w.pic_video->height(), seconds);

    for (int interval : {10, 40}) {
        const RunResult limit = idleTimer(interval, seconds);
        print("idle timer (limit)", interval, limit, limit);
        print("Both Windows (bothTimer)", interval, play(w, 1, interval, seconds), limit);
        print("Video 1 (VideoTimer)", interval, play(w, 0, interval, seconds), limit);
    }
    platform::SetFileDialogAnswerer({});
    return 0;
}
