#pragma once
// The file browser beside the canvas: drive, folder and file lists that show one place, and a
// Shift+click on a file that opens it (a plain click previews a clip).

#include <QString>

#include <functional>

namespace platform {
class DriveListBox;
class DirListBox;
class FileListBox;
}  // namespace platform

class FileBrowser {
public:
    struct Hooks {
        // Runs a handler's body, reporting what goes wrong in it.
        std::function<void(const std::function<void()>&)> trapErrors;
        std::function<bool(const QString& path)> openClip;
        std::function<bool(const QString& path)> openPicture;
        // The clip's load was stopped by the user (no message then).
        std::function<bool()> cancelled;
        // A clip or picture opened from the list is in: it is shown.
        std::function<void(bool isClip)> opened;
        std::function<void(const QString& path)> preview;
    };
    // `busy` is set while a clip loads; `workingDir` follows the folder opened from.
    FileBrowser(platform::DriveListBox& drive, platform::DirListBox& dir, platform::FileListBox& file,
                const bool& busy, QString& workingDir, Hooks hooks);

    void DriveChanged();
    void FolderChanged();
    void MouseUp(int button, int shift);

private:
    platform::DriveListBox& drive_;
    platform::DirListBox& dir_;
    platform::FileListBox& file_;
    const bool& busy_;
    QString& workingDir_;
    Hooks hooks_;
};
