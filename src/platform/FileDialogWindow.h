#pragma once
// The real open/save dialog: Qt's widget file dialog set up from a request, with the
// read-only box and the preview pane added at its side when the request asks for them.

#include "platform/FileDialog.h"

#include <QFileDialog>
#include <QStringList>

class QCheckBox;

namespace platform {

class FilePreviewPane;

class FileDialogWindow : public QFileDialog {
    Q_OBJECT
public:
    explicit FileDialogWindow(const FileDialogRequest& request);

    // What the user chose; call after exec() with its outcome.
    FileDialogResult Result(bool accepted) const;

    // The name filters shown, one per filter pair, in the pairs' order.
    const QStringList& FilterNames() const { return filterNames_; }
    FilePreviewPane* PreviewPane() const { return preview_; }
    QCheckBox* ReadOnlyBox() const { return readOnly_; }

    // "Picture Files" + "*.bmp;*.jpg;*.jpeg" -> "Picture Files (*.bmp *.jpg *.jpeg)".
    static QString NameFilterOf(const FileFilterPair& pair);

private:
    QStringList filterNames_;
    FilePreviewPane* preview_ = nullptr;
    QCheckBox* readOnly_ = nullptr;
};

}  // namespace platform
