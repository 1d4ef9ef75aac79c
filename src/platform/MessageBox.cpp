#include "platform/MessageBox.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>

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

QPointer<QWidget>& dialogParent() {
    static QPointer<QWidget> parent;
    return parent;
}

int realMsgBox(const MsgBoxCall& call) {
    QMessageBox box(DialogParent());
    box.setWindowTitle(call.title);
    box.setText(call.prompt);
    switch (call.style & 0x70) {
    case vbCritical: box.setIcon(QMessageBox::Critical); break;
    case vbQuestion: box.setIcon(QMessageBox::Question); break;
    case vbExclamation: box.setIcon(QMessageBox::Warning); break;
    case vbInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    struct Btn { QMessageBox::StandardButton button; int result; };
    std::vector<Btn> buttons;
    switch (call.style & 0x7) {
    case vbOKCancel: buttons = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}}; break;
    case vbAbortRetryIgnore:
        buttons = {{QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}};
        break;
    case vbYesNoCancel:
        buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
        break;
    case vbYesNo: buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}}; break;
    case vbRetryCancel: buttons = {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}}; break;
    default: buttons = {{QMessageBox::Ok, vbOK}}; break;
    }
    QMessageBox::StandardButtons set;
    for (const auto& b : buttons) set |= b.button;
    box.setStandardButtons(set);
    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const auto& b : buttons)
        if (b.button == pressed) return b.result;
    // Closed by the window's close box: the cancel-like answer.
    return buttons.size() == 1 ? vbOK : vbCancel;
}

QString realInputBox(const InputBoxCall& call) {
    bool ok = false;
    const QString text = QInputDialog::getText(DialogParent(), call.title, call.prompt, QLineEdit::Normal,
                                               call.defaultText, &ok);
    return ok ? text : QString();
}

}  // namespace

QString AppTitle() { return QStringLiteral("Varkelo"); }

int MsgBox(const QString& prompt, int style, const QString& title) {
    const MsgBoxCall call{prompt, style, title.isEmpty() ? AppTitle() : title};
    if (msgBoxAnswerer()) return msgBoxAnswerer()(call);
    return realMsgBox(call);
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    const InputBoxCall call{prompt, title.isEmpty() ? AppTitle() : title, defaultText};
    if (inputBoxAnswerer()) return inputBoxAnswerer()(call);
    return realInputBox(call);
}

MsgBoxAnswerer SetMsgBoxAnswerer(MsgBoxAnswerer answerer) {
    return std::exchange(msgBoxAnswerer(), std::move(answerer));
}

InputBoxAnswerer SetInputBoxAnswerer(InputBoxAnswerer answerer) {
    return std::exchange(inputBoxAnswerer(), std::move(answerer));
}

void SetDialogParent(QWidget* parent) { dialogParent() = parent; }
QWidget* DialogParent() { return dialogParent().data(); }

}  // namespace platform
