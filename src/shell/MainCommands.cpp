#include "shell/MainCommands.h"

#include "ui/Artwork.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace {

struct CommandDesign {
    Command command;
    const char* name;
    const char* text;     // in the menus
    const char* tooltip;  // on the toolbar
    int image;            // in the toolbar's image list; 0 = none
    int button;           // toolbar button, 1-based; 0 = none
    int toolsItem;        // Tools menu item; -1 = none
    bool checkable;
};

const CommandDesign kCommands[] = {
    {Command::Open, "Open Video", "&Open Video", "Open video file", 9, 1, -1, false},
    {Command::Drawing, "Draw tools", "&Drawing", "Draw tool", 2, 3, 1, true},
    {Command::Image, "Image", "&Image", "Image Tools", 10, 4, 0, true},
    {Command::CopyImage, "Copy Image", "Copy Image", "Copy Image", 4, 5, -1, false},
    {Command::InsertModel, "Insert Model", "&Insert Model", "Insert Model", 7, 7, 3, true},
    {Command::AdjustModel, "Adjust Model", "&Adjust Model", "Adjust Model", 8, 8, 4, true},
    {Command::FullWindow, "Full Window", "&Full Window", "Full Window", 12, 10, 6, true},
    {Command::SplitWindow, "Split Window", "&Split Window", "Split Window", 13, 11, 7, true},
    {Command::VideoControls, "Video Controls", "&Video Controls", "", 0, 0, 9, true},
};
constexpr int kToolsItems = 10;

}  // namespace

void SetActionChecked(QAction* action, bool checked) {
    QActionGroup* group = action->actionGroup();
    if (!checked && group && group->isExclusive() && action->isChecked()) {
        // An exclusive group cannot be emptied by unchecking; lift exclusivity for that.
        group->setExclusive(false);
        action->setChecked(false);
        group->setExclusive(true);
        return;
    }
    action->setChecked(checked);
}

MainCommands::MainCommands(QObject* parent, std::function<void(int)> runButton, std::function<void(int)> runToolsItem,
                           std::function<CommandInputs()> inputs)
    : QObject(parent), inputs_(std::move(inputs)) {
    setObjectName(QStringLiteral("MainCommands"));
    auto* views = new QActionGroup(this);
    views->setExclusive(true);
    for (const CommandDesign& d : kCommands) {
        auto* a = new QAction(QString::fromUtf8(d.text), this);
        a->setObjectName(QString::fromUtf8(d.name));
        a->setToolTip(QString::fromUtf8(d.tooltip));
        if (d.image) a->setIcon(ToolbarIcon(d.image));
        a->setIconVisibleInMenu(false);  // the menus show words only
        a->setCheckable(d.checkable);
        if (d.command == Command::FullWindow || d.command == Command::SplitWindow) views->addAction(a);
        if (d.button) {
            // The command decides the check; the toggle before it is undone by the refresh after.
            connect(a, &QAction::triggered, this, [runButton, index = d.button] { runButton(index); });
        } else {
            connect(a, &QAction::triggered, this, [a, runToolsItem, index = d.toolsItem](bool checked) {
                a->setChecked(!checked);  // the command reads the check it had and decides
                runToolsItem(index);
            });
        }
        actions_[size_t(d.command)] = a;
    }
}

QAction* MainCommands::ToolbarAction(int index) const {
    for (const CommandDesign& d : kCommands)
        if (d.button == index && index > 0) return Action(d.command);
    return nullptr;
}

std::vector<QAction*> MainCommands::FillToolsMenu(QMenu* menu) {
    toolsMenu_ = menu;
    std::vector<QAction*> items;
    for (int index = 0; index < kToolsItems; ++index) {
        QAction* item = nullptr;
        for (const CommandDesign& d : kCommands)
            if (d.toolsItem == index) item = Action(d.command);
        if (item) {
            menu->addAction(item);
        } else {
            item = menu->addSeparator();
            item->setObjectName(QStringLiteral("mnuTools%1").arg(index));
        }
        items.push_back(item);
    }
    return items;
}

void MainCommands::ClipOpened() {
    clipOpened_ = true;
    Refresh();
}

void MainCommands::Refresh() {
    CommandInputs in = inputs_ ? inputs_() : CommandInputs{};
    in.clipOpened = clipOpened_;
    apply(deriveCommandStates(in));
}

void MainCommands::apply(const CommandStates& states) {
    for (size_t i = 0; i < actions_.size(); ++i) {
        const CommandState& s = states.commands[i];
        actions_[i]->setEnabled(s.enabled);
        if (s.checked) SetActionChecked(actions_[i], *s.checked);
    }
    if (toolsMenu_) {
        toolsMenu_->setEnabled(states.toolsMenu);
        toolsMenu_->menuAction()->setEnabled(states.toolsMenu);
    }
    // The item starts as "&Open model"; a closed model leaves it reading "Open model", without
    // the mnemonic, as it always has.
    if (modelItem_ && states.modelItemCloses)
        modelItem_->setText(QStringLiteral("Close model"));
    else if (modelItem_ && modelItem_->text() == QLatin1String("Close model"))
        modelItem_->setText(QStringLiteral("Open model"));
}
