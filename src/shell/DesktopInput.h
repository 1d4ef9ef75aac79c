#pragma once
// How the main window answers the desktop: the program's keys in every one of its windows, a
// double click or Enter in the file list, files dropped on the window and files named on the
// command line. The main window creates one; it carries out everything through the window's
// own commands, so a key does exactly what its button or menu item does.

#include "shell/DroppedFiles.h"
#include "shell/KeyCommands.h"

#include <QObject>

#include <map>

class QAction;
class QDropEvent;
class frm_Main;

class DesktopInput : public QObject {
    Q_OBJECT
public:
    explicit DesktopInput(frm_Main& window);

    // The action that carries a key command (its shortcut works in all the program's windows).
    QAction* Action(KeyCommand command) const;

    // Opens a file in video 1 or inserts it as the model, as the Open and Insert Model commands
    // do with a file chosen in their dialogs; false when it was not opened (the reader's message
    // said why) or a clip is being read.
    bool Open(const OpenRequest& request);
    // The files named on the command line: `file` in video 1, then `model` as the model when
    // there is something to compare it with. Either may be empty.
    void OpenStartupFiles(const QString& file, const QString& model);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void run(KeyCommand command);
    // Frame keys only act while video 1 holds a clip of several frames; otherwise the key goes
    // to the widget with the focus (the file list's Home and End, for instance).
    void followClip();
    void showKeysInTooltips();
    std::optional<OpenRequest> dropped(const QDropEvent& event) const;

    frm_Main& w_;
    std::map<KeyCommand, QAction*> actions_;
};
