#include "platform/FileDialogWindow.h"

#include "platform/FilePreviewPane.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>

namespace platform {

QString FileDialogWindow::NameFilterOf(const FileFilterPair& pair) {
    QStringList patterns;
    for (const QString& p : pair.patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString trimmed = p.trimmed();
        if (!trimmed.isEmpty()) patterns << trimmed;
    }
    // Parentheses in the description would be taken for the pattern list.
    QString description = pair.description;
    description.replace(QLatin1Char('('), QLatin1Char('[')).replace(QLatin1Char(')'), QLatin1Char(']'));
    return QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
}

FileDialogWindow::FileDialogWindow(const FileDialogRequest& request) : QFileDialog(request.owner) {
    setObjectName(QStringLiteral("fileDialog"));
    // Qt's own dialog: the same on every desktop, and it can carry the preview pane.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setWindowTitle(request.title);
    const bool save = request.kind == FileDialogRequest::Save;
    setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (save)
        setFileMode(QFileDialog::AnyFile);
    else if (request.multiSelect)
        setFileMode(QFileDialog::ExistingFiles);
    else
        setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    setOption(QFileDialog::DontConfirmOverwrite, !(save && request.overwritePrompt));

    for (const FileFilterPair& pair : request.filters) filterNames_ << NameFilterOf(pair);
    if (!filterNames_.isEmpty()) {
        setNameFilters(filterNames_);
        const int index =
            request.filterIndex >= 1 && request.filterIndex <= filterNames_.size() ? request.filterIndex : 1;
        selectNameFilter(filterNames_.at(index - 1));
    }

    // The start folder may also be a file's full path (a reused object starts in the
    // buffer of the last chosen file): start in that file's folder then.
    const QFileInfo start(request.startFolder);
    if (!request.startFolder.isEmpty()) {
        if (start.isDir())
            setDirectory(start.absoluteFilePath());
        else if (start.absoluteDir().exists())
            setDirectory(start.absolutePath());
    }
    if (!request.startFileName.isEmpty()) selectFile(request.startFileName);

    QString suffix = request.defaultExt;
    while (suffix.startsWith(QLatin1Char('.'))) suffix.remove(0, 1);
    setDefaultSuffix(suffix);

    auto* grid = qobject_cast<QGridLayout*>(layout());
    if (!save && !request.hideReadOnly) {
        readOnly_ = new QCheckBox(tr("Open as &read-only"), this);
        readOnly_->setObjectName(QStringLiteral("readOnlyBox"));
        readOnly_->setChecked(request.readOnlyTicked);
        if (grid) grid->addWidget(readOnly_, grid->rowCount(), 0, 1, grid->columnCount());
    }
    if (request.preview) {
        preview_ = new FilePreviewPane(this);
        if (grid) grid->addWidget(preview_, 0, grid->columnCount(), grid->rowCount(), 1);
        connect(this, &QFileDialog::currentChanged, preview_, &FilePreviewPane::ShowFile);
    }
}

FileDialogResult FileDialogWindow::Result(bool accepted) const {
    FileDialogResult result;
    result.filterIndex = static_cast<int>(filterNames_.indexOf(selectedNameFilter())) + 1;
    result.readOnly = readOnly_ && readOnly_->isChecked();
    if (!accepted) return result;
    const QStringList files = selectedFiles();
    if (files.isEmpty()) return result;
    result.accepted = true;
    for (const QString& f : files) result.paths << QFileInfo(f).absoluteFilePath();
    result.path = result.paths.constFirst();
    if (fileMode() != QFileDialog::ExistingFiles) result.paths.clear();
    return result;
}

}  // namespace platform
