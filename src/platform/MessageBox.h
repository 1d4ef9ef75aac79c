#pragma once
// Modal message box and input box, each behind one seam. The program calls MsgBox and
// InputBox; tests install an answerer that records the call and returns an answer
// instead of opening a blocking window.

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace platform {

// Style codes (buttons + icon), as the program's runtime numbers them.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};

// Answers, as the runtime numbers them.
enum MsgBoxResult : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

// The application's title: the default title of every box.
QString AppTitle();

struct MsgBoxCall {
    QString prompt;
    int style = vbOKOnly;
    QString title;  // already defaulted to AppTitle() when the caller gave none
};

struct InputBoxCall {
    QString prompt;
    QString title;
    QString defaultText;
};

// Shows a modal message box; returns the button pressed.
int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = {});

// Shows a modal input box; returns the text typed, or an empty text when cancelled
// (the runtime's InputBox cannot tell the two apart either).
QString InputBox(const QString& prompt, const QString& title = {}, const QString& defaultText = {});

using MsgBoxAnswerer = std::function<int(const MsgBoxCall&)>;
using InputBoxAnswerer = std::function<QString(const InputBoxCall&)>;

// Replaces the real boxes (tests). An empty function restores them. Returns the previous one.
MsgBoxAnswerer SetMsgBoxAnswerer(MsgBoxAnswerer answerer);
InputBoxAnswerer SetInputBoxAnswerer(InputBoxAnswerer answerer);

// The boxes shown when no answerer is installed. The seam itself needs no widgets; the program
// installs the real boxes (InstallShownDialogs, with the widget layer) when it starts.
void SetShownDialogs(MsgBoxAnswerer msgBox, InputBoxAnswerer inputBox);
void InstallShownDialogs();

// Parent for real boxes; the main window registers itself.
void SetDialogParent(QWidget* parent);
QWidget* DialogParent();

}  // namespace platform
