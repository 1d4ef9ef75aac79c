#pragma once
// The main toolbar: twelve buttons, 1-based, each with a key, a tooltip and a style.
// Separators and the placeholder are buttons too, so the indices stay as designed.

#include <QToolBar>

#include <vector>

class QAction;
class QActionGroup;

class MainToolbar : public QToolBar {
    Q_OBJECT
public:
    enum Style { Plain, Check, Group, Separator, Placeholder };
    struct ButtonDesign {
        QString key;
        QString tooltip;
        Style style;
        int image;  // number in the toolbar's image list; 0 = none
    };

    explicit MainToolbar(QWidget* parent = nullptr);

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

signals:
    // A user click on button `index` (after its pressed state has changed).
    void ButtonClick(int index);

private:
    std::vector<QAction*> buttons_;
    std::vector<ButtonDesign> design_;
    QActionGroup* group_ = nullptr;
};
