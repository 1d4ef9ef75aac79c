#pragma once
// The keys the program answers in every one of its windows (except in a text box), one table
// for the actions, the menus, the tooltips and the help page. No widgets.

#include <QKeySequence>
#include <QString>

#include <vector>

enum class KeyCommand {
    PlayStop,     // play, or stop, what the video controls' window choice names
    StepBack,     // one frame back
    StepForward,  // one frame forward
    FirstFrame,
    LastFrame,
    Undo,       // the last mark
    Redo,       // the mark the last Undo removed
    CopyImage,  // the picture with its marks, to the clipboard
    Open,       // a clip or picture
    Help,       // the user guide
};

struct KeyBinding {
    KeyCommand command;
    QKeySequence keys;
};

// In the order the help page lists them.
const std::vector<KeyBinding>& KeyBindings();
QKeySequence KeysOf(KeyCommand command);
// A tooltip with the command's keys after it: "Play the video (Space)".
QString WithKeys(const QString& tooltip, KeyCommand command);
