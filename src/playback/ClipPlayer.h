#pragma once
// Stepping and playing video 1, the model or both: the video controls' buttons and the three
// playback timers. Which frame numbers are shown is decided here; the host paints them. Every
// step may fail on its own (no clip, a 16-bit counter overflowing, a paint); a failed step
// changes nothing and the next step still runs.

#include "playback/PlaybackStep.h"

#include <QObject>

#include <memory>

class QTimer;

namespace playback {

// What playback reads and moves: the counters of video 1 and the model, and the program's state.
struct PlaybackState {
    short& videoFrame;
    short& modelFrame;
    const int& clipKind;  // 1 still picture or one-frame clip, 2 clip of several frames
    const bool& loading;  // frames are being read
    const bool& modelShown;
    bool& stopped;  // no playback has been started since the last Stop
};

// The window playback works in.
class PlayerHost {
public:
    virtual ~PlayerHost() = default;
    // The frames video 1 and the model hold now (a still picture is its one frame 0).
    virtual FrameSpan VideoFrames() const = 0;
    virtual FrameSpan ModelFrames() const = 0;
    // Video 1 goes to frame n as a click on its thumbnail does: painted and made current, unless
    // the strip ignores it.
    virtual void ShowVideoFrame(short frame) = 0;
    virtual void PaintVideo(short frame) = 0;
    // Model frame n as the view shows it: the split view's right half, or blended over video 1.
    virtual void PaintModel(short frame) = 0;
    virtual bool SplitView() const = 0;
    // The clip's information panel for frame n; -1: the current frame.
    virtual void ShowInfo(int frame) = 0;
    // The speed slider: milliseconds between frames.
    virtual int Speed() const = 0;
    // The window choice (0 video 1, 1 both, 2 the model) may be changed or not.
    virtual void EnableChoice(int choice, bool on) = 0;
    // The model frame shown with video frame `videoFrame` when "both" steps; `modelFrame` is the
    // one stepping alone would show.
    virtual int ModelFrameFor(int videoFrame, int modelFrame) const = 0;
};

class ClipPlayer : public QObject {
    Q_OBJECT
public:
    ClipPlayer(const PlaybackState& state, std::unique_ptr<PlayerHost> host, QObject* parent = nullptr);
    ~ClipPlayer() override;

    // button: 0 first, 1 last, 2 play, 3 nothing, 4 back, 5 forward, 6 stop;
    // window: 0 video 1, 1 both, 2 the model.
    void Click(short button, short window);
    void VideoTick();
    void BothTick();
    void ModelTick();

    // The timer of window 0 (video 1), 1 (both) or 2 (the model); named "VideoTimer",
    // "bothTimer" and "ModelTimer".
    QTimer* Timer(int window) const { return timers_[window]; }

private:
    // "Both" one frame on; each counter takes its new frame on its own: one that would overflow
    // stays while the other moves.
    void stepBoth(Direction direction);

    PlaybackState s_;
    std::unique_ptr<PlayerHost> host_;
    QTimer* timers_[3] = {};
};

}  // namespace playback
