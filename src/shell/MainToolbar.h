#pragma once
// The main toolbar: twelve buttons, 1-based, each with a key and a style. The command buttons
// are the commands' own actions (shared with the menus); separators and the placeholder are
// buttons too, so the indices stay as designed.

#include <QToolBar>

#include <functional>
#include <vector>

class QAction;

class MainToolbar : public QToolBar {
    Q_OBJECT
public:
    enum Style { Plain, Check, Group, Separator, Placeholder };
    struct ButtonDesign {
        QString key;
        Style style;
    };

    // `commandAt(index)` gives the action of command button `index`.
    MainToolbar(QWidget* parent, const std::function<QAction*(int index)>& commandAt);

    int Count() const { return int(buttons_.size()); }
    QAction* Button(int index) const;  // 1-based
    Style ButtonStyle(int index) const;
    QString Key(int index) const;

    bool Enabled(int index) const;
    void SetEnabled(int index, bool enabled);
    // "Value": pressed (1) or not (0). Pressing a group button releases the other.
    bool Value(int index) const;
    void SetValue(int index, bool pressed);

    // Width of one button, in pixels.
    int ButtonWidth() const;

private:
    std::vector<QAction*> buttons_;
    std::vector<ButtonDesign> design_;
};
