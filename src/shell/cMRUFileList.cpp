#include "shell/cMRUFileList.h"

#include "platform/RegistryStore.h"
#include "platform/RuntimeError.h"
#include "ui/Globals.h"
#include "shell/cRegistry.h"

#include <QFile>
#include <QPoint>
#include <QtEndian>

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <limits>

using platform::REG_DWORD;
using platform::REG_SZ;

namespace {

// A shortened caption keeps at most this many characters after the "...".
constexpr int kShortTail = 32;

// Runs one save or load: any run-time error ends it with false (what was read stays).
template <typename F>
bool Guarded(F&& body) noexcept {
    try {
        body();
        return true;
    } catch (...) {
        return false;
    }
}

// Values to store, in the order they are written.
using Settings = std::vector<std::pair<QString, platform::RegValue>>;

platform::RegValue DwordValue(int v) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(qint32(v), bytes.data());
    return {REG_DWORD, bytes};
}
// Plain text, never expandable: a path may hold a "%NAME%" pair that is part of its name.
platform::RegValue TextValue(const QString& text) {
    return {REG_SZ, platform::EncodeText(text)};
}

// Writes the values in one go into the registry object's key: all of them or none.
bool Write(const cRegistry& registry, const Settings& values) noexcept {
    try {
        return platform::RegistryStore::Instance().SetValues(registry.ClassKey(), registry.SectionKey(),
                                                             values) == platform::ERROR_SUCCESS;
    } catch (...) {
        return false;
    }
}

// Reads the selected value. Text stored as expandable (older saves made a path holding a
// "%NAME%" pair expandable) comes back as written: paths are never expanded.
QVariant ReadPlain(cRegistry& registry) {
    platform::RegValue raw;
    if (platform::RegistryStore::Instance().QueryValue(registry.ClassKey(), registry.SectionKey(),
                                                       registry.ValueKey(), raw) == platform::ERROR_SUCCESS &&
        raw.type == platform::REG_EXPAND_SZ)
        return platform::DecodeText(raw.data);
    return registry.Value();
}

// Two paths name one recent file when they are the same text or, for files that exist, when
// the file system says they are one file (a case-insensitive stick, a link). Letter case
// alone decides nothing.
bool SameFile(const QString& a, const QString& b) {
    if (a == b) return true;
    struct stat sa {};
    struct stat sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// A stored number, as the runtime coerces a variant to a 32-bit integer: a missing value
// is 0, numbers and numeric text convert, anything else is "Type mismatch" (13).
int StoredInt(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::UnknownType:
            return 0;
        case QMetaType::Int:
            return value.toInt();
        case QMetaType::QString: {
            bool ok = false;
            const int v = value.toString().trimmed().toInt(&ok);
            if (ok) return v;
            break;
        }
        default:
            break;
    }
    platform::Raise(platform::errTypeMismatch);
}

// A stored text: text as it is, a number as its decimal text, a missing value as empty;
// binary data is no text ("Type mismatch").
QString StoredText(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::UnknownType:
            return {};
        case QMetaType::QString:
            return value.toString();
        case QMetaType::Int:
            return QString::number(value.toInt());
        default:
            platform::Raise(platform::errTypeMismatch);
    }
}

// A stored window position. Anything that is not a whole number, or is negative, reads
// as 0, which the main window takes as "not placed yet": X11 screen coordinates are never
// negative, so a negative position could only put the window out of reach.
int StoredPosition(const QVariant& value) {
    int v = 0;
    if (value.typeId() == QMetaType::Int) {
        v = value.toInt();
    } else if (value.typeId() == QMetaType::QString) {
        bool ok = false;
        v = value.toString().trimmed().toInt(&ok);
        if (!ok) v = 0;
    }
    return std::max(v, 0);
}

struct PositionName {
    const char* x;
    const char* y;
    QPoint ToolWindowPositions::*pos;
};

// The stored order of the tool window positions.
constexpr std::array<PositionName, 4> kPositions{{
    {"ImageToolX", "ImageToolY", &ToolWindowPositions::imageTool},
    {"DrawToolX", "DrawToolY", &ToolWindowPositions::drawTool},
    {"VControlToolX", "VControlToolY", &ToolWindowPositions::videoControls},
    {"AdjustToolX", "AdjustToolY", &ToolWindowPositions::adjustTool},
}};

}  // namespace

void cMRUFileList::SetMaxFileCount(int value) {
    if (value == capacity_) return;
    if (value < 1) platform::Raise(platform::errSubscriptOutOfRange);
    entries_.resize(static_cast<std::size_t>(value));
    capacity_ = value;
    count_ = std::min(count_, capacity_);
}

void cMRUFileList::checkIndex(int i) const {
    if (i < 1 || i > capacity_) platform::Raise(platform::errSubscriptOutOfRange);
}

QString cMRUFileList::File(int i) const {
    checkIndex(i);
    return entries_[static_cast<std::size_t>(i - 1)];
}

bool cMRUFileList::FileExists(int i) const {
    return !File(i).isEmpty();
}

QString cMRUFileList::MenuCaption(int i) const {
    return QLatin1Char('&') + QString::number(i) + QStringLiteral(")  ") + ShortPath(File(i));
}

QString cMRUFileList::ShortPath(const QString& path) {
    const qsizetype length = path.size();
    if (length <= kShortTail) return path;
    // Scan the separators from the end; the last assignment (the one nearest the start)
    // stands. q is the separator nearest the start whose tail still fits.
    QString result = path;
    qsizetype q = -1;
    for (qsizetype p = length - 1; p >= 0; --p) {
        if (path[p] != QLatin1Char('/')) continue;
        if (length - (p + 1) <= kShortTail)
            q = p;
        else
            result = QStringLiteral("...") + path.mid(q >= 0 ? q : p);
    }
    return result;
}

void cMRUFileList::AddFile(const QString& path) {
    // A list without capacity keeps nothing.
    if (capacity_ < 1) return;
    int k = 0;
    for (int j = 1; j <= count_; ++j) {
        if (SameFile(entries_[static_cast<std::size_t>(j - 1)], path)) {
            k = j;
            break;
        }
    }
    if (k == 0) {
        if (count_ < capacity_) ++count_;
        k = count_;
    }
    for (int j = k - 1; j >= 1; --j)
        entries_[static_cast<std::size_t>(j)] = entries_[static_cast<std::size_t>(j - 1)];
    entries_[0] = path;
}

namespace {

void AddList(Settings& out, int capacity, int count, const std::vector<QString>& entries) {
    out.emplace_back(QStringLiteral("MaxCount"), DwordValue(capacity));
    out.emplace_back(QStringLiteral("Count"), DwordValue(count));
    for (int i = 1; i <= count; ++i)
        out.emplace_back(QStringLiteral("File") + QString::number(i),
                         TextValue(entries[static_cast<std::size_t>(i - 1)]));
}

void AddPositions(Settings& out, const ToolWindowPositions& positions) {
    for (const PositionName& n : kPositions) {
        const QPoint pos = positions.*n.pos;
        out.emplace_back(QLatin1String(n.x), TextValue(QString::number(pos.x())));
        out.emplace_back(QLatin1String(n.y), TextValue(QString::number(pos.y())));
    }
}

}  // namespace

bool cMRUFileList::SaveSettings(cRegistry& registry) const {
    Settings all;
    AddList(all, capacity_, count_, entries_);
    all.emplace_back(QStringLiteral("WorkingDir"), TextValue(program_.WorkingDir));
    all.emplace_back(QStringLiteral("ModelDir"), TextValue(program_.ModelDir));
    AddPositions(all, program_.ToolPos);
    all.emplace_back(QStringLiteral("MarkColor"), DwordValue(program_.Marks.color));
    all.emplace_back(QStringLiteral("MarkWidth"), DwordValue(program_.Marks.width));
    return Write(registry, all);
}

bool cMRUFileList::Save(cRegistry& registry) const {
    Settings list;
    AddList(list, capacity_, count_, entries_);
    return Write(registry, list);
}

bool cMRUFileList::Load(cRegistry& registry) {
    return Guarded([&] {
        registry.SetValueKey(QStringLiteral("MaxCount"));
        if (!registry.KeyExists()) return;
        registry.SetValueType(REG_DWORD);
        // Only four recent files fit the File menu; a larger stored capacity would keep
        // entries no menu slot can show.
        SetMaxFileCount(std::min(StoredInt(registry.Value()), kMenuSlots));
        if (capacity_ <= 0) return;
        registry.SetValueKey(QStringLiteral("Count"));
        // A stored count beyond the list (or below zero) never indexes outside it.
        count_ = std::clamp(StoredInt(registry.Value()), 0, capacity_);
        for (int i = 1; i <= count_; ++i) {
            registry.SetValueKey(QStringLiteral("File") + QString::number(i));
            registry.SetValueType(REG_SZ);
            entries_[static_cast<std::size_t>(i - 1)] = StoredText(ReadPlain(registry));
        }
    });
}

bool cMRUFileList::SaveDir(cRegistry& registry) const {
    return Write(registry, {{QStringLiteral("WorkingDir"), TextValue(program_.WorkingDir)}});
}

bool cMRUFileList::LoadDir(cRegistry& registry) {
    return Guarded([&] {
        registry.SetValueKey(QStringLiteral("WorkingDir"));
        registry.SetValueType(REG_SZ);
        if (registry.KeyExists()) program_.WorkingDir = StoredText(ReadPlain(registry));
    });
}

bool cMRUFileList::SaveModelDir(cRegistry& registry) const {
    return Write(registry, {{QStringLiteral("ModelDir"), TextValue(program_.ModelDir)}});
}

bool cMRUFileList::LoadModelDir(cRegistry& registry) {
    return Guarded([&] {
        registry.SetValueKey(QStringLiteral("ModelDir"));
        registry.SetValueType(REG_SZ);
        if (registry.KeyExists()) program_.ModelDir = StoredText(ReadPlain(registry));
    });
}

bool cMRUFileList::LoadMarkStyle(cRegistry& registry) {
    return Guarded([&] {
        registry.SetValueType(REG_DWORD);
        // Only values that are there: settings saved before marks had a style keep the default,
        // not black marks one pixel wide.
        registry.SetValueKey(QStringLiteral("MarkColor"));
        if (const QVariant v = registry.Value(); v.isValid()) program_.Marks.color = StoredInt(v) & 0xFFFFFF;
        registry.SetValueKey(QStringLiteral("MarkWidth"));
        if (const QVariant v = registry.Value(); v.isValid()) program_.Marks.width = std::clamp(StoredInt(v), 1, 5);
    });
}

bool cMRUFileList::SaveToolCoor(cRegistry& registry) const {
    Settings positions;
    AddPositions(positions, program_.ToolPos);
    return Write(registry, positions);
}

bool cMRUFileList::LoadToolCoor(cRegistry& registry) {
    return Guarded([&] {
        for (const PositionName& n : kPositions) {
            QPoint& pos = program_.ToolPos.*n.pos;
            for (const char* name : {n.x, n.y}) {
                registry.SetValueKey(QLatin1String(name));
                registry.SetValueType(REG_SZ);
                if (!registry.KeyExists()) continue;
                const int v = StoredPosition(registry.Value());
                if (name == n.x)
                    pos.setX(v);
                else
                    pos.setY(v);
            }
        }
    });
}
