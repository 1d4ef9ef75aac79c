#pragma once
// Opens clips and pictures into the frame stores: refuses what cannot be held, reads the
// frames in the background behind the progress bar (Esc or closing the window stops it), and
// replaces the slot's content once the first frame is in. What the window does around it
// comes in through the hooks.

#include "clips/ClipLoader.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

struct FrameStore;
class FrameStrip;
class QProgressBar;
class QWidget;
class cVideo;
namespace platform {
class PictureBox;
}
struct ThumbnailLayout;

// Why a clip is not opened: the message box's text, style and title.
struct ClipRefusal {
    QString text;
    int style = 0;
    QString title;
};
// A clip of `frames` frames from `first` that needs `needed` bytes with `available` free.
std::optional<ClipRefusal> RefusalOf(int frames, int first, std::uint64_t needed, std::uint64_t available,
                                     const QString& path);

class ClipOpener {
public:
    enum class Slot { Video1, Model };
    // What the window does around a load; every hook but `loading` must be set.
    struct Hooks {
        // The commands that open a dialog go off while a load runs (true), and come back (false).
        std::function<void(bool)> loading;
        // The marks of video 1's clip or picture go to its sidecar before it is replaced.
        std::function<void()> leaving;
        // The canvas and the strip's frame come up in place of the logo.
        std::function<void()> showCanvas;
        // Just before the slot's frames are released.
        std::function<void(Slot)> releasing;
        // Video 1 holds `path` now, shown from `first`; its marks come in (its keys too, for a clip).
        std::function<void(const QString& path, int first, bool isClip)> entered;
        // The first frame of video 1's new clip is in.
        std::function<void(int first)> showFrame;
        // Video 1's clip is open with `frames` frames.
        std::function<void(const QString& path, int frames)> clipOpened;
        // A picture replaces video 1: before its store goes, and once it is in.
        std::function<void()> pictureComing;
        std::function<void()> pictureOpened;
        // The model's store was emptied for `path`; and the model is open.
        std::function<void(const QString& path)> modelEntered;
        std::function<void(const QString& path)> modelOpened;
    };

    // `busy` is set while frames are read, `closeRequested` when the window was asked to close
    // meanwhile (it closes once the load ends). `canvas` is what the frames are fitted to.
    ClipOpener(QWidget& window, platform::PictureBox& canvas, QProgressBar& progress, FrameStrip& strip,
               FrameStore& video1, FrameStore& model, bool& busy, bool& closeRequested, const long& unitX,
               const long& unitY, Hooks hooks);

    // Reads a whole clip into video 1; a clip that cannot be read or is refused leaves the
    // loaded one as it was.
    bool OpenClip(const QString& path);
    // Reads a whole clip into the model slot; fails silently.
    bool OpenModel(const QString& path);
    // Loads a BMP or JPEG picture into video 1 as a one-frame store.
    bool OpenPicture(const QString& path);
    // The last load was stopped by the user before its first frame.
    bool Cancelled() const { return cancelled_; }

private:
    struct Loaded {
        ClipLoader::Outcome outcome = ClipLoader::Outcome::Failed;
        int held = 0;  // frames put in the store, counted from the clip's first
    };
    // Reads every frame of `reader` into `store` on a thread of its own while the window stays
    // responsive. `replace` runs just before the first frame goes in, `firstIn` just after;
    // `reader` comes back with the count the reading found.
    Loaded load(std::unique_ptr<cVideo>& reader, FrameStore& store, const ThumbnailLayout* thumbnails,
                const std::function<void()>& replace, const std::function<void()>& firstIn = {});
    bool refuse(const cVideo& reader, const QString& path);
    void closeIfAsked();

    QWidget& window_;
    platform::PictureBox& canvas_;
    QProgressBar& progress_;
    FrameStrip& strip_;
    FrameStore& video1_;
    FrameStore& model_;
    bool& busy_;
    bool& closeRequested_;
    const long& unitX_;
    const long& unitY_;
    Hooks hooks_;
    bool cancelled_ = false;
};
