// Stepping rules shared by the playback timers, the video controls' buttons and the video export:
// one frame on, round to the other end, the model following the key positions when in sync.

#include "playback/ClipPlayer.h"

#include <QTest>
#include <QTimer>

#include <functional>

using playback::ClipPlayer;
using playback::Direction;
using playback::FramePair;
using playback::FrameSpan;

Q_DECLARE_METATYPE(FrameSpan)
Q_DECLARE_METATYPE(Direction)
Q_DECLARE_METATYPE(FramePair)

namespace {

// The window: video 1 has frames 0..9, the model 0..5; logs s thumbnail click, v video 1, m model, i panel.
struct Host final : playback::PlayerHost {
    bool is(const char* word) const { return setup == QLatin1String(word); }
    FrameSpan VideoFrames() const override { return {0, is("empty") ? 0 : is("picture") ? 1 : 10}; }
    FrameSpan ModelFrames() const override { return {0, is("empty") ? 0 : 6}; }
    void ShowVideoFrame(short f) override { log << QStringLiteral("s%1").arg(f); }
    void PaintVideo(short f) override { log << QStringLiteral("v%1").arg(f); }
    void PaintModel(short f) override { log << QStringLiteral("m%1").arg(f); }
    bool SplitView() const override { return is("split"); }
    void ShowInfo(int f) override { log << (f < 0 ? QStringLiteral("i") : QStringLiteral("i%1").arg(f)); }
    int Speed() const override { return speed; }
    void EnableChoice(int choice, bool on) override { choices[choice] = on ? u'+' : u'-'; }
    int ModelFrameFor(int video, int model) const override { return is("sync") ? video / 2 : model; }
    QString setup;  // picture: one frame; empty: none; loading; split; sync
    QStringList log;
    int speed = 40;
    QString choices = QStringLiteral("???");
};

}  // namespace

class TestPlaybackStep : public QObject {
    Q_OBJECT
private slots:
    void oneClip_data() {
        QTest::addColumn<int>("frame");
        QTest::addColumn<FrameSpan>("span");
        QTest::addColumn<Direction>("direction");
        QTest::addColumn<int>("next");
        const FrameSpan ten{0, 10}, late{5, 4};  // frames 0..9, frames 5..8
        const auto F = Direction::Forward, B = Direction::Back;
        QTest::newRow("forward inside") << 3 << ten << F << 4;
        QTest::newRow("after the last, the first") << 9 << ten << F << 0;
        QTest::newRow("from beyond the end, the first") << 40 << ten << F << 0;
        QTest::newRow("back inside") << 3 << ten << B << 2;
        QTest::newRow("before the first, the last") << 0 << ten << B << 9;
        QTest::newRow("from before the start, the last") << -3 << ten << B << 9;
        QTest::newRow("late start: after its last") << 8 << late << F << 5;
        QTest::newRow("late start: before its first") << 5 << late << B << 8;
        QTest::newRow("one frame forward") << 0 << FrameSpan{0, 1} << F << 0;
        QTest::newRow("one frame back") << 0 << FrameSpan{0, 1} << B << 0;
        QTest::newRow("nothing known: on without wrapping") << 9 << FrameSpan{} << F << 10;
        QTest::newRow("nothing known: back without wrapping") << 0 << FrameSpan{} << B << -1;
    }
    void oneClip() {
        QFETCH(int, frame);
        QFETCH(FrameSpan, span);
        QFETCH(Direction, direction);
        QTEST(playback::StepFrame(frame, span, direction), "next");
    }

    // Both clips step together, each round its own ends; the sync mapping gets the stepped pair
    // and has the last word on the model frame.
    void bothWindows_data() {
        QTest::addColumn<FramePair>("at");
        QTest::addColumn<Direction>("direction");
        QTest::addColumn<bool>("sync");
        QTest::addColumn<FramePair>("next");
        const auto F = Direction::Forward, B = Direction::Back;
        QTest::newRow("together") << FramePair{3, 3} << F << false << FramePair{4, 4};
        QTest::newRow("the model wraps first") << FramePair{3, 5} << F << false << FramePair{4, 0};
        QTest::newRow("video 1 wraps alone") << FramePair{9, 2} << F << false << FramePair{0, 3};
        QTest::newRow("back, both wrap") << FramePair{0, 0} << B << false << FramePair{9, 5};
        QTest::newRow("in sync") << FramePair{3, 3} << F << true << FramePair{4, 2};
        QTest::newRow("in sync, back round the start") << FramePair{0, 0} << B << true << FramePair{9, 4};
    }
    void bothWindows() {
        QFETCH(FramePair, at);
        QFETCH(Direction, direction);
        QFETCH(bool, sync);
        // A model half as long as video 1: in sync it shows half the video frame, whatever it
        // would have shown stepping alone.
        const playback::SyncMapping half = [](int video, int) { return video / 2; };
        const FramePair stepped =
            playback::StepBoth(at, FrameSpan{0, 10}, FrameSpan{0, 6}, direction, sync ? half : nullptr);
        QFETCH(FramePair, next);
        QCOMPARE(QPoint(stepped.video, stepped.model), QPoint(next.video, next.model));
    }

    // The player of the video controls' buttons and the ticks: what is shown through a script of
    // =v/m counters set, ~ms speed, button,window clicks and tv tb tm ticks.
    void player_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("after");  // v/m, the running timer and its interval, the choices
        const auto row = [](const char* name, const char* setup, const char* script, const char* log,
                            const char* after) { QTest::newRow(name) << setup << script << log << after; };
        row("in step on the key positions", "sync", "=3/3 5,1 4,1", "m2 v4 i m1 v3 i", "3/1 - +++");
        row("beyond the clip: a tick, Stop", "", "=30/0 tv =30/0 2,0 6,0", "v0 i0 i s0 i", "30/0 - +++");
        row("no speed: nothing runs, yet it plays", "", "~0 2,0", "i", "0/0 - ---");
        // Play runs the chosen window's timer alone, at the speed set when it was pressed.
        row("Play for another window takes over", "", "~25 2,0 ~60 2,2", "i i", "0/0 m60 ---");
        row("a tick at no speed stops", "", "2,1 ~0 tb", "i m1 v1 i1", "1/1 - ---");
        row("blend view: video 1 over the model", "", "=3/5 tm tb", "m0 v3 m1 v4 i4", "4/1 - ???");
        row("split view: each its half", "split", "=3/5 tm tb", "m0 v4 m1 i4", "4/1 - ???");
        row("a still picture does not tick", "picture", "tv 5,0 4,0", "s0 s0", "0/0 - +++");
        // Ends of nothing fail; counters move on without wrapping and keep a value that would overflow.
        row("nothing loaded", "empty", "=32767/0 0,1 5,1 1,2 tm", "m1 v32767 m2 v32767", "32767/2 - +??");
        row("model buttons during a load", "loading", "2,2 5,2 6,2 5,1", "m1 v1 i", "1/1 - +++");
        row("unknown buttons and windows", "", "3,0 7,1 -1,2 2,3 6,-1", "i i i i i", "0/0 - +++");
    }
    void player() {
        QFETCH(QString, setup);
        QFETCH(QString, script);
        short v = 0, m = 0;
        const int kind = setup == QLatin1String("empty") ? 0 : setup == QLatin1String("picture") ? 1 : 2;
        const bool loading = setup == QLatin1String("loading"), modelShown = kind != 0;
        bool stopped = true;
        auto owned = std::make_unique<Host>();
        Host& host = *owned;
        host.setup = setup;
        ClipPlayer player({v, m, kind, loading, modelShown, stopped}, std::move(owned));
        // Lambdas, not member pointers: GCC's bounds check misreads an index into an array of those.
        const std::function<void()> ticks[] = {[&] { player.VideoTick(); }, [&] { player.BothTick(); },
                                               [&] { player.ModelTick(); }};
        for (const QString& step : script.split(u' ')) {
            const QStringList n = step.mid(1).split(u'/');
            if (step[0] == u'=')
                std::tie(v, m) = std::pair(n[0].toShort(), n[1].toShort());
            else if (step[0] == u'~')
                host.speed = n[0].toInt();
            else if (step[0] == u't')
                ticks[QStringLiteral("vbm").indexOf(step[1])]();
            else
                player.Click(step.section(u',', 0, 0).toShort(), step.section(u',', 1).toShort());
        }
        QTEST(host.log.join(u' '), "log");
        QString running;  // every timer running, so that two at once show
        for (int t = 0; t < 3; ++t)
            if (player.Timer(t)->isActive())
                running += QStringLiteral("vbm")[t] + QString::number(player.Timer(t)->interval());
        if (running.isEmpty()) running = QStringLiteral("-");
        QTEST(QStringLiteral("%1/%2 %3 %4").arg(v).arg(m).arg(running, host.choices), "after");
    }
};

QTEST_GUILESS_MAIN(TestPlaybackStep)
#include "tst_playbackstep.moc"
