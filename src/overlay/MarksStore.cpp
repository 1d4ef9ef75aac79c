#include "overlay/MarksStore.h"

#include "overlay/Measure.h"
#include "overlay/OverlayModel.h"
#include "platform/MessageBox.h"

#include <QColor>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <cmath>

namespace {

const QString kFormat = QStringLiteral("varkelo-marks");
const QString kSuffix = QStringLiteral(".varkelo");
// Far outside any picture, yet every value rounds into the records' 32 bits.
constexpr double kCoordinateLimit = 1e9;
const char* const kKeyNames[] = {"address", "top", "impact", "finish"};

struct KindName {
    int kind;
    int shape;
    const char* name;
    int minPoints;
    int maxPoints;
};
constexpr KindName kKinds[] = {
    {kHistLine, 0, "line", 2, 2},
    {kHistShape, kDrawRectangle, "rectangle", 2, 2},
    {kHistShape, kDrawEllipse, "ellipse", 2, 2},
    {kHistPolyLine, 0, "polyline", 2, 6},
    {kHistAngle, 0, "angle", 3, 3},
};

QString colourName(int bgr) {
    return ColorOf(bgr).name();
}

// The reason a file is not used, thrown out of the decoder.
struct Bad {
    QString reason;
};

double number(const QJsonValue& v, const QString& what) {
    if (!v.isDouble() || !std::isfinite(v.toDouble())) throw Bad{what + QStringLiteral(" is not a number")};
    return v.toDouble();
}

int whole(const QJsonValue& v, const QString& what, int low, int high) {
    const double d = number(v, what);
    if (d != std::floor(d) || d < low || d > high)
        throw Bad{what + QStringLiteral(" is not a whole number from %1 to %2").arg(low).arg(high)};
    return int(d);
}

int colour(const QJsonValue& v, const QString& what) {
    const QString text = v.toString();
    const QColor c(text);
    if (!v.isString() || text.size() != 7 || !text.startsWith(QLatin1Char('#')) || !c.isValid())
        throw Bad{what + QStringLiteral(" is not a colour such as \"#ff0000\"")};
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

SavedMark decodeMark(const QJsonValue& value, int index) {
    const QString what = QStringLiteral("mark %1").arg(index + 1);
    if (!value.isObject()) throw Bad{what + QStringLiteral(" is not an object")};
    const QJsonObject o = value.toObject();
    const QString type = o.value(QLatin1String("type")).toString();
    const KindName* kind = nullptr;
    for (const KindName& k : kKinds)
        if (type == QLatin1String(k.name)) kind = &k;
    if (!kind) throw Bad{what + QStringLiteral(" has an unknown type \"%1\"").arg(type)};
    SavedMark m;
    m.kind = kind->kind;
    m.shape = kind->shape;
    const QJsonArray points = o.value(QLatin1String("points")).toArray();
    if (points.size() < kind->minPoints || points.size() > kind->maxPoints)
        throw Bad{what + QStringLiteral(" (%1) has %2 points").arg(type).arg(points.size())};
    for (const QJsonValue& p : points) {
        const QJsonArray xy = p.toArray();
        if (xy.size() != 2) throw Bad{what + QStringLiteral(" has a point that is not [x, y]")};
        const double x = number(xy[0], what + QStringLiteral("'s x"));
        const double y = number(xy[1], what + QStringLiteral("'s y"));
        if (std::abs(x) > kCoordinateLimit || std::abs(y) > kCoordinateLimit)
            throw Bad{what + QStringLiteral(" has a point out of range")};
        m.points.emplace_back(x, y);
    }
    m.color = colour(o.value(QLatin1String("colour")), what + QStringLiteral("'s colour"));
    m.width = whole(o.value(QLatin1String("width")), what + QStringLiteral("'s width"), 1, 100);
    m.style = whole(o.value(QLatin1String("style")), what + QStringLiteral("'s style"), 0, 6);
    return m;
}

MarksSnapshot decodeBody(const QJsonObject& root) {
    MarksSnapshot s;
    const QJsonValue marks = root.value(QLatin1String("marks"));
    if (!marks.isArray()) throw Bad{QStringLiteral("it has no list of marks")};
    const QJsonArray list = marks.toArray();
    if (list.size() > OverlayModel::kCapacity)
        throw Bad{QStringLiteral("it holds %1 marks, more than the %2 a picture can keep")
                      .arg(list.size())
                      .arg(OverlayModel::kCapacity)};
    for (int i = 0; i < list.size(); ++i) s.marks.push_back(decodeMark(list[i], i));
    if (root.contains(QLatin1String("metresPerPixel"))) {
        s.metresPerPixel = number(root.value(QLatin1String("metresPerPixel")), QStringLiteral("the scale"));
        // The scale is single precision in the overlay.
        if (s.metresPerPixel < 0 || s.metresPerPixel > 1e30)
            throw Bad{QStringLiteral("the scale is out of range")};
    }
    const QJsonObject pen = root.value(QLatin1String("pen")).toObject();
    if (!pen.isEmpty()) {
        s.penColor = colour(pen.value(QLatin1String("colour")), QStringLiteral("the pen's colour"));
        s.penWidth = whole(pen.value(QLatin1String("width")), QStringLiteral("the pen's width"), 1, 100);
    }
    const QJsonValue keys = root.value(QLatin1String("keyPositions"));
    if (!keys.isUndefined()) {
        if (!keys.isObject()) throw Bad{QStringLiteral("its key positions are not an object")};
        SavedKeys k{};
        for (int i = 0; i < 4; ++i)
            k[size_t(i)] = whole(keys.toObject().value(QLatin1String(kKeyNames[i])),
                                 QStringLiteral("the key position \"%1\"").arg(QLatin1String(kKeyNames[i])),
                                 -1, 1 << 20);
        s.keyPositions = k;
    }
    return s;
}

// Moves a damaged sidecar aside without overwriting an earlier one; the new name, or empty.
QString keepAside(const QString& file) {
    for (int n = 1; n < 1000; ++n) {
        const QString target =
            n == 1 ? file + QStringLiteral(".bad") : file + QStringLiteral(".%1.bad").arg(n);
        if (QFileInfo::exists(target)) continue;
        return QFile::rename(file, target) ? target : QString();
    }
    return {};
}

bool writeFile(const QString& path, const QByteArray& data, QString* error) {
    QSaveFile out(path);
    if (out.open(QIODevice::WriteOnly) && out.write(data) == data.size() && out.commit()) return true;
    if (error) *error = out.errorString();
    return false;
}

}  // namespace

MarksSnapshot TakeSnapshot(const OverlayModel& o) {
    MarksSnapshot s;
    s.metresPerPixel = o.MetresPerPixel;
    s.penColor = o.Line1.BorderColor;
    s.penWidth = o.Line1.BorderWidth;
    const std::array<int, 4> counts{o.LineCount, o.ShapeCount, o.PolyLineCount, o.AngleCount};
    std::array<int, 4> taken{};
    auto take = [&](int kind) {
        const int i = ++taken[size_t(kind)];
        SavedMark m;
        m.kind = kind;
        const auto keepBorder = [&m](const MarkBorder& border) {
            m.color = border.BorderColor(), m.width = border.BorderWidth(), m.style = border.BorderStyle();
        };
        switch (kind) {
            case kHistLine: {
                const VLine& l = o.Lines[size_t(i)];
                m.points = {QPointF(l.X1(), l.Y1()), QPointF(l.X2(), l.Y2())};
                keepBorder(l);
                break;
            }
            case kHistShape: {
                const VShape& r = o.Shapes[size_t(i)];
                m.shape = r.Shape();
                m.points = {QPointF(r.Left(), r.Top()),
                            QPointF(double(r.Left()) + r.Width(), double(r.Top()) + r.Height())};
                keepBorder(r);
                break;
            }
            case kHistPolyLine: {
                const VPolyLine& p = o.PolyLines[size_t(i)];
                for (int k = 1; k <= std::clamp(p.Points(), 2, 6); ++k) m.points.emplace_back(p.X(k), p.Y(k));
                keepBorder(p);
                break;
            }
            default: {
                const VAngle& a = o.Angles[size_t(i)];
                m.points = {QPointF(a.X1(), a.Y1()), QPointF(a.X2(), a.Y2()), QPointF(a.X3(), a.Y3())};
                keepBorder(a);
                break;
            }
        }
        s.marks.push_back(std::move(m));
    };
    // The history gives the order; a record it does not account for goes last.
    for (int h = 1; h <= o.DrawHistoryIndex && h <= OverlayModel::kCapacity; ++h) {
        const int kind = o.DrawHistory[size_t(h)];
        if (kind >= 0 && kind < 4 && taken[size_t(kind)] < counts[size_t(kind)]) take(kind);
    }
    for (int kind = 0; kind < 4; ++kind)
        while (taken[size_t(kind)] < counts[size_t(kind)]) take(kind);
    return s;
}

void ApplySnapshot(const MarksSnapshot& s, OverlayModel& o) {
    o.ClearAll();
    o.MetresPerPixel = float(s.metresPerPixel);
    o.Ruler = RulerState{};
    o.Line1.BorderColor = o.Shape1.BorderColor = s.penColor;
    o.Line1.BorderWidth = o.Shape1.BorderWidth = s.penWidth;
    o.CreateDrawPens(s.penWidth, s.penColor);
    for (const SavedMark& m : s.marks) {
        const auto& p = m.points;
        auto pt = [&](size_t k) { return p.at(k); };
        const auto applyBorder = [&m](MarkBorder& border) {
            border.SetBorderColor(m.color), border.SetBorderWidth(m.width), border.SetBorderStyle(m.style);
        };
        switch (m.kind) {
            case kHistLine: {
                VLine* l = o.NewLine();
                if (!l) return;
                applyBorder(*l);
                l->SetX1(pt(0).x()), l->SetY1(pt(0).y()), l->SetX2(pt(1).x()), l->SetY2(pt(1).y());
                // The label is worked out at draw time from the scale; only its place is kept.
                l->SetTextX((l->X2() + l->X1()) / 2), l->SetTextY((l->Y2() + l->Y1()) / 2);
                break;
            }
            case kHistShape: {
                VShape* r = o.NewShape();
                if (!r) return;
                applyBorder(*r);
                r->SetShape(m.shape);
                const QPointF a = pt(0), b = pt(1);
                r->SetLeft(std::min(a.x(), b.x())), r->SetTop(std::min(a.y(), b.y()));
                r->SetWidth(std::abs(b.x() - a.x())), r->SetHeight(std::abs(b.y() - a.y()));
                break;
            }
            case kHistPolyLine: {
                VPolyLine* pl = o.NewPolyLine();
                if (!pl) return;
                applyBorder(*pl);
                for (size_t k = 0; k < p.size() && k < 6; ++k)
                    pl->SetX(int(k) + 1, pt(k).x()), pl->SetY(int(k) + 1, pt(k).y());
                pl->SetPoints(std::min<long long>(6, (long long)p.size()));
                break;
            }
            case kHistAngle: {
                VAngle* a = o.NewAngle();
                if (!a) return;
                applyBorder(*a);
                a->SetX1(pt(0).x()), a->SetY1(pt(0).y()), a->SetX2(pt(1).x()), a->SetY2(pt(1).y());
                a->SetX3(pt(2).x()), a->SetY3(pt(2).y());
                a->SetTextX(a->X2()), a->SetTextY(a->Y2());
                a->SetText(AngleText(ThreePointAngle(a->X1(), a->X2(), a->X3(), a->Y1(), a->Y2(), a->Y3())));
                break;
            }
            default:
                continue;
        }
        o.AppendHistory(m.kind);
    }
}

namespace MarksStore {

QString SidecarPath(const QString& clipPath) {
    return QFileInfo(clipPath).absoluteFilePath() + kSuffix;
}

QString FallbackPath(const QString& clipPath) {
    const QByteArray key = QFileInfo(clipPath).absoluteFilePath().toUtf8();
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/marks/") +
           QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex()) + kSuffix;
}

QByteArray Encode(const MarksSnapshot& s) {
    QJsonArray marks;
    for (const SavedMark& m : s.marks) {
        QJsonObject o;
        for (const KindName& k : kKinds)
            if (k.kind == m.kind && k.shape == m.shape)
                o.insert(QLatin1String("type"), QLatin1String(k.name));
        QJsonArray points;
        for (const QPointF& p : m.points) points.append(QJsonArray{p.x(), p.y()});
        o.insert(QLatin1String("points"), points);
        o.insert(QLatin1String("colour"), colourName(m.color));
        o.insert(QLatin1String("width"), m.width);
        o.insert(QLatin1String("style"), m.style);
        marks.append(o);
    }
    QJsonObject root{
        {QLatin1String("format"), kFormat},
        {QLatin1String("version"), kVersion},
        {QLatin1String("metresPerPixel"), s.metresPerPixel},
        {QLatin1String("pen"), QJsonObject{{QLatin1String("colour"), colourName(s.penColor)},
                                           {QLatin1String("width"), s.penWidth}}},
        {QLatin1String("marks"), marks},
    };
    if (s.keyPositions) {
        QJsonObject keys;
        for (int i = 0; i < 4; ++i) keys.insert(QLatin1String(kKeyNames[i]), (*s.keyPositions)[size_t(i)]);
        root.insert(QLatin1String("keyPositions"), keys);
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

LoadResult Decode(const QByteArray& data) {
    LoadResult r;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    try {
        if (error.error != QJsonParseError::NoError)
            throw Bad{QStringLiteral("it is not valid JSON (%1 at byte %2)")
                          .arg(error.errorString())
                          .arg(error.offset)};
        const QJsonObject root = doc.object();
        if (!doc.isObject() || root.value(QLatin1String("format")).toString() != kFormat)
            throw Bad{QStringLiteral("it is not a Varkelo marks file")};
        const int version =
            whole(root.value(QLatin1String("version")), QStringLiteral("its version"), 1, 1 << 30);
        if (version > kVersion) {
            r.status = LoadResult::Newer;
            return r;
        }
        r.snapshot = decodeBody(root);
        r.status = LoadResult::Loaded;
    } catch (const Bad& bad) {
        r.status = LoadResult::Damaged;
        r.reason = bad.reason;
    }
    return r;
}

LoadResult Load(const QString& clipPath) {
    const QFileInfo beside(SidecarPath(clipPath));
    const QFileInfo fallback(FallbackPath(clipPath));
    QString file;
    if (beside.exists() && fallback.exists())
        file = fallback.lastModified() > beside.lastModified() ? fallback.filePath() : beside.filePath();
    else if (beside.exists() || fallback.exists())
        file = beside.exists() ? beside.filePath() : fallback.filePath();
    if (file.isEmpty()) return {};
    QFile in(file);
    LoadResult r;
    if (!in.open(QIODevice::ReadOnly)) {
        r.status = LoadResult::Damaged;
        r.reason = QStringLiteral("it could not be opened (%1)").arg(in.errorString());
    } else {
        r = Decode(in.readAll());
        in.close();
    }
    r.file = file;
    if (r.status == LoadResult::Damaged) r.keptAs = keepAside(file);
    return r;
}

QString Save(const QString& clipPath, const MarksSnapshot& snapshot, QString* error) {
    const QByteArray data = Encode(snapshot);
    const QString beside = SidecarPath(clipPath);
    const QString fallback = FallbackPath(clipPath);
    if (QFileInfo(QFileInfo(beside).absolutePath()).isWritable() && writeFile(beside, data, nullptr)) {
        // A copy made while the folder was read-only is out of date now.
        if (QFileInfo::exists(fallback)) QFile::remove(fallback);
        return beside;
    }
    if (!QDir().mkpath(QFileInfo(fallback).absolutePath())) {
        if (error)
            *error = QStringLiteral("the folder %1 cannot be made").arg(QFileInfo(fallback).absolutePath());
        return {};
    }
    return writeFile(fallback, data, error) ? fallback : QString();
}

}  // namespace MarksStore

std::optional<SavedKeys> ClipMarks::Enter(const QString& clipPath, OverlayModel& overlay) {
    path_ = QFileInfo(clipPath).absoluteFilePath();
    readOnly_ = false;
    hasFile_ = false;
    using MarksStore::LoadResult;
    const LoadResult r = MarksStore::Load(path_);
    MarksSnapshot start;
    start.penColor = overlay.Line1.BorderColor;
    start.penWidth = overlay.Line1.BorderWidth;
    switch (r.status) {
        case LoadResult::Loaded:
            hasFile_ = true;
            ApplySnapshot(r.snapshot, overlay);
            return r.snapshot.keyPositions;
        case LoadResult::NothingSaved:
            break;
        case LoadResult::Damaged:
            // Moved aside, the next save starts a new file; left in place, it is never overwritten.
            readOnly_ = r.keptAs.isEmpty();
            platform::MsgBox(
                QStringLiteral("The marks saved with %1 could not be read: %2.\n%3")
                    .arg(
                        QFileInfo(path_).fileName(), r.reason,
                        readOnly_
                            ? QStringLiteral("The file was left as it is.")
                            : QStringLiteral("The file was kept as %1.").arg(QFileInfo(r.keptAs).fileName())),
                platform::vbExclamation, QStringLiteral("Marks"));
            break;
        case LoadResult::Newer:
            readOnly_ = true;
            platform::MsgBox(QStringLiteral("The marks saved with %1 come from a newer version of Varkelo. "
                                            "The clip opens without them, and they are left as they are.")
                                 .arg(QFileInfo(path_).fileName()),
                             platform::vbInformation, QStringLiteral("Marks"));
            break;
    }
    ApplySnapshot(start, overlay);
    return std::nullopt;
}

bool ClipMarks::Leave(const OverlayModel& overlay, const std::optional<SavedKeys>& keys, QString* error) {
    if (path_.isEmpty() || readOnly_) return true;
    MarksSnapshot s = TakeSnapshot(overlay);
    s.keyPositions = keys;
    // A clip that never had marks gets no file; one whose marks were all cleared gets an empty list.
    if (s.Empty() && !hasFile_) return true;
    if (MarksStore::Save(path_, s, error).isEmpty()) return false;
    hasFile_ = true;
    return true;
}
