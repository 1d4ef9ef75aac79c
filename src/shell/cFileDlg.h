#pragma once
// The open, open-with-preview and save dialogs behind properties, as the toolbar uses
// them: set the owner, filter, title and start folder, call a dialog, and read the
// chosen file back. The object keeps the file buffer of a successful dialog in
// InitDirectory, so a reused object starts in the last chosen file.

#include "platform/FileDialog.h"

#include <QString>

#include <cstdint>
#include <vector>

class QWidget;

class cFileDlg {
public:
    cFileDlg();

    // The dialogs' file and title buffers, in characters.
    static constexpr int kFileBufferSize = 1024;
    static constexpr int kTitleBufferSize = 512;

    // Owner window of the dialogs. The runtime's handle value -1 ("no owner") is nullptr.
    QWidget* OwnerHwnd = nullptr;
    bool FileMustExist = true;
    bool MultiSelect = false;
    bool HideReadOnly = true;
    // "description|pattern|description|pattern..."; a ":" separates fields too.
    QString Filter;
    // 1-based filter pair shown first; after a dialog, the pair chosen (-1/0 after a cancel).
    std::int32_t FilterIndex = 0;
    // Folder the dialog starts in; after a successful dialog, the whole file buffer.
    QString InitDirectory;
    QString DlgTitle;
    QString DefaultExt;
    // Extra dialog flags; after a dialog, the flags it returned.
    std::int32_t Flags = 0;
    bool OverwritePrompt = true;

    // True once the user ticked the read-only box in an open dialog; never cleared.
    bool ReadOnly() const { return readOnly_; }

    // Write-only: sets InitDirectory to a special folder given by its platform code
    // (desktop 0, documents 5, music 13, videos 14, pictures 39, ...); empty when the
    // code is unknown here or the folder does not exist.
    void InitDirectorySpecial(std::int32_t code);

    // The dialogs. FileName (and FileTitle when given) are in/out: the incoming text is
    // the name the dialog proposes. True when the user chose a file. A name longer than
    // its buffer raises "Invalid procedure call or argument" (5).
    bool VBGetOpenFileName(QString& FileName, QString* FileTitle = nullptr);
    bool VBGetOpenFileNamePreview(QString& FileName, QString* FileTitle = nullptr);
    bool VBGetSaveFileName(QString& FileName, QString* FileTitle = nullptr);

    // True when sSpec names a file whose length can be read.
    static bool ExistFile(const QString& sSpec);
    // The file's display title (its name without the folder); empty when it has none.
    static QString VBGetFileTitle(const QString& sFile);

    // Every "|" and ":" becomes NUL, and two NULs end the text.
    static QString ConvertFilter(const QString& filter);
    // The description/pattern pairs of a converted filter, as a dialog reads them: the
    // list ends at the first empty field.
    static std::vector<platform::FileFilterPair> FilterPairs(const QString& converted);
    // Pair number index (1-based) of a converted filter: its two fields joined by a NUL;
    // empty when there is no such pair.
    static QString ChosenPair(const QString& converted, std::int32_t index);
    // The flags word handed to the open and the save dialogs.
    std::uint32_t OpenFlags() const;
    std::uint32_t SaveFlags() const;

private:
    bool runDialog(platform::FileDialogRequest::Kind kind, bool preview, QString& FileName,
                   QString* FileTitle);

    bool readOnly_ = false;
};
