#include "platform/Twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace platform {
namespace {
std::optional<ScreenMetrics>& overridden() {
    static std::optional<ScreenMetrics> metrics;
    return metrics;
}
}  // namespace

ScreenMetrics CurrentScreenMetrics() {
    if (overridden()) return *overridden();
    ScreenMetrics m;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect g = screen->geometry();
        m.widthPx = g.width();
        m.heightPx = g.height();
        if (screen->logicalDotsPerInchX() > 0) m.dpiX = screen->logicalDotsPerInchX();
        if (screen->logicalDotsPerInchY() > 0) m.dpiY = screen->logicalDotsPerInchY();
        m.depth = screen->depth();
    }
    return m;
}

void OverrideScreenMetrics(std::optional<ScreenMetrics> metrics) { overridden() = metrics; }

QList<QRect> AvailableScreenAreas() {
    const ScreenMetrics m = CurrentScreenMetrics();
    if (overridden()) return {QRect(0, 0, m.widthPx, m.heightPx)};
    QList<QRect> areas;
    if (const QScreen* primary = QGuiApplication::primaryScreen()) areas << primary->availableGeometry();
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen()) areas << screen->availableGeometry();
    if (areas.isEmpty()) areas << QRect(0, 0, m.widthPx, m.heightPx);
    return areas;
}

double TwipsPerPixelX() { return 1440.0 / CurrentScreenMetrics().dpiX; }
double TwipsPerPixelY() { return 1440.0 / CurrentScreenMetrics().dpiY; }

long ScreenWidthTwips() { return std::lrint(CurrentScreenMetrics().widthPx * TwipsPerPixelX()); }
long ScreenHeightTwips() { return std::lrint(CurrentScreenMetrics().heightPx * TwipsPerPixelY()); }

int TwipsToPixelsX(double twips) { return static_cast<int>(std::nearbyint(twips / TwipsPerPixelX())); }
int TwipsToPixelsY(double twips) { return static_cast<int>(std::nearbyint(twips / TwipsPerPixelY())); }

QRect TwipsToPixels(const QRect& twips) {
    return {TwipsToPixelsX(twips.x()), TwipsToPixelsY(twips.y()), TwipsToPixelsX(twips.width()),
            TwipsToPixelsY(twips.height())};
}

long PixelsToTwipsX(int px) { return std::lrint(px * TwipsPerPixelX()); }
long PixelsToTwipsY(int px) { return std::lrint(px * TwipsPerPixelY()); }
QPoint PixelsToTwips(QPoint px) {
    return {static_cast<int>(PixelsToTwipsX(px.x())), static_cast<int>(PixelsToTwipsY(px.y()))};
}

}  // namespace platform
