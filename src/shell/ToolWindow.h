#pragma once
// A floating tool window of the main window: created once, then shown and hidden,
// never destroyed before shut-down. Its close box does not close it; the owner decides
// what a close request means (usually the matching toolbar command).

#include <QWidget>

class ToolWindow : public QWidget {
    Q_OBJECT
public:
    ToolWindow(const QString& caption, QWidget* owner);

    // Position in twips, as stored in the settings.
    QPoint PositionTwips() const;
    void MoveTwips(QPoint twips);

    // Shut-down: let the next close really close.
    void Unload();

signals:
    void CloseBoxClicked();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool unloading_ = false;
    bool everShown_ = false;
    QPoint lastPosition_;  // given position, reported while the window was never shown
};
