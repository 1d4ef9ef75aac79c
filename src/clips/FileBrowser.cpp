#include "clips/FileBrowser.h"

#include "clips/MediaKinds.h"
#include "platform/FileListBoxes.h"
#include "platform/MessageBox.h"
#include "platform/PictureBox.h"

#include <QSignalBlocker>

FileBrowser::FileBrowser(platform::DriveListBox& drive, platform::DirListBox& dir,
                         platform::FileListBox& file, const bool& busy, QString& workingDir, Hooks hooks)
    : drive_(drive), dir_(dir), file_(file), busy_(busy), workingDir_(workingDir), hooks_(std::move(hooks)) {}

void FileBrowser::DriveChanged() {
    if (busy_) {
        // The folder list may not follow while a clip loads: the drive goes back to the
        // file list's, so that the three lists still show one place.
        const QSignalBlocker quiet(&drive_);
        drive_.SetDrive(file_.Path());
        return;
    }
    hooks_.trapErrors([&] { dir_.SetPath(drive_.Drive()); });
}

void FileBrowser::FolderChanged() {
    if (busy_) {
        // The file list ignores the change while a clip loads, so the folder list goes back
        // to it: a file opened from the list is then one the list shows.
        const QSignalBlocker quiet(&dir_);
        hooks_.trapErrors([&] { dir_.SetPath(file_.Path()); });
        return;
    }
    hooks_.trapErrors([&] {
        file_.SetPath(dir_.Path());
        workingDir_ = file_.Path();
    });
}

void FileBrowser::MouseUp(int button, int shift) {
    hooks_.trapErrors([&] {
        if (button == platform::vbRightButton) return;
        const QString name = file_.FileName();
        if (name.isEmpty()) return;
        const QString path = dir_.Path() + QLatin1Char('/') + name;
        const bool isClip = !IsPictureFile(name);
        if (busy_) return;
        if (shift == platform::vbShiftMask) {
            workingDir_ = dir_.Path();
            if (isClip ? !hooks_.openClip(path) : !hooks_.openPicture(path)) {
                // A file that cannot be opened leaves everything as it was after its message.
                if (isClip && !hooks_.cancelled()) platform::MsgBox(QStringLiteral("fopenavi error"));
                return;
            }
            hooks_.opened(isClip);
        } else if (shift == 0 && isClip && hooks_.preview) {
            hooks_.preview(path);
        }
    });
}
