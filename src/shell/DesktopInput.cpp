#include "shell/DesktopInput.h"

#include "clips/MediaKinds.h"
#include "overlay/CanvasDrawing.h"
#include "overlay/frmDrawToolBox.h"
#include "platform/FileListBoxes.h"
#include "platform/PictureBox.h"
#include "playback/frmVideoControls.h"
#include "ui/Globals.h"
#include "shell/MainToolbar.h"
#include "shell/ReportError.h"
#include "shell/frm_Main.h"

#include <QAction>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>

namespace {

bool isFrameKey(KeyCommand c) {
    return c == KeyCommand::PlayStop || c == KeyCommand::StepBack || c == KeyCommand::StepForward ||
           c == KeyCommand::FirstFrame || c == KeyCommand::LastFrame;
}

}  // namespace

DesktopInput::DesktopInput(frm_Main& window) : QObject(&window), w_(window) {
    setObjectName(QStringLiteral("DesktopInput"));
    // The menu items that have keys keep their own actions; the others get one on the window.
    // Application-wide, so the keys work in the tool windows and the help window too; a text
    // box with the focus still takes the keys it edits with, and a modal dialog blocks them all.
    actions_[KeyCommand::Open] = w_.mnuFile[0];
    actions_[KeyCommand::Help] = w_.mnuhelp[0];
    for (const KeyBinding& b : KeyBindings()) {
        QAction*& a = actions_[b.command];
        if (!a) {
            a = new QAction(&w_);
            w_.addAction(a);
            connect(a, &QAction::triggered, this, [this, c = b.command] { run(c); });
        }
        a->setShortcut(b.keys);
        a->setShortcutContext(Qt::ApplicationShortcut);
    }
    showKeysInTooltips();
    followClip();
    connect(&w_, &frm_Main::FrameShown, this, &DesktopInput::followClip);

    // A double click or Enter in the file list opens the file, as Shift+click does.
    connect(w_.File1, &platform::FileListBox::OpenRequested, this,
            [this] { w_.File1_MouseUp(platform::vbLeftButton, platform::vbShiftMask); });

    w_.setAcceptDrops(true);
    w_.installEventFilter(this);
}

QAction* DesktopInput::Action(KeyCommand command) const {
    const auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

void DesktopInput::showKeysInTooltips() {
    frmVideoControls* c = w_.VideoControls;
    const std::pair<QPushButton*, KeyCommand> buttons[] = {
        {c->cmdPlay, KeyCommand::PlayStop},          {c->cmdStop, KeyCommand::PlayStop},
        {c->cmdBackFast, KeyCommand::StepBack},      {c->cmdForwardFast, KeyCommand::StepForward},
        {c->cmdBackFull, KeyCommand::FirstFrame},    {c->cmdForwardFull, KeyCommand::LastFrame},
    };
    for (const auto& [button, command] : buttons) button->setToolTip(WithKeys(button->toolTip(), command));
    const std::pair<QAction*, KeyCommand> actions[] = {
        {w_.Toolbar1->Button(1), KeyCommand::Open},
        {w_.Toolbar1->Button(5), KeyCommand::CopyImage},
        {w_.DrawToolBox->Button(8), KeyCommand::Undo},
    };
    for (const auto& [action, command] : actions)
        if (action) action->setToolTip(WithKeys(action->toolTip(), command));
}

void DesktopInput::followClip() {
    const bool frames = w_.ClipKind == 2;
    for (const auto& [command, action] : actions_)
        if (isFrameKey(command)) action->setEnabled(frames);
}

void DesktopInput::run(KeyCommand command) {
    if (w_.Program.BusyLoading) return;
    frmVideoControls* c = w_.VideoControls;
    switch (command) {
        case KeyCommand::PlayStop: {
            // Stop when the timer of the chosen window runs, else play.
            QTimer* const timers[] = {w_.VideoTimer, w_.bothTimer, w_.ModelTimer};
            const short choice = c->WindowChoice;
            const bool playing = choice >= 0 && choice <= 2 && timers[choice]->isActive();
            (playing ? c->cmdStop : c->cmdPlay)->click();
            break;
        }
        case KeyCommand::StepBack:
            c->cmdBackFast->click();
            break;
        case KeyCommand::StepForward:
            c->cmdForwardFast->click();
            break;
        case KeyCommand::FirstFrame:
            c->cmdBackFull->click();
            break;
        case KeyCommand::LastFrame:
            c->cmdForwardFull->click();
            break;
        case KeyCommand::Undo:
            // The tool box's Undo, with its refusal while a polyline or angle is unfinished.
            w_.DrawToolBox->Toolbar1_ButtonClick(8);
            break;
        case KeyCommand::Redo:
            w_.Drawing->Redo();
            break;
        case KeyCommand::CopyImage:
            if (w_.Toolbar1->Enabled(5)) w_.Toolbar_Click(5);
            break;
        case KeyCommand::Open:
        case KeyCommand::Help:
            break;  // menu items: their own actions carry them
    }
}

bool DesktopInput::Open(const OpenRequest& request) {
    if (w_.Program.BusyLoading) return false;
    bool opened = false;
    TrapErrors([&] {
        if (request.asModel) {
            opened = w_.InsertModelFile(request.path);
            return;
        }
        if (IsPictureFile(request.path)) {
            if (!w_.fOpenPic(request.path)) return;
            w_.PasteAvi(0);
        } else {
            if (!w_.fOpenAvi(request.path)) return;
            w_.PasteAvi(platform::CheckedInt16(w_.Video1.FirstFrame()));
        }
        w_.ShowClipCommands();
        opened = true;
        // The file browser shows the file's folder, as after the Open dialog.
        const QString folder = QFileInfo(request.path).absolutePath();
        platform::TryStep([&] { w_.Dir1->SetPath(folder); });
    });
    return opened;
}

void DesktopInput::OpenStartupFiles(const QString& file, const QString& model) {
    if (!file.isEmpty()) Open(OpenRequest{file, false});
    // Insert Model needs something loaded to compare the model with.
    if (!model.isEmpty() && w_.Toolbar1->Enabled(7)) Open(OpenRequest{model, true});
}

std::optional<OpenRequest> DesktopInput::dropped(const QDropEvent& event) const {
    if (w_.Program.BusyLoading || !event.mimeData()->hasUrls()) return std::nullopt;
    return ChooseDroppedFile(event.mimeData()->urls(), event.modifiers() & Qt::ShiftModifier,
                             w_.Toolbar1->Enabled(7));
}

bool DesktopInput::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &w_) return false;
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (dropped(*drag))
                drag->acceptProposedAction();
            else
                drag->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const std::optional<OpenRequest> request = dropped(*drop);
            if (!request) {
                drop->ignore();
                return true;
            }
            drop->acceptProposedAction();
            // Opened once the drop is over: a clip takes a while to read, and the program the
            // file came from waits for the drop to end.
            QTimer::singleShot(0, this, [this, r = *request] { Open(r); });
            return true;
        }
        default:
            return false;
    }
}
