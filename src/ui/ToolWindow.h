#pragma once
// A floating tool window of the main window: created once, then shown and hidden,
// never destroyed before shut-down. Its close box does not close it; the owner decides
// what a close request means (usually the matching toolbar command).

#include <QList>
#include <QWidget>

// The position nearest to `pos` (a window's top-left corner, frame included) at which the
// window's title bar, its top `titleHeight` pixels over its whole `width`, lies on one of the
// screen `areas`: the area holding most of it, or the nearest. A window wider than its area
// keeps its left edge, where the caption is.
QPoint KeepTitleBarOnScreen(QPoint pos, int width, int titleHeight, const QList<QRect>& areas);

class ToolWindow : public QWidget {
    Q_OBJECT
public:
    ToolWindow(const QString& caption, QWidget* owner);

    // Position in twips, as stored in the settings. A position off the screens (stored on a
    // larger desktop) is moved until the title bar is on a screen again.
    QPoint PositionTwips() const;
    void MoveTwips(QPoint twips);

    // The owner's layout changed: a window that lay clear of `before` (a part of the owner, in
    // screen coordinates, as it was) and would now cover it as it is (`now`) moves up, just
    // clear of it, as far as its title bar stays on a screen. One that covered it already stays.
    void KeepClearOf(const QRect& before, const QRect& now);

    // Shut-down: let the next close really close.
    void Unload();

signals:
    void CloseBoxClicked();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void keepOnScreen();

    bool unloading_ = false;
    bool everShown_ = false;
    QPoint lastPosition_;  // given position, reported while the window was never shown
};
