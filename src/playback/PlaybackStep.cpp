#include "playback/PlaybackStep.h"

namespace playback {

int StepFrame(int frame, FrameSpan span, Direction direction) {
    const bool known = span.count > 0;
    if (direction == Direction::Forward) return known && frame >= span.Last() ? span.first : frame + 1;
    return known && frame - 1 < span.first ? span.Last() : frame - 1;
}

FramePair StepBoth(FramePair at, FrameSpan video, FrameSpan model, Direction direction, const SyncMapping& sync) {
    FramePair next{StepFrame(at.video, video, direction), StepFrame(at.model, model, direction)};
    if (sync) next.model = sync(next.video, next.model);
    return next;
}

}  // namespace playback
