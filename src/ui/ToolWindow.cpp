#include "ui/ToolWindow.h"

#include "platform/Twips.h"

#include <QCloseEvent>
#include <QStyle>

#include <algorithm>
#include <limits>

ToolWindow::ToolWindow(const QString& caption, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
    setWindowTitle(caption);
}

QPoint ToolWindow::PositionTwips() const {
    // A window that was never shown reports the position it was last given.
    if (!everShown_) return lastPosition_;
    return platform::PixelsToTwips(pos());
}

QPoint KeepTitleBarOnScreen(QPoint pos, int width, int titleHeight, const QList<QRect>& areas) {
    const QRect bar(pos, QSize(std::max(1, width), std::max(1, titleHeight)));
    const QRect* best = nullptr;
    long bestCover = -1;
    long bestDistance = std::numeric_limits<long>::max();
    for (const QRect& area : areas) {
        if (area.contains(bar)) return pos;
        const QRect cover = area & bar;
        const long covered = cover.isEmpty() ? 0 : long(cover.width()) * cover.height();
        const QPoint nearest(std::clamp(pos.x(), area.left(), area.right()),
                             std::clamp(pos.y(), area.top(), area.bottom()));
        const long distance = (nearest - pos).manhattanLength();
        if (covered > bestCover || (covered == bestCover && distance < bestDistance)) {
            best = &area;
            bestCover = covered;
            bestDistance = distance;
        }
    }
    if (!best) return pos;
    const QRect& a = *best;
    return {std::clamp(pos.x(), a.left(), std::max(a.left(), a.right() + 1 - bar.width())),
            std::clamp(pos.y(), a.top(), std::max(a.top(), a.bottom() + 1 - bar.height()))};
}

void ToolWindow::MoveTwips(QPoint twips) {
    // A window never shown reports this position as given, so a position kept for a larger
    // desktop is stored again as it was.
    lastPosition_ = twips;
    move(platform::TwipsToPixelsX(twips.x()), platform::TwipsToPixelsY(twips.y()));
    keepOnScreen();
}

void ToolWindow::KeepClearOf(const QRect& before, const QRect& now) {
    const QRect frame = frameGeometry();
    if (isHidden() || frame.intersects(before) || !frame.intersects(now)) return;
    move(pos() + QPoint(0, now.top() - 1 - frame.bottom()));
    keepOnScreen();
}

void ToolWindow::keepOnScreen() {
    const QPoint kept =
        KeepTitleBarOnScreen(pos(), frameGeometry().width(), style()->pixelMetric(QStyle::PM_TitleBarHeight),
                             platform::AvailableScreenAreas());
    if (kept != pos()) move(kept);
}

void ToolWindow::Unload() {
    unloading_ = true;
    close();
}

void ToolWindow::closeEvent(QCloseEvent* event) {
    if (unloading_) {
        event->accept();
        return;
    }
    event->ignore();
    emit CloseBoxClicked();
}

void ToolWindow::showEvent(QShowEvent* event) {
    everShown_ = true;
    QWidget::showEvent(event);
    // The frame is known once the window is shown: its title bar must still fit.
    keepOnScreen();
}
