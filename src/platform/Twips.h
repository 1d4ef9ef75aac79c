#pragma once
// Twips: 1440 to the inch. Window geometry is kept in twips and turned into pixels
// with the primary screen's logical DPI (15 twips per pixel at 96 DPI).

#include <QList>
#include <QPoint>
#include <QRect>

#include <optional>

namespace platform {

struct ScreenMetrics {
    int widthPx = 1024;   // primary screen's full geometry
    int heightPx = 768;
    double dpiX = 96.0;   // logical DPI
    double dpiY = 96.0;
    int depth = 24;       // bits per pixel
};

// The primary screen as the program sees it; tests may override it.
ScreenMetrics CurrentScreenMetrics();
void OverrideScreenMetrics(std::optional<ScreenMetrics> metrics);

// Where windows may lie, in pixels: each screen's available area (without the desktop's
// panels), the primary screen first. An overridden screen is the one whole area.
QList<QRect> AvailableScreenAreas();

double TwipsPerPixelX();
double TwipsPerPixelY();
long ScreenWidthTwips();
long ScreenHeightTwips();

// Rounded to the nearest pixel, ties to even.
int TwipsToPixelsX(double twips);
int TwipsToPixelsY(double twips);
QRect TwipsToPixels(const QRect& twips);
long PixelsToTwipsX(int px);
long PixelsToTwipsY(int px);
QPoint PixelsToTwips(QPoint px);

}  // namespace platform
