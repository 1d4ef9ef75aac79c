#include "platform/FileDialog.h"

#include "platform/FileDialogWindow.h"

#include <utility>

namespace platform {
namespace {

FileDialogAnswerer& fileDialogAnswerer() {
    static FileDialogAnswerer answerer;
    return answerer;
}

ClipPreviewProvider& clipPreviewProvider() {
    static ClipPreviewProvider provider;
    return provider;
}

}  // namespace

void FileDialogRequest::SetFlags(std::uint32_t word) {
    flags = word;
    fileMustExist = (word & OFN_FILEMUSTEXIST) != 0;
    multiSelect = (word & OFN_ALLOWMULTISELECT) != 0;
    hideReadOnly = (word & OFN_HIDEREADONLY) != 0;
    readOnlyTicked = (word & OFN_READONLY) != 0;
    overwritePrompt = (word & OFN_OVERWRITEPROMPT) != 0;
}

FileDialogResult RunFileDialog(const FileDialogRequest& request) {
    if (fileDialogAnswerer()) return fileDialogAnswerer()(request);
    FileDialogWindow dialog(request);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    return dialog.Result(accepted);
}

FileDialogAnswerer SetFileDialogAnswerer(FileDialogAnswerer answerer) {
    return std::exchange(fileDialogAnswerer(), std::move(answerer));
}

ClipPreviewProvider SetClipPreviewProvider(ClipPreviewProvider provider) {
    return std::exchange(clipPreviewProvider(), std::move(provider));
}

const ClipPreviewProvider& CurrentClipPreviewProvider() {
    return clipPreviewProvider();
}

}  // namespace platform
