#pragma once
// Which of the main window's commands can be used, and which are on, as a function of the
// program's state alone. No widgets: the window takes a snapshot, derives, and applies the
// result to its actions after every command and every change those states follow.

#include <array>
#include <optional>

// The commands that the toolbar, the menus and the keys share.
enum class Command {
    Open,           // a clip or picture into video 1
    Drawing,        // marks on the canvas, with the drawing tool box
    Image,          // the image tool window
    CopyImage,      // the canvas to the clipboard
    InsertModel,    // a model inserted, or the one inserted closed
    AdjustModel,    // the model adjustment window, and the canvas mouse moving the model
    FullWindow,     // the full (blend) view
    SplitWindow,    // video 1 and the model side by side
    VideoControls,  // the video controls window
};
inline constexpr int kCommandCount = int(Command::VideoControls) + 1;

// What the states depend on.
struct CommandInputs {
    bool clipOpened = false;    // a clip or picture was opened since the start
    bool picture = false;       // video 1 holds a still picture
    bool busyLoading = false;   // frames are being read
    bool modelShown = false;    // a model is inserted
    bool modelAdjust = false;   // model adjustment is on
    bool fullWindow = true;     // the full view is on, not the split view
    bool imageToolOn = false;   // the image tool window is on
    bool drawingOn = false;     // drawing on the canvas is on
};

struct CommandState {
    bool enabled = false;
    // Pressed or checked; empty where the command has no such state, or another part of the
    // program decides it (the video controls' check follows their window).
    std::optional<bool> checked;
    bool operator==(const CommandState&) const = default;
};

struct CommandStates {
    std::array<CommandState, kCommandCount> commands{};
    bool toolsMenu = false;        // the Tools menu as a whole
    bool modelItemCloses = false;  // File's model item reads "Close model", not "Open model"

    CommandState& operator[](Command c) { return commands[size_t(c)]; }
    const CommandState& operator[](Command c) const { return commands[size_t(c)]; }
};

CommandStates deriveCommandStates(const CommandInputs& in);
