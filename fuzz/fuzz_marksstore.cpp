// Any bytes as a clip's marks file: the decoder either refuses them with a reason or gives marks
// within the limits the overlay relies on; what it gives writes out and reads back the same, and
// lays onto an overlay without harm.

#include "overlay/MarksStore.h"
#include "overlay/OverlayModel.h"

#include <QByteArray>

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const MarksStore::LoadResult r = MarksStore::Decode(bytes);
    if (r.status == MarksStore::LoadResult::Damaged && r.reason.isEmpty()) __builtin_trap();
    if (r.status != MarksStore::LoadResult::Loaded) return 0;
    const MarksSnapshot& s = r.snapshot;
    if (s.marks.size() > size_t(OverlayModel::kCapacity)) __builtin_trap();
    for (const SavedMark& m : s.marks) {
        if (m.points.size() < 2 || m.points.size() > 6) __builtin_trap();
        for (const QPointF& p : m.points)
            if (!std::isfinite(p.x()) || !std::isfinite(p.y())) __builtin_trap();
    }
    const MarksStore::LoadResult again = MarksStore::Decode(MarksStore::Encode(s));
    if (again.status != MarksStore::LoadResult::Loaded || !(again.snapshot == s)) __builtin_trap();
    static OverlayModel overlay;
    ApplySnapshot(s, overlay);
    (void)TakeSnapshot(overlay);
    return 0;
}
