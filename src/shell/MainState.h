#pragma once
// What the main window shows: the two frame stores and their frames on the canvas, the program's
// state, and the two seams a test may replace. The window's parts share it by reference.

#include "clips/FrameStore.h"
#include "ui/Globals.h"

#include <QString>

#include <functional>

struct MainState {
    FrameStore Video1;
    FrameStore Model;
    short CurrentVideoFrame = 0;
    short CurrentModelFrame = 0;
    int ClipKind = 0;  // 1 still picture or one-frame clip, 2 clip of several frames
    bool ImageToolOn = false;
    // Folders, tool window places, screen units and the load/model/view flags; the window's
    // parts and the tool windows below them are handed it by reference.
    Globals Program;

    // Redraws the measurement marks over the canvas; set by the overlay.
    std::function<void()> DrawingUpdate;
    // Plays a clip in the preview box under the file list; set by the preview.
    std::function<void(const QString&)> previewClip;
};
