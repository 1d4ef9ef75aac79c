// The file browser (drive, folder and file lists) and the frame strip of the main window.

#include "clips/FileBrowser.h"
#include "clips/FrameStrip.h"
#include "clips/cVideo.h"
#include "platform/RuntimeError.h"
#include "ui/Globals.h"
#include "shell/frm_Main.h"

void frm_Main::Drive1_Change() {
    browser_->DriveChanged();
}
void frm_Main::Dir1_Change() {
    browser_->FolderChanged();
}
void frm_Main::File1_MouseUp(int button, int shift) {
    browser_->MouseUp(button, shift);
}
void frm_Main::HScrVideoFrames_Change() {
    strip_->Scroll();
}

void frm_Main::reflowThumbnails() {
    if (ClipKind == 2) strip_->Reflow(Video1, CurrentVideoFrame);
}

void frm_Main::ImgVideoFrames_Click(int index) {
    // A frame the clip does not have is never made the current one.
    if (G().BusyLoading || ClipKind == 1 || index < 0 || index >= Video1.frameCount) return;
    using platform::TryStep;
    // Each step may fail on its own; the next still runs.
    TryStep([&] {
        const long first = Video1.reader ? Video1.reader->FirstFrame() : 0;
        CurrentVideoFrame = platform::CheckedInt16(first + index);
    });
    TryStep([&] { PasteAvi(CurrentVideoFrame); });
    TryStep([&] { ShowVideoInfo(picVideoInfo); });
    TryStep([&] { strip_->Mark(index); });
}
