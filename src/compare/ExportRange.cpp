#include "compare/ExportRange.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

namespace {
ExportRangeAnswerer& answerer() {
    static ExportRangeAnswerer a;
    return a;
}
}  // namespace

ExportRangeAnswerer SetExportRangeAnswerer(ExportRangeAnswerer a) {
    std::swap(answerer(), a);
    return a;
}

ExportRangeAnswer ChooseExportRange(QWidget* owner, int first, int last) {
    if (answerer()) return answerer()(first, last);
    QDialog dialog(owner);
    dialog.setWindowTitle(QStringLiteral("Frames to Export"));
    auto* all = new QRadioButton(QStringLiteral("All frames"), &dialog);
    auto* part = new QRadioButton(QStringLiteral("From frame"), &dialog);
    auto* from = new QSpinBox(&dialog);
    auto* to = new QSpinBox(&dialog);
    for (QSpinBox* box : {from, to}) {
        box->setRange(first, last);
        box->setEnabled(false);
    }
    from->setValue(first);
    to->setValue(last);
    all->setChecked(true);
    QObject::connect(part, &QRadioButton::toggled, from, &QWidget::setEnabled);
    QObject::connect(part, &QRadioButton::toggled, to, &QWidget::setEnabled);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* grid = new QGridLayout(&dialog);
    grid->addWidget(all, 0, 0, 1, 4);
    grid->addWidget(part, 1, 0);
    grid->addWidget(from, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("to"), &dialog), 1, 2);
    grid->addWidget(to, 1, 3);
    grid->addWidget(buttons, 2, 0, 1, 4);
    ExportRangeAnswer answer;
    answer.accepted = dialog.exec() == QDialog::Accepted;
    answer.from = part->isChecked() ? from->value() : first;
    answer.to = part->isChecked() ? to->value() : last;
    return answer;
}
