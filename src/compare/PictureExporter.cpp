#include "compare/PictureExporter.h"

#include "platform/Graphics2D.h"
#include "platform/ImageEffects.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

#include <cmath>

namespace {

bool knownSuffix(const QString& suffix) {
    return suffix == QLatin1String("png") || suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg");
}

}  // namespace

namespace {

// How a scene maps onto the picture: the frame region one to one, everything else on the
// canvas at its scale, the shown area's corner at the origin.
struct Layout {
    double sx = 1, sy = 1;
    QRect area;
    QRect map(const QRect& r) const {
        const int x = int(std::lround((r.x() - area.x()) * sx));
        const int y = int(std::lround((r.y() - area.y()) * sy));
        return QRect(x, y, int(std::lround((r.x() + r.width() - area.x()) * sx)) - x,
                     int(std::lround((r.y() + r.height() - area.y()) * sy)) - y);
    }
    void applyTo(QPainter& p) const {
        p.scale(sx, sy);
        p.translate(-area.x(), -area.y());
    }
};

bool layOut(const PictureScene& s, Layout& l) {
    if (s.frameSource.isEmpty() || s.frameCanvas.isEmpty()) return false;
    l.sx = double(s.frameSource.width()) / s.frameCanvas.width();
    l.sy = double(s.frameSource.height()) / s.frameCanvas.height();
    l.area = s.frameCanvas;
    if (s.split && s.modelShown && !s.modelCanvas.isEmpty()) l.area = l.area.united(s.modelCanvas);
    return true;
}

}  // namespace

QImage PictureExporter::MarksLayer(const PictureScene& s) {
    Layout l;
    if (!s.drawMarks || !layOut(s, l)) return {};
    QImage layer(l.map(l.area).size(), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull()) return {};
    layer.fill(Qt::transparent);
    QPainter p(&layer);
    l.applyTo(p);
    s.drawMarks(p);
    return layer;
}

QImage PictureExporter::Compose(const PictureScene& s) {
    Layout l;
    if (!s.frameHolder || !layOut(s, l)) return {};
    auto map = [&](const QRect& r) { return l.map(r); };
    const QRect& area = l.area;
    const QRect whole = map(area);
    QImage out(whole.size(), QImage::Format_RGB32);
    if (out.isNull()) return {};
    // A picture the copy covers whole needs no background first (an export does this every frame).
    const auto covers = [&](const QRect& to, const QImage* holder, const QRect& from, const QImage& picture) {
        return holder && holder->rect().contains(from) && !from.isEmpty() && map(to).contains(picture.rect());
    };
    if (!covers(s.frameCanvas, s.frameHolder, s.frameSource, out)) out.fill(s.background);
    platform::StretchBlt(out, map(s.frameCanvas), *s.frameHolder, s.frameSource);
    if (s.modelShown && s.modelHolder && !s.modelSource.isEmpty()) {
        if (s.split) {
            platform::StretchBlt(out, map(s.modelCanvas), *s.modelHolder, s.modelSource);
        } else {
            // The model surface over the frame's area, at the picture's scale, then the blend.
            QImage layer(out.size(), out.format());
            if (layer.isNull()) return {};
            if (!covers(s.modelCanvas, s.modelHolder, s.modelSource, layer)) layer.fill(s.modelBackground);
            platform::StretchBlt(layer, map(s.modelCanvas), *s.modelHolder, s.modelSource);
            platform::FoxAlphaBlend(out, 0, 0, out.width(), out.height(), layer, 0, 0, s.blend, 0xFF00FF, 0);
        }
    }
    if (s.drawMarks) {
        QPainter p(&out);
        l.applyTo(p);
        s.drawMarks(p);
    }
    return out;
}

QString PictureExporter::TargetName(const QString& chosen) {
    if (knownSuffix(QFileInfo(chosen).suffix().toLower())) return chosen;
    return chosen + QStringLiteral(".png");
}

QString PictureExporter::Write(const QImage& image, const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QByteArray format = suffix == QLatin1String("png") ? QByteArrayLiteral("png") : QByteArrayLiteral("jpeg");
    auto failed = [&](const QString& reason) {
        return QStringLiteral("The picture could not be written to %1:\n%2").arg(path, reason);
    };
    if (image.isNull()) return failed(QStringLiteral("there is no picture to export."));
    // Encoded in memory first: the file's size then tells whether the disk took all of it
    // (a file-size limit or a full disk can cut a write short without reporting an error).
    QByteArray encoded;
    {
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, format);
        if (format == "jpeg") writer.setQuality(95);
        if (!writer.write(image)) return failed(writer.errorString());
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return failed(file.errorString());
    // Until commit() the data lives under a temporary name; leaving without it removes that.
    if (file.write(encoded) != encoded.size() || !file.flush() || file.size() != encoded.size()) {
        const QString reason = file.error() != QFileDevice::NoError ? file.errorString()
                                                                   : QStringLiteral("the disk is full.");
        file.cancelWriting();
        return failed(reason);
    }
    if (!file.commit()) return failed(file.errorString());
    return {};
}
