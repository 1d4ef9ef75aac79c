#include "shell/ToolWindow.h"

#include "platform/Twips.h"

#include <QCloseEvent>

ToolWindow::ToolWindow(const QString& caption, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
    setWindowTitle(caption);
}

QPoint ToolWindow::PositionTwips() const {
    // A window that was never shown reports the position it was last given.
    if (!everShown_) return lastPosition_;
    return platform::PixelsToTwips(pos());
}

void ToolWindow::MoveTwips(QPoint twips) {
    lastPosition_ = twips;
    move(platform::TwipsToPixelsX(twips.x()), platform::TwipsToPixelsY(twips.y()));
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
}
