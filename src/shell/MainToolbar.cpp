#include "shell/MainToolbar.h"

#include "shell/MainCommands.h"

#include <QAction>
#include <QToolButton>

namespace {
const MainToolbar::ButtonDesign kDesign[] = {
    {QStringLiteral("Open Video"), MainToolbar::Plain},
    {QString(), MainToolbar::Placeholder},
    {QStringLiteral("Draw tools"), MainToolbar::Check},
    {QStringLiteral("Image"), MainToolbar::Check},
    {QStringLiteral("Copy Image"), MainToolbar::Plain},
    {QStringLiteral("Model"), MainToolbar::Separator},
    {QStringLiteral("Insert Model"), MainToolbar::Check},
    {QStringLiteral("Adjust Model"), MainToolbar::Check},
    {QString(), MainToolbar::Separator},
    {QStringLiteral("Full Window"), MainToolbar::Group},
    {QStringLiteral("Split Window"), MainToolbar::Group},
    {QString(), MainToolbar::Separator},
};
}  // namespace

MainToolbar::MainToolbar(QWidget* parent, const std::function<QAction*(int)>& commandAt) : QToolBar(parent) {
    setObjectName(QStringLiteral("Toolbar1"));
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(24, 24));
    for (const ButtonDesign& d : kDesign) {
        const int index = int(buttons_.size()) + 1;
        QAction* action = nullptr;
        switch (d.style) {
            case Separator:
                action = addSeparator();
                action->setObjectName(d.key);
                break;
            case Placeholder: {
                auto* gap = new QWidget(this);
                gap->setFixedWidth(iconSize().width());
                action = addWidget(gap);
                break;
            }
            default:
                action = commandAt(index);
                addAction(action);
                break;
        }
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
    if (a && a->isCheckable()) SetActionChecked(a, pressed);
}

int MainToolbar::ButtonWidth() const {
    if (const QWidget* w = widgetForAction(Button(1))) return w->sizeHint().width();
    return iconSize().width() + 8;
}
