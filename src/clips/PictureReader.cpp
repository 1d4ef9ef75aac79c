#include "clips/PictureReader.h"

#include <QImageReader>

namespace {

// Pictures bigger than this many pixels are refused before any memory is taken for them:
// a damaged header can claim any size.
constexpr qint64 kMaxPixels = qint64(16384) * 16384;

PictureResult read(QImageReader& reader) {
    PictureResult result;
    reader.setAutoTransform(true);  // honour the camera's orientation tag
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPixels) {
        result.error =
            QStringLiteral("The picture is too large (%1 x %2).").arg(size.width()).arg(size.height());
        return result;
    }
    result.picture = reader.read();
    if (result.picture.isNull()) result.error = reader.errorString();
    return result;
}

}  // namespace

PictureResult ReadPicture(const QString& path) {
    QImageReader reader(path);
    return read(reader);
}

PictureResult ReadPicture(QIODevice* device) {
    QImageReader reader(device);
    return read(reader);
}
