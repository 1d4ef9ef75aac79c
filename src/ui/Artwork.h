#pragma once
// The program's pictures, all drawn in code with antialiased vector painting: toolbar and
// tool-window icons, the width chooser's images, the start-up picture, the program icon and
// the frame strip's pointer. Every icon is drawn on one 24-unit grid with one stroke weight
// and a small palette (dark strokes on light fills), rendered separately at each common size
// so that it stays crisp; QIcon derives the disabled look from the normal one.
//
// Results are cached on first use and released when the application object goes away, so
// callers may ask as often as they like. Needs a QGuiApplication; call on the GUI thread.

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QSize>

// Image numbers of the main toolbar's image list: 9 open video, 2 draw tools, 10 image tools,
// 4 copy image, 7 insert model, 8 adjust model, 12 full window, 13 split window.
// Any other number gives a null icon.
QIcon ToolbarIcon(int imageNumber);
// The toolbar's "Whole Frame" button, which ends a zoom.
QIcon WholeFrameIcon();

// Buttons of the drawing tool box by their 1-based index: 1 line, 2 rectangle, 3 circle,
// 4 polyline, 5 angle, 6 ruler, 8 undo, 9 clear, 10 line width. Index 7 is the separator
// and, like any other number, gives a null icon.
QIcon DrawToolIcon(int buttonIndex);

// Buttons of the video controls window by the code each one sends: 0 go to the beginning,
// 1 go to the end, 2 play, 4 one frame back, 5 one frame forward, 6 stop.
// Any other code (3 included) gives a null icon.
QIcon VideoControlIcon(int buttonCode);

// The width chooser's picture for a pen width of 1..5 pixels: a horizontal line exactly that
// many pixels thick, with the width written beside it. The highlighted form sits on a tinted,
// bordered background. A width outside 1..5 or an empty size gives a null pixmap.
QPixmap LineWidthImage(int width, bool highlighted, QSize size);

// The start-up picture (splash window and the main window's logo), drawn at the asked size in
// device pixels, so it is never a stretched bitmap; the layout adapts to wide and narrow shapes.
// An empty size gives a null pixmap.
QPixmap SplashPicture(QSize size);

// The program's icon, for every window and the About box.
QIcon AppIcon();

// Pointing-hand pointer for the thumbnails of the frame strip; its hot spot is the fingertip.
QCursor ThumbnailCursor();
