#pragma once
// Which frames come next when video 1, the model or both step or play: one frame on, round to
// the other end past either end. Widget-free, so the timers, the buttons and the video export
// step alike.

#include <functional>

namespace playback {

// A clip's frame numbers, first .. first + count - 1. A count of 0 is a slot with nothing known
// to step through: its frames move on without ever wrapping.
struct FrameSpan {
    int first = 0;
    int count = 0;
    int Last() const { return first + count - 1; }
};

enum class Direction { Back, Forward };

// One frame on: after the last (or any frame beyond it) comes the first; before the first, the
// last.
int StepFrame(int frame, FrameSpan span, Direction direction);

struct FramePair {
    int video = 0;
    int model = 0;
    friend bool operator==(const FramePair&, const FramePair&) = default;
};

// The model frame that goes with a video 1 frame when the two swings are kept in step on their
// key positions; given the model frame stepping alone would show.
using SyncMapping = std::function<int(int videoFrame, int modelFrame)>;

// "Both Windows": video 1 and the model one frame on together, then the model frame mapped by
// `sync` (when there is one).
FramePair StepBoth(FramePair at, FrameSpan video, FrameSpan model, Direction direction,
                   const SyncMapping& sync = {});

}  // namespace playback
