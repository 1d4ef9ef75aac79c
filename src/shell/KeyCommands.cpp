#include "shell/KeyCommands.h"

const std::vector<KeyBinding>& KeyBindings() {
    static const std::vector<KeyBinding> bindings = {
        {KeyCommand::PlayStop, QKeySequence(Qt::Key_Space)},
        {KeyCommand::StepBack, QKeySequence(Qt::Key_Left)},
        {KeyCommand::StepForward, QKeySequence(Qt::Key_Right)},
        {KeyCommand::FirstFrame, QKeySequence(Qt::Key_Home)},
        {KeyCommand::LastFrame, QKeySequence(Qt::Key_End)},
        {KeyCommand::Undo, QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {KeyCommand::Redo, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
        {KeyCommand::CopyImage, QKeySequence(Qt::CTRL | Qt::Key_C)},
        {KeyCommand::Open, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {KeyCommand::Help, QKeySequence(Qt::Key_F1)},
    };
    return bindings;
}

QKeySequence KeysOf(KeyCommand command) {
    for (const KeyBinding& b : KeyBindings())
        if (b.command == command) return b.keys;
    return {};
}

QString WithKeys(const QString& tooltip, KeyCommand command) {
    return tooltip + QStringLiteral(" (") + KeysOf(command).toString(QKeySequence::NativeText) + QLatin1Char(')');
}
