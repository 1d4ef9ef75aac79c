#include "platform/MessageBox.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>

#include <vector>

namespace platform {
namespace {

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

void InstallShownDialogs() { SetShownDialogs(realMsgBox, realInputBox); }

void SetDialogParent(QWidget* parent) { dialogParent() = parent; }
QWidget* DialogParent() { return dialogParent().data(); }

}  // namespace platform
