#include "shell/MainToolbar.h"

#include "ui/Artwork.h"

#include <QAction>
#include <QActionGroup>
#include <QToolButton>

namespace {
const MainToolbar::ButtonDesign kDesign[] = {
    {QStringLiteral("Open Video"), QStringLiteral("Open video file"), MainToolbar::Plain, 9},
    {QString(), QString(), MainToolbar::Placeholder, 0},
    {QStringLiteral("Draw tools"), QStringLiteral("Draw tool"), MainToolbar::Check, 2},
    {QStringLiteral("Image"), QStringLiteral("Image Tools"), MainToolbar::Check, 10},
    {QStringLiteral("Copy Image"), QStringLiteral("Copy Image"), MainToolbar::Plain, 4},
    {QStringLiteral("Model"), QString(), MainToolbar::Separator, 0},
    {QStringLiteral("Insert Model"), QStringLiteral("Insert Model"), MainToolbar::Check, 7},
    {QStringLiteral("Adjust Model"), QStringLiteral("Adjust Model"), MainToolbar::Check, 8},
    {QString(), QString(), MainToolbar::Separator, 0},
    {QStringLiteral("Full Window"), QStringLiteral("Full Window"), MainToolbar::Group, 12},
    {QStringLiteral("Split Window"), QStringLiteral("Split Window"), MainToolbar::Group, 13},
    {QString(), QString(), MainToolbar::Separator, 0},
};
}  // namespace

MainToolbar::MainToolbar(QWidget* parent) : QToolBar(parent) {
    setObjectName(QStringLiteral("Toolbar1"));
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(24, 24));
    group_ = new QActionGroup(this);
    group_->setExclusive(true);
    for (const ButtonDesign& d : kDesign) {
        const int index = int(buttons_.size()) + 1;
        QAction* action = nullptr;
        switch (d.style) {
            case Separator:
                action = addSeparator();
                break;
            case Placeholder: {
                auto* gap = new QWidget(this);
                gap->setFixedWidth(iconSize().width());
                action = addWidget(gap);
                break;
            }
            default:
                action = addAction(ToolbarIcon(d.image), d.tooltip);
                action->setToolTip(d.tooltip);
                action->setCheckable(d.style == Check || d.style == Group);
                if (d.style == Group) group_->addAction(action);
                connect(action, &QAction::triggered, this, [this, index] { emit ButtonClick(index); });
                break;
        }
        action->setObjectName(d.key);
        buttons_.push_back(action);
        design_.push_back(d);
    }
}

QAction* MainToolbar::Button(int index) const {
    return index >= 1 && index <= Count() ? buttons_[size_t(index - 1)] : nullptr;
}

MainToolbar::Style MainToolbar::ButtonStyle(int index) const {
    return index >= 1 && index <= Count() ? design_[size_t(index - 1)].style : Separator;
}

QString MainToolbar::Key(int index) const {
    return index >= 1 && index <= Count() ? design_[size_t(index - 1)].key : QString();
}

bool MainToolbar::Enabled(int index) const {
    const QAction* a = Button(index);
    return a && a->isEnabled();
}

void MainToolbar::SetEnabled(int index, bool enabled) {
    if (QAction* a = Button(index)) a->setEnabled(enabled);
}

bool MainToolbar::Value(int index) const {
    const QAction* a = Button(index);
    return a && a->isCheckable() && a->isChecked();
}

void MainToolbar::SetValue(int index, bool pressed) {
    QAction* a = Button(index);
    if (!a || !a->isCheckable()) return;
    if (!pressed && ButtonStyle(index) == Group) {
        // An exclusive group cannot be emptied by unchecking; lift exclusivity for that.
        group_->setExclusive(false);
        a->setChecked(false);
        group_->setExclusive(true);
        return;
    }
    a->setChecked(pressed);
}

int MainToolbar::ButtonWidth() const {
    if (const QWidget* w = widgetForAction(Button(1))) return w->sizeHint().width();
    return iconSize().width() + 8;
}
