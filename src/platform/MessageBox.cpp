#include "platform/MessageBox.h"

#include <QtGlobal>

#include <utility>

namespace platform {
namespace {

MsgBoxAnswerer& msgBoxAnswerer() {
    static MsgBoxAnswerer answerer;
    return answerer;
}

InputBoxAnswerer& inputBoxAnswerer() {
    static InputBoxAnswerer answerer;
    return answerer;
}

// The real boxes, once the program's widget layer has installed them. Until then (a program
// without windows, a test that installed no answerer) a box is not shown and gets the answer of
// its close box, so nothing blocks.
MsgBoxAnswerer& shownMsgBox() {
    static MsgBoxAnswerer shown;
    return shown;
}

InputBoxAnswerer& shownInputBox() {
    static InputBoxAnswerer shown;
    return shown;
}

}  // namespace

QString AppTitle() { return QStringLiteral("Varkelo"); }

int MsgBox(const QString& prompt, int style, const QString& title) {
    const MsgBoxCall call{prompt, style, title.isEmpty() ? AppTitle() : title};
    if (msgBoxAnswerer()) return msgBoxAnswerer()(call);
    if (shownMsgBox()) return shownMsgBox()(call);
    qWarning("message box not shown (no windows): %s", qUtf8Printable(call.prompt));
    return (call.style & 0x7) == vbOKOnly ? vbOK : vbCancel;
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    const InputBoxCall call{prompt, title.isEmpty() ? AppTitle() : title, defaultText};
    if (inputBoxAnswerer()) return inputBoxAnswerer()(call);
    if (shownInputBox()) return shownInputBox()(call);
    qWarning("input box not shown (no windows): %s", qUtf8Printable(call.prompt));
    return {};
}

MsgBoxAnswerer SetMsgBoxAnswerer(MsgBoxAnswerer answerer) {
    return std::exchange(msgBoxAnswerer(), std::move(answerer));
}

InputBoxAnswerer SetInputBoxAnswerer(InputBoxAnswerer answerer) {
    return std::exchange(inputBoxAnswerer(), std::move(answerer));
}

void SetShownDialogs(MsgBoxAnswerer msgBox, InputBoxAnswerer inputBox) {
    shownMsgBox() = std::move(msgBox);
    shownInputBox() = std::move(inputBox);
}

}  // namespace platform
