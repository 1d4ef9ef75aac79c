#pragma once
// The main window's commands as actions: one per command, shared by its toolbar button, its
// menu item and its key, so that all of them are enabled and checked as one. Their states
// come from deriveCommandStates, applied in one place (Refresh).

#include "shell/CommandStates.h"

#include <QObject>

#include <array>
#include <functional>
#include <vector>

class QAction;
class QMenu;

class MainCommands : public QObject {
    Q_OBJECT
public:
    // `runButton` carries out the command of toolbar button `index`; `runToolsItem` that of
    // Tools menu item `index`, for the command without a button. `inputs` takes the program's
    // state now.
    MainCommands(QObject* parent, std::function<void(int index)> runButton, std::function<void(int index)> runToolsItem,
                 std::function<CommandInputs()> inputs);

    QAction* Action(Command command) const { return actions_[size_t(command)]; }
    // The action of toolbar button `index` (1-based); null for the separators and the gap.
    QAction* ToolbarAction(int index) const;
    // Puts the commands into the Tools menu in their places, separators between the groups;
    // the menu's items in order.
    std::vector<QAction*> FillToolsMenu(QMenu* menu);
    // File's model item, whose caption says what the Insert Model command would do.
    void SetModelItem(QAction* item) { modelItem_ = item; }

    // A clip or picture was opened: its commands come alive for good.
    void ClipOpened();
    // The states derived from the program's state now, applied to the actions and menus.
    void Refresh();

private:
    void apply(const CommandStates& states);

    std::array<QAction*, kCommandCount> actions_{};
    std::function<CommandInputs()> inputs_;
    QMenu* toolsMenu_ = nullptr;
    QAction* modelItem_ = nullptr;
    bool clipOpened_ = false;
};

// Checks or unchecks `action`; an action of an exclusive group can be unchecked too (then
// none of the group is).
void SetActionChecked(QAction* action, bool checked);
