#pragma once
// Finds the key positions of a golf swing in a clip from its pictures alone, and maps a frame of
// one swing onto the frame at the same point of another swing. Widget-free: it runs on a worker
// thread over copies of the frames.

#include <QImage>

#include <array>
#include <atomic>
#include <vector>

// Frame numbers (0-based, in the list given to the finder); -1 where a position was not found.
// Positions that are found are strictly increasing in the order address, top, impact, finish.
struct KeyPositions {
    enum Kind { Address = 0, Top = 1, Impact = 2, Finish = 3 };
    std::array<int, 4> frame{-1, -1, -1, -1};

    int operator[](int kind) const { return frame[size_t(kind)]; }
    // A swing was found: at least the top and the impact.
    bool Found() const { return frame[Top] >= 0 && frame[Impact] > frame[Top]; }
    friend bool operator==(const KeyPositions&, const KeyPositions&) = default;
};

// The letter that tags a key position's thumbnail: "A", "T", "I", "F".
QString KeyPositionTag(int kind);

// Searches `frames` (presentation order, any QImage format, all of one size) shot at `fps`.
// Gives nothing for a clip without a swing. `cancel`, when set, stops the search early (nothing found).
// `impactHint` is the frame shown when the clip's sound clicks (-1: no sound, no click): taken as
// impact when it falls in the downswing and the pictures agree within a few frames, else ignored.
KeyPositions FindKeyPositions(const std::vector<QImage>& frames, double fps,
                              const std::atomic<bool>* cancel = nullptr, int impactHint = -1);

// The frame shown nearest to a moment: `frameSeconds[n]` is when frame n is shown. -1 when there
// are no frames or the moment lies more than a frame's time outside them.
int FrameShownAt(const std::vector<double>& frameSeconds, double seconds);

// The model frame shown with `videoFrame` when the two swings are kept in step: between consecutive
// key positions known in both clips (and the clips' first and last frames) the model frame lies at
// the same fraction of the way. Frame numbers are 0-based within each clip.
int SyncedModelFrame(int videoFrame, const KeyPositions& video, int videoCount, const KeyPositions& model,
                     int modelCount);

// "Tempo: 3.0 : 1" from the backswing (address to top) and downswing (top to impact) times.
QString TempoText(double backswingSeconds, double downswingSeconds);
