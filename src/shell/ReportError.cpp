#include "shell/ReportError.h"

#include "platform/MessageBox.h"

#include <QApplication>

void ReportError(long number, const QString& description) {
    platform::MsgBox(QStringLiteral("An Error occured!") + QStringLiteral(" Error No:") +
                         QString::number(number) + QStringLiteral(", Error Description: ") + description,
                     platform::vbExclamation, QStringLiteral("Program Error"));
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}
