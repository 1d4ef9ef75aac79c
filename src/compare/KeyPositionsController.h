#pragma once
// The key positions of the two clips in the main window: found in the background after each
// load, shown as thumbnail tags and tempo lines, reached and corrected from the "Key Positions"
// menu, and used to keep the model in step with video 1.

#include "compare/KeyPositionFinder.h"

#include <QFuture>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class FrameSource;
class QLabel;
class QMenuBar;
namespace platform {
class ImageBox;
}

// What the key positions read from the window around them, and what they ask it to do.
struct KeyPositionsWindow {
    const FrameSource& video1;
    const FrameSource& model;
    const int& clipKind;  // 2: video 1 holds a clip of several frames
    const short& currentVideoFrame;
    const std::vector<platform::ImageBox*>& thumbnails;  // element k shows video 1's first frame + k
    std::function<bool()> syncOn;                        // "Sync on key positions" is ticked
    std::function<void()> showInfo;                      // the information panel again
    std::function<void(int index)> showThumbnail;        // video 1 at thumbnail `index`'s frame
    // A value of the settings store, as text (empty when there is none).
    std::function<QString(const QString& section, const QString& name)> readSetting;
};

class KeyPositionsController : public QObject {
    Q_OBJECT
public:
    enum Slot { Video1 = 0, Model = 1 };
    // The "Key Positions" menu goes on `menuBar`.
    KeyPositionsController(KeyPositionsWindow window, QMenuBar* menuBar, QObject* parent);
    ~KeyPositionsController() override;

    // A clip was loaded into the slot (path empty: the slot holds no clip now). Starts the search.
    void ClipLoaded(int slot, const QString& path);
    // The slot's frames are about to be released: a search still running on them stops now
    // (it checks at every frame, so this waits a few milliseconds at most), so that their
    // memory goes with them rather than living on beside the next clip's.
    void ClipUnloading(int slot);
    // In clip frame numbers (the reader's), -1 where unknown.
    KeyPositions Keys(int slot) const;
    // Lines for the information panel: the tempo, when video 1 has address, top and impact.
    QStringList InfoLines() const;
    // The model frame to show with video frame `videoFrame`; `modelFrame` unchanged unless sync is
    // on and both clips have their key positions.
    int ModelFrameFor(int videoFrame, int modelFrame) const;
    // Shows video 1 at a key position / puts a key position on the frame shown, kept for the clip.
    void JumpTo(int kind);
    void MoveToCurrent(int kind);
    // Key positions saved with the clip about to be loaded into the slot: the next ClipLoaded takes
    // them instead of searching.
    void SetStoredKeys(int slot, const std::optional<std::array<int, 4>>& frames);
    // The slot's key positions when the user set them (or they came saved with the clip), in
    // frames from 0; nothing while they are the finder's.
    std::optional<std::array<int, 4>> UserKeys(int slot) const;

signals:
    // The slot's key positions changed (search done, or a correction).
    void Changed(int slot);

private:
    void found(int slot, unsigned generation, const KeyPositions& keys);
    void showTags();
    QString settingName(int slot) const;
    // The saved key positions, else those of the settings store; none: the finder's.
    void loadCorrection(int slot, std::optional<std::array<int, 4>> frames);

    KeyPositionsWindow w_;
    std::array<KeyPositions, 2> keys_{};
    std::array<unsigned, 2> generation_{};
    std::array<std::shared_ptr<std::atomic<bool>>, 2> cancel_{};
    std::array<QFuture<KeyPositions>, 2> search_{};
    std::array<QString, 2> path_{};
    std::array<std::optional<std::array<int, 4>>, 2> stored_{};
    std::array<bool, 2> userSet_{};
    std::vector<QPointer<QLabel>> tags_;
};
