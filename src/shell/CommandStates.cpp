#include "shell/CommandStates.h"

CommandStates deriveCommandStates(const CommandInputs& in) {
    CommandStates s;
    // The clip's commands come alive with the first clip or picture and stay so.
    const bool clip = in.clipOpened;
    s.toolsMenu = clip;
    // A dialog opened during a load would choose a file that the load then ignores.
    s[Command::Open] = {!in.busyLoading, std::nullopt};
    s[Command::Drawing] = {clip, in.drawingOn};
    s[Command::Image] = {clip, in.imageToolOn};
    s[Command::CopyImage] = {clip, std::nullopt};
    s[Command::InsertModel] = {clip && !in.busyLoading, in.modelShown};
    // Adjusting needs a model, whether or not video 1 holds anything.
    s[Command::AdjustModel] = {in.modelShown, in.modelAdjust};
    // Before the first clip neither view is chosen.
    s[Command::FullWindow] = {clip, clip && in.fullWindow};
    s[Command::SplitWindow] = {clip, clip && !in.fullWindow};
    // A picture has no frames to play.
    s[Command::VideoControls] = {!in.picture, std::nullopt};
    s.modelItemCloses = in.modelShown;
    return s;
}
