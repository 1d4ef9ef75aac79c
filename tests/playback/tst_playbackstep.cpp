// Stepping rules shared by the playback timers, the video controls' buttons and the video export:
// one frame on, round to the other end, the model following the key positions when in sync.

#include "playback/PlaybackStep.h"

#include <QTest>

using playback::Direction;
using playback::FramePair;
using playback::FrameSpan;

Q_DECLARE_METATYPE(FrameSpan)
Q_DECLARE_METATYPE(Direction)
Q_DECLARE_METATYPE(FramePair)

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
};

QTEST_APPLESS_MAIN(TestPlaybackStep)
#include "tst_playbackstep.moc"
