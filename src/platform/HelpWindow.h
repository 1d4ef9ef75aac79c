#pragma once
// The in-program help viewer: one window with the page, back/forward/home buttons, and
// the page's title as the window's caption. It runs beside the program, not modally.

#include <QUrl>
#include <QWidget>

class QTextBrowser;
class QToolButton;

namespace platform {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // The one window, created on first use and gone when the user closes it.
    static HelpWindow* Instance();
    static HelpWindow* Existing();

    // Loads a page file; false when it cannot be read.
    bool ShowPage(const QString& path);

    QTextBrowser* Browser() const { return browser_; }

private:
    void updateCaption();

    QTextBrowser* browser_ = nullptr;
    QToolButton* back_ = nullptr;
    QToolButton* forward_ = nullptr;
    QToolButton* home_ = nullptr;
};

}  // namespace platform
