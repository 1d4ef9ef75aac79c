#pragma once
// The program's state shared by the main window, its parts and the tool windows. Each main
// window owns one (its state's Program), sets it in its load step and hands it by reference
// to the parts that read or change it; everything runs on the user-interface thread, so no
// locking.

#include <QPoint>
#include <QString>

struct ToolWindowPositions {
    // Positions in twips; (0, 0) means "not placed yet".
    QPoint drawTool;
    QPoint imageTool;
    QPoint adjustTool;
    QPoint videoControls;
};

// The style of new marks, kept per user. Yellow (0x00BBGGRR), two pixels wide until the user
// picks another: it shows on grass, sky and dark clothes alike.
struct MarkStyle {
    int color = 0x00FFFF;
    int width = 2;
};

struct Globals {
    long ScreenUnitX = 0;  // one hundredth of the screen width in twips
    long ScreenUnitY = 0;  // one hundredth of the screen height in twips
    QString WorkingDir;    // folder of the file browser and of video 1; empty = program's folder
    QString ModelDir;      // folder for model clips; same rule
    ToolWindowPositions ToolPos;
    MarkStyle Marks;
    bool ClipLoaded = false;
    bool BusyLoading = false;     // frames are being read; most input is ignored meanwhile
    bool CloseRequested = false;  // the main window was asked to close during a load
    bool ModelShown = false;      // a model clip is inserted
    bool FullWindow = true;       // the full (blend) view is on, not the split view
    bool ModelAdjust = false;     // the model adjustment window is shown; the canvas mouse moves the model
    bool Stopped = true;          // no playback has been started since the last Stop
};
