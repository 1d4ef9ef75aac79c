#pragma once
// The open and save file dialogs, behind one seam. The program calls RunFileDialog;
// tests install an answerer that records the request and returns a result instead of
// opening a window. The real dialogs are Qt's own widget dialogs, so filter pairs,
// start folder, title and the preview pane behave the same on every desktop.

#include <QImage>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

namespace platform {

// Dialog flags, by the values the program's dialog record uses.
enum FileDialogFlag : std::uint32_t {
    OFN_READONLY = 0x1,
    OFN_OVERWRITEPROMPT = 0x2,
    OFN_HIDEREADONLY = 0x4,
    OFN_ENABLEHOOK = 0x20,
    OFN_ENABLETEMPLATE = 0x40,
    OFN_ALLOWMULTISELECT = 0x200,
    OFN_EXTENSIONDIFFERENT = 0x400,
    OFN_FILEMUSTEXIST = 0x1000,
};

struct FileFilterPair {
    QString description;  // "Picture Files"
    QString patterns;     // "*.bmp;*.jpg;*.jpeg"
    bool operator==(const FileFilterPair&) const = default;
};

struct FileDialogRequest {
    enum Kind { Open, Save };
    Kind kind = Open;
    QWidget* owner = nullptr;
    QString title;
    QString startFolder;
    QString startFileName;
    std::vector<FileFilterPair> filters;
    int filterIndex = 1;      // 1-based; out of range shows the first pair
    std::uint32_t flags = 0;  // the whole flags word; the booleans below are read from it
    bool fileMustExist = false;
    bool multiSelect = false;
    bool hideReadOnly = false;
    bool readOnlyTicked = false;
    bool overwritePrompt = false;
    QString defaultExt;
    bool preview = false;

    // Fills the booleans from a flags word.
    void SetFlags(std::uint32_t word);
};

struct FileDialogResult {
    bool accepted = false;
    QString path;         // full, absolute path of the (first) chosen file
    QStringList paths;    // every chosen file when several may be chosen; empty otherwise
    int filterIndex = 0;  // 1-based index of the filter pair shown when the user chose
    bool readOnly = false;
};

// Shows the dialog (or asks the installed answerer) and returns what the user chose.
FileDialogResult RunFileDialog(const FileDialogRequest& request);

using FileDialogAnswerer = std::function<FileDialogResult(const FileDialogRequest&)>;

// Replaces the real dialogs (tests). An empty function restores them. Returns the previous one.
FileDialogAnswerer SetFileDialogAnswerer(FileDialogAnswerer answerer);

// The first frame of a clip, for the preview pane. The clip reader registers one; an
// empty function (the start) means clips show no preview. A null image means "none".
using ClipPreviewProvider = std::function<QImage(const QString& path)>;
ClipPreviewProvider SetClipPreviewProvider(ClipPreviewProvider provider);
const ClipPreviewProvider& CurrentClipPreviewProvider();

}  // namespace platform
