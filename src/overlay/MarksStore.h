#pragma once
// The marks of a clip or picture kept beside it between sessions: a sidecar JSON file next to the
// clip ("swing.avi.varkelo"), or, where the clip's folder cannot be written, one in the per-user
// data folder keyed by the clip's absolute path. No widgets; the file format is described in the
// README.

#include <QPointF>
#include <QString>

#include <array>
#include <optional>
#include <vector>

class OverlayModel;

// One mark as the sidecar keeps it. Label texts are not kept: they follow from the geometry and
// the scale.
struct SavedMark {
    int kind = 0;   // HistoryKind
    int shape = 0;  // shapes only: kDrawRectangle or kDrawEllipse
    // Line: its two ends. Shape: the top-left and bottom-right corners of its box. Angle: the
    // three points, the vertex second. Polyline: its 2..6 vertices.
    std::vector<QPointF> points;
    int color = 0;  // 0x00BBGGRR
    int width = 1;
    int style = 1;
    friend bool operator==(const SavedMark&, const SavedMark&) = default;
};

using SavedKeys = std::array<int, 4>;  // address, top, impact, finish; frames from 0, -1 unknown

struct MarksSnapshot {
    std::vector<SavedMark> marks;  // in the order they were made: Undo takes the last first
    double metresPerPixel = 0;     // 0: the ruler is not calibrated
    int penColor = 0;
    int penWidth = 1;
    std::optional<SavedKeys> keyPositions;  // only those the user set

    // Nothing worth a file: no mark, no scale, no key positions.
    bool Empty() const { return marks.empty() && metresPerPixel == 0 && !keyPositions; }
    friend bool operator==(const MarksSnapshot&, const MarksSnapshot&) = default;
};

// The marks, scale and pen of an overlay, and the reverse: the overlay's marks replaced by the
// snapshot's (its labels worked out again, its history rebuilt so that Undo works).
MarksSnapshot TakeSnapshot(const OverlayModel& overlay);
void ApplySnapshot(const MarksSnapshot& snapshot, OverlayModel& overlay);

namespace MarksStore {

inline constexpr int kVersion = 1;

struct LoadResult {
    enum Status { Loaded, NothingSaved, Damaged, Newer };
    Status status = NothingSaved;
    MarksSnapshot snapshot;  // Loaded only
    QString reason;          // Damaged: what is wrong with the file
    QString file;            // the sidecar found
    QString keptAs;          // Damaged: where the file was moved aside; empty when it could not be
};

// Next to the clip, and the per-user place used when the clip's folder is not writable.
QString SidecarPath(const QString& clipPath);
QString FallbackPath(const QString& clipPath);

QByteArray Encode(const MarksSnapshot& snapshot);
// Status Loaded, Damaged (with the reason) or Newer.
LoadResult Decode(const QByteArray& data);

// Reads the clip's sidecar (next to it, or in the data folder; the newer when both exist). A
// damaged one is renamed "<name>.bad" (numbered when that exists) so that it is never overwritten.
LoadResult Load(const QString& clipPath);
// Writes atomically next to the clip, else into the data folder. The file written, or an empty
// text and `error` set.
QString Save(const QString& clipPath, const MarksSnapshot& snapshot, QString* error = nullptr);

}  // namespace MarksStore

// The marks of the clip or picture in video 1: read from its sidecar when it opens, written back
// when it is left. Messages about unusable sidecars go through the message box.
class ClipMarks {
public:
    // Replaces the overlay's marks with those saved for `clipPath`; none when nothing is saved or
    // the file cannot be used (a message says why). The key positions the user set, if saved.
    std::optional<SavedKeys> Enter(const QString& clipPath, OverlayModel& overlay);
    // Saves the marks of the clip entered last. Nothing is written for a clip that never had
    // marks, nor over a sidecar of a newer version. False when writing failed (`error` says why).
    bool Leave(const OverlayModel& overlay, const std::optional<SavedKeys>& keys, QString* error = nullptr);

    const QString& ClipPath() const { return path_; }
    // The sidecar is left alone: it is of a newer version, or damaged and could not be moved aside.
    bool ReadOnly() const { return readOnly_; }

private:
    QString path_;
    bool readOnly_ = false;
    bool hasFile_ = false;  // a sidecar was read for this clip or has been written
};
