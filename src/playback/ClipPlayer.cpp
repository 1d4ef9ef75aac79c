#include "playback/ClipPlayer.h"

#include "platform/RuntimeError.h"

#include <QTimer>

namespace playback {

namespace {

using platform::CheckedInt16;
using platform::TryStep;

// A slot with nothing in it fails the step that asks for its frames, as a reader call without a
// clip does. (Stepping through it moves its counter on without wrapping.)
FrameSpan filled(FrameSpan span) {
    if (span.count == 0) platform::Raise(platform::errObjectNotSet);
    return span;
}

// A timer with an interval that is not positive must never fire (a zero-interval QTimer
// would fire at every turn of the event loop), so such a timer is kept stopped. Only one
// playback timer ever runs: Stop stops the chosen window's timer alone.
void startPlayback(QTimer* timer, int milliseconds, QTimer* const (&all)[3]) {
    for (QTimer* other : all)
        if (other != timer) other->stop();
    timer->setInterval(milliseconds);
    if (milliseconds > 0)
        timer->start();
    else
        timer->stop();
}

// The speed slider is read at every tick. The interval is only touched when it differs:
// setting it restarts a running timer, which would add each tick's lateness to the next.
void followSpeed(QTimer* timer, int milliseconds) {
    if (timer->interval() != milliseconds) timer->setInterval(milliseconds);
    if (milliseconds <= 0) timer->stop();
}

}  // namespace

ClipPlayer::ClipPlayer(const PlaybackState& state, std::unique_ptr<PlayerHost> host, QObject* parent)
    : QObject(parent), s_(state), host_(std::move(host)) {
    setObjectName(QStringLiteral("ClipPlayer"));
    const char* const names[] = {"VideoTimer", "bothTimer", "ModelTimer"};
    for (int i = 0; i < 3; ++i) {
        // Stopped until playback gives it a positive interval.
        timers_[i] = new QTimer(this);
        timers_[i]->setObjectName(QLatin1String(names[i]));
        timers_[i]->setInterval(0);
        timers_[i]->setTimerType(Qt::PreciseTimer);
    }
    connect(timers_[0], &QTimer::timeout, this, &ClipPlayer::VideoTick);
    connect(timers_[1], &QTimer::timeout, this, &ClipPlayer::BothTick);
    connect(timers_[2], &QTimer::timeout, this, &ClipPlayer::ModelTick);
}

ClipPlayer::~ClipPlayer() = default;

void ClipPlayer::stepBoth(Direction direction) {
    short& v = s_.videoFrame;
    short& m = s_.modelFrame;
    const SyncMapping sync = [this](int videoFrame, int modelFrame) {
        return host_->ModelFrameFor(videoFrame, modelFrame);
    };
    FramePair next{v, m};
    TryStep([&] { next = StepBoth({v, m}, host_->VideoFrames(), host_->ModelFrames(), direction, sync); });
    TryStep([&] { v = CheckedInt16(next.video); });
    TryStep([&] { m = CheckedInt16(next.model); });
}

void ClipPlayer::Click(short button, short window) {
    // Buttons aimed at the model do nothing at all while a clip is being read.
    if (window == 2 && s_.loading) return;

    short& v = s_.videoFrame;
    short& m = s_.modelFrame;
    PlayerHost& h = *host_;
    QTimer* const timer = window >= 0 && window <= 2 ? timers_[window] : nullptr;
    const auto N1 = [&h] { return filled(h.VideoFrames()).count; };
    const auto F1 = [&h] { return filled(h.VideoFrames()).first; };
    const auto NM = [&h] { return filled(h.ModelFrames()).count; };
    const auto FM = [&h] { return filled(h.ModelFrames()).first; };

    // Play and Stop act on the timer of the chosen window; a choice with no timer is no
    // frame work, so it neither starts anything nor counts as playing.
    if (button == 2 && timer) {
        TryStep([&] { startPlayback(timer, h.Speed(), timers_); });
        s_.stopped = false;
    }
    if (button == 6 && timer) {
        TryStep([&] { timer->stop(); });
        s_.stopped = true;
    }

    // The model's first and last frames are stored as well as drawn, so that the next step,
    // tick or Stop continues from the model frame on the screen. For video 1 the frame strip's
    // click stores the new frame: the wrap works on a copy, so a click that is ignored (a
    // picture) leaves the counter where it was.
    short target = v;
    if (window == 0) {
        switch (button) {
            case 0:
                TryStep([&] { h.ShowVideoFrame(CheckedInt16(F1())); });
                break;
            case 1:
                TryStep([&] { h.ShowVideoFrame(CheckedInt16(N1() - 1)); });
                break;
            case 4:
                TryStep([&] {
                    if (target == F1()) target = CheckedInt16(N1());
                });
                TryStep([&] { h.ShowVideoFrame(CheckedInt16(target - 1)); });
                break;
            case 5:
                TryStep([&] {
                    if (target == N1() - 1) target = CheckedInt16(F1() - 1);
                });
                TryStep([&] { h.ShowVideoFrame(CheckedInt16(target + 1)); });
                break;
            case 6:
                // VideoTimer's counter names the frame the next tick draws: Stop shows that one.
                // A counter beyond the clip (set before a shorter clip came) goes to the first.
                TryStep([&] {
                    if (target > N1() - 1) target = CheckedInt16(F1());
                });
                TryStep([&] { h.ShowVideoFrame(target); });
                break;
            default:
                break;
        }
    } else if (window == 1) {
        switch (button) {
            case 0:
                TryStep([&] { v = CheckedInt16(F1()); });
                TryStep([&] { m = CheckedInt16(FM()); });
                TryStep([&] { h.PaintModel(CheckedInt16(FM())); });
                TryStep([&] { h.PaintVideo(CheckedInt16(F1())); });
                break;
            case 1:
                TryStep([&] { v = CheckedInt16(N1() - 1); });
                TryStep([&] { m = CheckedInt16(NM() - 1); });
                TryStep([&] { h.PaintModel(CheckedInt16(NM() - 1)); });
                TryStep([&] { h.PaintVideo(CheckedInt16(N1() - 1)); });
                break;
            case 4:
            case 5:
                stepBoth(button == 5 ? Direction::Forward : Direction::Back);
                TryStep([&] { h.PaintModel(m); });
                TryStep([&] { h.PaintVideo(v); });
                break;
            case 6:
                TryStep([&] { h.PaintModel(m); });
                TryStep([&] { h.PaintVideo(v); });
                break;
            default:
                break;
        }
    } else if (window == 2) {
        switch (button) {
            case 0:
                TryStep([&] { m = CheckedInt16(FM()); });
                TryStep([&] { h.PaintModel(CheckedInt16(FM())); });
                break;
            case 1:
                TryStep([&] { m = CheckedInt16(NM() - 1); });
                TryStep([&] { h.PaintModel(CheckedInt16(NM() - 1)); });
                break;
            case 4:
            case 5:
                TryStep([&] {
                    const Direction direction = button == 5 ? Direction::Forward : Direction::Back;
                    m = CheckedInt16(StepFrame(m, h.ModelFrames(), direction));
                });
                TryStep([&] { h.PaintModel(m); });
                break;
            case 6:
                TryStep([&] { h.PaintModel(m); });
                break;
            default:
                break;
        }
    }

    // While a timer runs the window choice cannot change; after Stop the choices come back,
    // the model's only while a model is inserted.
    TryStep([&] {
        if (s_.stopped) {
            h.EnableChoice(0, true);
            if (s_.modelShown) {
                h.EnableChoice(1, true);
                h.EnableChoice(2, true);
            }
        } else {
            for (int choice = 0; choice < 3; ++choice) h.EnableChoice(choice, false);
        }
    });
    TryStep([&] {
        if (s_.clipKind == 2) h.ShowInfo(-1);
    });
}

void ClipPlayer::VideoTick() {
    if (s_.clipKind == 1) return;
    short& v = s_.videoFrame;
    TryStep([&] { followSpeed(timers_[0], host_->Speed()); });
    TryStep([&] {
        if (v > filled(host_->VideoFrames()).count - 1) v = 0;
    });
    TryStep([&] { host_->PaintVideo(v); });
    TryStep([&] { host_->ShowInfo(v); });  // the panel follows the picture
    // The counter now names the frame the next tick draws: after the last one, the first, so
    // that it never names a frame the clip does not have (a step or Stop would show it).
    TryStep([&] { v = CheckedInt16(StepFrame(v, host_->VideoFrames(), Direction::Forward)); });
}

void ClipPlayer::ModelTick() {
    short& m = s_.modelFrame;
    TryStep([&] { followSpeed(timers_[2], host_->Speed()); });
    // After the model's last frame comes its first (also from a counter beyond the end).
    TryStep([&] { m = CheckedInt16(StepFrame(m, host_->ModelFrames(), Direction::Forward)); });
    // The blend view paints video 1 again over the model moved on.
    const bool split = host_->SplitView();
    TryStep([&] { host_->PaintModel(m); });
    if (!split) TryStep([&] { host_->PaintVideo(s_.videoFrame); });
}

void ClipPlayer::BothTick() {
    short& v = s_.videoFrame;
    short& m = s_.modelFrame;
    stepBoth(Direction::Forward);
    TryStep([&] { followSpeed(timers_[1], host_->Speed()); });
    // Video 1 goes last in the blend view, where it is painted over the model.
    const bool split = host_->SplitView();
    if (split) TryStep([&] { host_->PaintVideo(v); });
    TryStep([&] { host_->PaintModel(m); });
    if (!split) TryStep([&] { host_->PaintVideo(v); });
    TryStep([&] {
        if (s_.clipKind == 2) host_->ShowInfo(v);
    });
}

}  // namespace playback
