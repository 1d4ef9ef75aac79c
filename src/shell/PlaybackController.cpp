// Stepping and playing video 1, the model or both: the video controls' buttons and the
// three playback timers. Which frame numbers are shown is decided here; the compositor
// paints them. Every step may fail on its own (no clip, a 16-bit counter overflowing, a
// paint); a failed step changes nothing and the next step still runs.

#include "compare/KeyPositionsController.h"
#include "platform/RuntimeError.h"
#include "playback/PlaybackStep.h"
#include "playback/frmVideoControls.h"
#include "ui/Globals.h"
#include "shell/MainToolbar.h"
#include "shell/frm_Main.h"

#include <QAction>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

namespace {

using platform::CheckedInt16;
using platform::TryStep;
using playback::Direction;
using playback::FramePair;
using playback::FrameSpan;
using playback::StepFrame;

// A slot with nothing in it fails the step that asks for its frames, as a reader call without a
// clip does. A still picture is its one frame 0.
const FrameSource& filled(const FrameSource& source) {
    if (source.Count() == 0) platform::Raise(platform::errObjectNotSet);
    return source;
}
long frameCountOf(const FrameSource& source) { return filled(source).Count(); }
long firstFrameOf(const FrameSource& source) { return filled(source).FirstFrame(); }
// Stepping through a slot with nothing in it moves its counter on without wrapping.
FrameSpan spanOf(const FrameSource& source) { return {source.FirstFrame(), source.Count()}; }

// "Both Windows" one frame on, the model kept on the key positions when they are in sync. Each
// counter takes its new frame on its own: one that would overflow stays while the other moves.
void stepBoth(short& v, short& m, const FrameSource& video, const FrameSource& model,
              const KeyPositionsController& keys, Direction direction) {
    const playback::SyncMapping sync = [&keys](int videoFrame, int modelFrame) {
        return keys.ModelFrameFor(videoFrame, modelFrame);
    };
    FramePair next{v, m};
    TryStep([&] { next = playback::StepBoth({v, m}, spanOf(video), spanOf(model), direction, sync); });
    TryStep([&] { v = CheckedInt16(next.video); });
    TryStep([&] { m = CheckedInt16(next.model); });
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

void frm_Main::connectVideoControls() {
    connect(VideoTimer, &QTimer::timeout, this, &frm_Main::VideoTimer_Timer);
    connect(ModelTimer, &QTimer::timeout, this, &frm_Main::ModelTimer_Timer);
    connect(bothTimer, &QTimer::timeout, this, &frm_Main::bothTimer_Timer);
    connect(VideoControls, &frmVideoControls::ButtonClicked, this, &frm_Main::VideoControl_Click);
    connect(VideoControls, &frmVideoControls::BlendMoved, this, [this] { PasteAvi(CurrentVideoFrame); });
    connect(VideoControls, &frmVideoControls::Activated, this, [this] { mnuTools[9]->setChecked(true); });
    // The close box only hides the window: it stays loaded and keeps its sliders and choice.
    connect(VideoControls, &ToolWindow::CloseBoxClicked, this, [this] {
        mnuTools[9]->setChecked(false);
        G().ToolPos.videoControls = VideoControls->PositionTwips();
        VideoControls->hide();
    });
}

void frm_Main::VideoControl_Click(short iButton, short iVideo) {
    // Buttons aimed at the model do nothing at all while a clip is being read.
    if (iVideo == 2 && G().BusyLoading) return;

    short& v = CurrentVideoFrame;
    short& m = CurrentModelFrame;
    QTimer* const timers[] = {VideoTimer, bothTimer, ModelTimer};
    QTimer* const timer = iVideo >= 0 && iVideo <= 2 ? timers[iVideo] : nullptr;
    const auto N1 = [this] { return frameCountOf(Video1); };
    const auto F1 = [this] { return firstFrameOf(Video1); };
    const auto NM = [this] { return frameCountOf(Model); };
    const auto FM = [this] { return firstFrameOf(Model); };

    // Play and Stop act on the timer of the chosen window; a choice with no timer is no
    // frame work, so it neither starts anything nor counts as playing.
    if (iButton == 2 && timer) {
        TryStep([&] { startPlayback(timer, VideoControls->hscrSpeed->value(), timers); });
        G().Stopped = false;
    }
    if (iButton == 6 && timer) {
        TryStep([&] { timer->stop(); });
        G().Stopped = true;
    }

    // The model's first and last frames are stored as well as drawn, so that the next step,
    // tick or Stop continues from the model frame on the screen. For video 1 the frame strip's
    // click stores the new frame: the wrap works on a copy, so a click that is ignored (a
    // picture) leaves the counter where it was.
    short target = v;
    if (iVideo == 0) {
        switch (iButton) {
            case 0:
                TryStep([&] { ImgVideoFrames_Click(CheckedInt16(F1())); });
                break;
            case 1:
                TryStep([&] { ImgVideoFrames_Click(CheckedInt16(N1() - 1)); });
                break;
            case 4:
                TryStep([&] {
                    if (target == F1()) target = CheckedInt16(N1());
                });
                TryStep([&] { ImgVideoFrames_Click(CheckedInt16(target - 1)); });
                break;
            case 5:
                TryStep([&] {
                    if (target == N1() - 1) target = CheckedInt16(F1() - 1);
                });
                TryStep([&] { ImgVideoFrames_Click(CheckedInt16(target + 1)); });
                break;
            case 6:
                // VideoTimer's counter names the frame the next tick draws: Stop shows that one.
                // A counter beyond the clip (set before a shorter clip came) goes to the first.
                TryStep([&] {
                    if (target > N1() - 1) target = CheckedInt16(F1());
                });
                TryStep([&] { ImgVideoFrames_Click(target); });
                break;
            default:
                break;
        }
    } else if (iVideo == 1) {
        switch (iButton) {
            case 0:
                TryStep([&] { v = CheckedInt16(F1()); });
                TryStep([&] { m = CheckedInt16(FM()); });
                TryStep([&] { ModelDraw(CheckedInt16(FM())); });
                TryStep([&] { PasteAvi(CheckedInt16(F1())); });
                break;
            case 1:
                TryStep([&] { v = CheckedInt16(N1() - 1); });
                TryStep([&] { m = CheckedInt16(NM() - 1); });
                TryStep([&] { ModelDraw(CheckedInt16(NM() - 1)); });
                TryStep([&] { PasteAvi(CheckedInt16(N1() - 1)); });
                break;
            case 4:
            case 5:
                stepBoth(v, m, Video1, Model, *SwingKeys, iButton == 5 ? Direction::Forward : Direction::Back);
                TryStep([&] { ModelDraw(m); });
                TryStep([&] { PasteAvi(v); });
                break;
            case 6:
                TryStep([&] { ModelDraw(m); });
                TryStep([&] { PasteAvi(v); });
                break;
            default:
                break;
        }
    } else if (iVideo == 2) {
        switch (iButton) {
            case 0:
                TryStep([&] { m = CheckedInt16(FM()); });
                TryStep([&] { ModelDraw(CheckedInt16(FM())); });
                break;
            case 1:
                TryStep([&] { m = CheckedInt16(NM() - 1); });
                TryStep([&] { ModelDraw(CheckedInt16(NM() - 1)); });
                break;
            case 4:
            case 5:
                TryStep([&] {
                    const Direction direction = iButton == 5 ? Direction::Forward : Direction::Back;
                    m = CheckedInt16(StepFrame(m, spanOf(Model), direction));
                });
                TryStep([&] { ModelDraw(m); });
                break;
            case 6:
                TryStep([&] { ModelDraw(m); });
                break;
            default:
                break;
        }
    }

    // While a timer runs the window choice cannot change; after Stop the choices come back,
    // the model's only while a model is inserted.
    TryStep([&] {
        if (G().Stopped) {
            VideoControls->optWindow[0]->setEnabled(true);
            if (G().ModelShown) {
                VideoControls->optWindow[1]->setEnabled(true);
                VideoControls->optWindow[2]->setEnabled(true);
            }
        } else {
            for (QRadioButton* opt : VideoControls->optWindow) opt->setEnabled(false);
        }
    });
    TryStep([&] {
        if (ClipKind == 2) ShowVideoInfo(picVideoInfo);
    });
}

void frm_Main::VideoTimer_Timer() {
    if (ClipKind == 1) return;
    short& v = CurrentVideoFrame;
    TryStep([&] { followSpeed(VideoTimer, VideoControls->hscrSpeed->value()); });
    TryStep([&] {
        if (v > frameCountOf(Video1) - 1) v = 0;
    });
    TryStep([&] { PasteAvi(v); });
    TryStep([&] { ShowVideoInfo(picVideoInfo, v); });  // the panel follows the picture
    // The counter now names the frame the next tick draws: after the last one, the first, so
    // that it never names a frame the clip does not have (a step or Stop would show it).
    TryStep([&] { v = CheckedInt16(StepFrame(v, spanOf(Video1), Direction::Forward)); });
}

void frm_Main::ModelTimer_Timer() {
    short& m = CurrentModelFrame;
    TryStep([&] { followSpeed(ModelTimer, VideoControls->hscrSpeed->value()); });
    // After the model's last frame comes its first (also from a counter beyond the end).
    TryStep([&] { m = CheckedInt16(StepFrame(m, spanOf(Model), Direction::Forward)); });
    if (Toolbar1->Value(11)) {
        TryStep([&] { PasteModelToMainWindow(m); });
    } else {
        TryStep([&] { PasteModel(m); });
        TryStep([&] { PasteAvi(CurrentVideoFrame); });
    }
}

void frm_Main::bothTimer_Timer() {
    short& v = CurrentVideoFrame;
    short& m = CurrentModelFrame;
    stepBoth(v, m, Video1, Model, *SwingKeys, Direction::Forward);
    TryStep([&] { followSpeed(bothTimer, VideoControls->hscrSpeed->value()); });
    if (Toolbar1->Value(11)) {
        TryStep([&] { PasteAvi(v); });
        TryStep([&] { PasteModelToMainWindow(m); });
    } else {
        TryStep([&] { PasteModel(m); });
        TryStep([&] { PasteAvi(v); });
    }
    TryStep([&] {
        if (ClipKind == 2) ShowVideoInfo(picVideoInfo, v);
    });
}
