#pragma once
// Geometry of the main window, in twips, derived from the screen size once at start-up.
// Kept free of widgets so that it can be checked for any screen.

#include <QPoint>
#include <QRect>

// Sizes the window design fixes rather than the layout.
struct DesignSizes {
    long toolbarBottom = 0;   // bottom of the toolbar in the window's client area
    long driveHeight = 315;   // drive list
    long scrollHeight = 255;  // horizontal scroll bars under the canvas
    long thumbWidth = 1380;   // first thumbnail of the frame strip
    long thumbHeight = 1035;
    long toolbarWidth = 0;  // for the progress bar
    long toolbarButtonWidth = 0;
    long videoControlsHeight = 0;  // with its title bar; 0: not known
};

struct MainLayout {
    long ScreenUnitX = 0;
    long ScreenUnitY = 0;
    QRect window;  // 100 X by 100 Y: the whole screen
    QRect Drive1, Dir1, File1, picVideo;
    QRect pic_video, picDummy, picModelHold;
    QRect hscrAvi1, hscrAvi2;
    QRect picPVideoFrames, picCVideoFrames, ImgVideoFrames0, HScrVideoFrames;
    QRect picVideoInfo, imgLogo;
    QRect prgbarProcess;  // relative to the toolbar
    // Default positions of the tool windows, used where none was stored.
    QPoint defaultVideoControls, defaultDrawTool, defaultImageTool, defaultAdjustTool;
};

// One hundredth of a screen extent in twips, rounded to the nearest integer (ties to even).
long ScreenUnit(long screenTwips);

MainLayout ComputeMainLayout(long screenWidthTwips, long screenHeightTwips, const DesignSizes& design);
